// Directory search. The directory is opened once per search and its names
// are matched before anything else is read; an entry that matches costs one
// fstatat and one lgetxattr (kFull), or nothing beyond the directory read
// where the directory tells its type (kNameAndType).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "platform/filesys.h"
#include "platform/posix/entryword_posix.h"
#include "platform/posix/resolve_posix.h"
#include "platform/posix/wildcard_posix.h"

namespace zelmo {

struct SearchState {
  DIR* dir = nullptr;
  std::string dir_path;
  std::string pattern;
  uint32_t attrmask = 0;
  SearchDetail detail = SearchDetail::kFull;
  int dots_left = 0;  // "." and ".." still to report, ahead of the rest
  std::string full_path;

  ~SearchState() {
    if (dir != nullptr) closedir(dir);
  }
};

namespace {

constexpr uint32_t kFiltered = kHidden | kSystem | kDirectory;

// The word of an entry whose directory told only the type known (DT_*).
bool name_and_type(SearchState& s, const char* name, unsigned char known, uint32_t& word) {
  int fd = dirfd(s.dir);
  struct stat st;
  if (known == DT_UNKNOWN) {
    if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    known = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
  }
  word = known == DT_DIR ? uint32_t(kDirectory) : 0u;
  if (known == DT_LNK)
    word = uint32_t(kReparsePoint) |
           (fstatat(fd, name, &st, 0) == 0 && S_ISDIR(st.st_mode) ? uint32_t(kDirectory) : 0u);
  return true;
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
    if (fstatat(dirfd(s.dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    s.full_path.assign(s.dir_path).append("/").append(name);
    word = posix::ENTRY_WORD(dirfd(s.dir), name, s.full_path, st);
    if (S_ISREG(st.st_mode)) size = int32_t(uint32_t(st.st_size));
    time = st.st_mtime;
  }
  if ((word & kFiltered & ~s.attrmask) != 0) return false;
  rec.name = Str(name);
  rec.attr = word;
  rec.size = size;
  rec.time = time;
  return true;
}

// Whether the directory is a root, which has no "." and ".." (as a drive's
// root has none).
bool is_root(int fd) {
  struct stat self, parent;
  return fstat(fd, &self) == 0 && fstatat(fd, "..", &parent, 0) == 0 && self.st_dev == parent.st_dev &&
         self.st_ino == parent.st_ino;
}

int next(SearchState& s, SearchRec& rec) {
  while (s.dots_left > 0) {
    const char* name = s.dots_left-- == 2 ? "." : "..";
    if (posix::NAME_MATCHES(s.pattern, name) && report(s, name, DT_DIR, rec)) return 0;
  }
  if (s.dir == nullptr) return kNoMoreFiles;
  errno = 0;
  while (const dirent* e = readdir(s.dir)) {
    std::string_view name = e->d_name;
    if (name == "." || name == ".." || !posix::NAME_MATCHES(s.pattern, name)) continue;
    if (report(s, e->d_name, e->d_type, rec)) return 0;
    errno = 0;
  }
  int error = errno;
  closedir(s.dir);
  s.dir = nullptr;
  return error != 0 ? error : kNoMoreFiles;
}

// A name without wildcards names one entry, found as any path part is.
int first_of_name(SearchState& s, posix::OpenDir& dir, const std::string& pattern, SearchRec& rec) {
  std::string found;
  if (int error = posix::FIND_ENTRY(dir.fd(), pattern, found)) return error;
  s.dir = fdopendir(dir.fd());
  if (s.dir == nullptr) return errno;
  dir.release();
  bool passes = report(s, found.c_str(), DT_UNKNOWN, rec);
  closedir(s.dir);
  s.dir = nullptr;
  return passes ? 0 : kNoMoreFiles;
}

}  // namespace

int FINDFIRST(const Str& mask, uint32_t attrmask, SearchRec& rec, SearchDetail detail) {
  FINDCLOSE(rec);
  posix::ToolPath path;
  // A mask must end with a name: "DIR\" searches for nothing, as on Windows.
  if (mask.ends_with('\\') || mask.ends_with('/')) return ENOENT;
  if (!posix::PARSE_TOOL_PATH(mask, path) || path.parts.empty()) return ENOENT;
  posix::OpenDir dir;
  if (int error = posix::OPEN_DIR(path, path.parts.size() - 1, dir)) return error;
  auto* s = new SearchState;
  s->dir_path = dir.path();
  s->pattern = path.parts.back();
  s->attrmask = attrmask;
  // Names and types suffice only where no entry is skipped for Hidden or System.
  bool both = (attrmask & (kHidden | kSystem)) == (kHidden | kSystem);
  s->detail = both ? detail : SearchDetail::kFull;
  rec.state = s;
  int error;
  if (!posix::HAS_WILDCARDS(s->pattern)) {
    error = first_of_name(*s, dir, s->pattern, rec);
  } else {
    s->dots_left = is_root(dir.fd()) ? 0 : 2;
    s->dir = fdopendir(dir.fd());
    if (s->dir == nullptr) {
      error = errno;
    } else {
      dir.release();
      error = next(*s, rec);
    }
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
