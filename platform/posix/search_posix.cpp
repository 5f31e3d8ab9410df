// Directory search. The directory is opened once per search and read in
// large blocks straight from the kernel; its names are matched before
// anything else is read. An entry that matches costs one fstatat and the
// read of its store (kFull: one lgetxattr, or an open, an ioctl and a close
// on FAT; the store itself is known per device), or nothing beyond the
// directory read where the directory tells its type (kNameAndType). "." and
// ".." cost nothing: no caller shows what they hold, so they are reported
// as bare directories.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <memory>
#include <string>

#include "platform/filesys.h"
#include "platform/posix/entryword_posix.h"
#include "platform/posix/resolve_posix.h"
#include "platform/posix/storechoice_posix.h"
#include "platform/posix/wildcard_posix.h"

namespace zelmo {

namespace {

constexpr size_t kReadSize = 32 * 1024;  // bytes of directory entries per read

}  // namespace

struct SearchState {
  int fd = -1;  // -1 once every entry was read
  std::unique_ptr<char[]> block;
  size_t block_used = 0;
  size_t block_next = 0;
  std::string dir_path;
  std::string pattern;
  uint32_t attrmask = 0;
  SearchDetail detail = SearchDetail::kFull;
  int dots_left = 0;  // "." and ".." still to report, ahead of the rest
  std::string full_path;

  ~SearchState() { end(); }

  void end() {
    if (fd < 0) return;
    posix::TAKE_BACK_DIR(fd);
    close(fd);
    fd = -1;
  }
};

namespace {

constexpr uint32_t kFiltered = kHidden | kSystem | kDirectory;

// The word of an entry whose directory told only the type known (DT_*).
bool name_and_type(const SearchState& s, const char* name, unsigned char known, uint32_t& word) {
  struct stat st;
  if (known == DT_UNKNOWN) {
    if (fstatat(s.fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    known = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
  }
  word = known == DT_DIR ? uint32_t(kDirectory) : 0u;
  if (known == DT_LNK)
    word = uint32_t(kReparsePoint) |
           (fstatat(s.fd, name, &st, 0) == 0 && S_ISDIR(st.st_mode) ? uint32_t(kDirectory) : 0u);
  return true;
}

bool passes(const SearchState& s, uint32_t word) { return (word & kFiltered & ~s.attrmask) == 0; }

void fill(SearchRec& rec, const char* name, uint32_t word, int32_t size, int64_t time) {
  rec.name = Str(name);
  rec.attr = word;
  rec.size = size;
  rec.time = time;
}

// Fills rec with the entry name when it passes the attribute mask; false
// when it does not, or when it vanished since the directory was read.
bool report(SearchState& s, const char* name, unsigned char known, SearchRec& rec) {
  if (known == DT_DIR && (s.attrmask & kDirectory) == 0) return false;
  uint32_t word = 0;
  int32_t size = 0;
  int64_t time = 0;
  if (s.detail == SearchDetail::kNameAndType) {
    if (!name_and_type(s, name, known, word)) return false;
  } else {
    struct stat st;
    if (fstatat(s.fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    s.full_path.assign(s.dir_path).append("/").append(name);
    word = posix::ENTRY_WORD(s.fd, name, s.full_path, st, posix::ENTRY_STORE(s.fd, name, st));
    if (S_ISREG(st.st_mode)) size = int32_t(uint32_t(st.st_size));
    time = st.st_mtime;
  }
  if (!passes(s, word)) return false;
  fill(rec, name, word, size, time);
  return true;
}

// Whether the directory is the root, which has no "." and ".." (as a
// drive's root has none). The root's identity is read once.
bool is_root(int fd) {
  static struct stat root;
  static bool known = stat("/", &root) == 0;
  struct stat self;
  return known && fstat(fd, &self) == 0 && self.st_dev == root.st_dev && self.st_ino == root.st_ino;
}

// The next entry of the directory, or nullptr at its end; error tells a failed read.
const dirent64* read_entry(SearchState& s, int& error) {
  error = 0;
  if (s.block_next >= s.block_used) {
    ssize_t n;
    do {
      n = getdents64(s.fd, s.block.get(), kReadSize);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
      if (n < 0) error = errno;
      return nullptr;
    }
    s.block_used = size_t(n);
    s.block_next = 0;
  }
  const auto* e = reinterpret_cast<const dirent64*>(s.block.get() + s.block_next);
  s.block_next += e->d_reclen;
  return e;
}

int next(SearchState& s, SearchRec& rec) {
  while (s.dots_left > 0) {
    const char* name = s.dots_left-- == 2 ? "." : "..";
    if (posix::NAME_MATCHES(s.pattern, name) && passes(s, kDirectory)) {
      fill(rec, name, kDirectory, 0, 0);
      return 0;
    }
  }
  if (s.fd < 0) return kNoMoreFiles;
  int error = 0;
  while (const dirent64* e = read_entry(s, error)) {
    std::string_view name = e->d_name;
    if (name == "." || name == ".." || !posix::NAME_MATCHES(s.pattern, name)) continue;
    if (report(s, e->d_name, e->d_type, rec)) return 0;
  }
  s.end();
  return error != 0 ? error : kNoMoreFiles;
}

// A name without wildcards names one entry, found as any path part is.
int first_of_name(SearchState& s, SearchRec& rec) {
  std::string found;
  if (int error = posix::FIND_ENTRY(s.fd, s.pattern, found)) return error;
  bool passes = report(s, found.c_str(), DT_UNKNOWN, rec);
  s.end();
  return passes ? 0 : kNoMoreFiles;
}

}  // namespace

int FINDFIRST(const Str& mask, uint32_t attrmask, SearchRec& rec, SearchDetail detail) {
  FINDCLOSE(rec);
  posix::ToolPath path;
  // A mask must end with a name: "DIR\" searches for nothing, as on Windows.
  if (mask.ends_with('\\') || mask.ends_with('/')) return ENOENT;
  if (!posix::PARSE_TOOL_PATH(mask, path) || path.parts.empty()) return ENOENT;
  size_t dir_parts = path.parts.size() - 1;
  posix::OpenDir dir;
  if (int error = posix::OPEN_DIR(path, dir_parts, dir)) return error;
  auto* s = new SearchState;
  s->dir_path = dir.path();
  s->fd = dir.release();
  s->pattern = path.parts.back();
  s->attrmask = attrmask;
  // Names and types suffice only where no entry is skipped for Hidden or System.
  bool both = (attrmask & (kHidden | kSystem)) == (kHidden | kSystem);
  s->detail = both ? detail : SearchDetail::kFull;
  rec.state = s;
  int error;
  if (!posix::HAS_WILDCARDS(s->pattern)) {
    error = first_of_name(*s, rec);
  } else {
    bool dots = posix::NAME_MATCHES(s->pattern, ".") || posix::NAME_MATCHES(s->pattern, "..");
    s->dots_left = dots && !is_root(s->fd) ? 2 : 0;
    s->block = std::make_unique<char[]>(kReadSize);
    // A change of an entry this search reports reaches it through the same
    // directory, whatever happens to the directory's path meanwhile.
    posix::LEND_DIR(path, dir_parts, s->fd, s->dir_path);
    error = next(*s, rec);
  }
  if (error != 0) FINDCLOSE(rec);
  return error;
}

int FINDNEXT(SearchRec& rec) {
  if (rec.state == nullptr) return kNoMoreFiles;
  return next(*rec.state, rec);
}

void FINDCLOSE(SearchRec& rec) {
  delete rec.state;
  rec.state = nullptr;
}

}  // namespace zelmo
