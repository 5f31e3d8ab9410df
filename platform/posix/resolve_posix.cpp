// Directory resolutions are remembered by the folded tool path: in a tree run
// every directory's path begins with the top directory as the user typed it
// (upper-cased), which on a Linux disk rarely matches exactly, so without
// them every directory would cost a scan of each of its parents.
#include "platform/posix/resolve_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/posix/wildcard_posix.h"

namespace zelmo::posix {

namespace {

constexpr size_t kRemembered = 256;

struct Remembered {
  std::string linux_path;
  uint64_t used = 0;
};

std::unordered_map<std::string, Remembered>& remembered() {
  static std::unordered_map<std::string, Remembered> dirs;
  return dirs;
}

uint64_t g_clock = 0;

bool is_separator(char c) { return c == '\\' || c == '/'; }

char fold(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

std::string join(const std::string& dir, const std::string& name) {
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

const std::string* recall(const std::string& key) {
  auto it = remembered().find(key);
  if (it == remembered().end()) return nullptr;
  it->second.used = ++g_clock;
  return &it->second.linux_path;
}

// Keeps the half of the remembered resolutions used last: one pass for
// every kRemembered / 2 new ones, where dropping the oldest alone would cost
// a pass for each.
void forget_older_half() {
  auto& dirs = remembered();
  std::vector<uint64_t> uses;
  uses.reserve(dirs.size());
  for (const auto& [key, dir] : dirs) uses.push_back(dir.used);
  auto middle = uses.begin() + std::ptrdiff_t(uses.size() / 2);
  std::nth_element(uses.begin(), middle, uses.end());
  std::erase_if(dirs, [last_old = *middle](const auto& entry) { return entry.second.used < last_old; });
}

void remember(const std::string& key, const std::string& linux_path) {
  if (remembered().size() >= kRemembered && remembered().find(key) == remembered().end()) forget_older_half();
  remembered()[key] = Remembered{linux_path, ++g_clock};
}

// The first entry of dirfd in byte order whose name equals part with a to z folded.
int scan_folded(int dirfd, const std::string& part, std::string& found) {
  int fd = openat(dirfd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    int error = errno;
    close(fd);
    return error;
  }
  bool any = false;
  errno = 0;
  while (const dirent* e = readdir(dir)) {
    if (SAME_NAME(e->d_name, part) && (!any || std::strcmp(e->d_name, found.c_str()) < 0)) {
      found = e->d_name;
      any = true;
    }
  }
  int error = errno;
  closedir(dir);
  if (error != 0) return error;
  return any ? 0 : ENOENT;
}

// The keys of the directories of the first 0, 1, ... count parts.
std::vector<std::string> keys_of(const ToolPath& path, size_t count) {
  std::vector<std::string> keys;
  keys.reserve(count + 1);
  std::string key(1, path.absolute ? '\\' : '.');
  keys.push_back(key);
  if (path.absolute) key.clear();
  for (size_t i = 0; i < count; ++i) {
    key += '\\';
    for (char c : path.parts[i]) key += fold(c);
    keys.push_back(key);
  }
  return keys;
}

// The part of directory parent named part: as written when such an entry
// exists, else the first that matches with a to z folded.
int resolve_part(const std::string& parent, const std::string& part, std::string& out) {
  std::string exact = join(parent, part);
  struct stat st;
  if (part == "." || part == ".." || fstatat(AT_FDCWD, exact.c_str(), &st, 0) == 0) {
    out = exact;
    return 0;
  }
  if (errno != ENOENT) return errno;
  int fd = open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  std::string found;
  int error = scan_folded(fd, part, found);
  close(fd);
  if (error != 0) return error;
  out = join(parent, found);
  return 0;
}

constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

// Opens the directory of the first count parts, from the longest of its
// leading parts whose resolution is remembered; used_memory tells whether
// one served.
int open_resolved(const ToolPath& path, size_t count, int& fd, std::string& linux_path, bool& used_memory) {
  std::vector<std::string> keys = keys_of(path, count);
  size_t known = count;
  const std::string* base = nullptr;
  while (known > 0 && (base = recall(keys[known])) == nullptr) --known;
  used_memory = base != nullptr;
  std::string start = base != nullptr ? *base : std::string(1, path.absolute ? '/' : '.');
  // The rest as written first: one call when each part is spelled as on
  // disk, as in a tree run, where every part below the top comes from disk.
  linux_path = start;
  for (size_t i = known; i < count; ++i) linux_path = join(linux_path, path.parts[i]);
  fd = open(linux_path.c_str(), kDirFlags);
  if (fd >= 0) {
    if (count > known) remember(keys[count], linux_path);
    return 0;
  }
  if (errno != ENOENT || known == count) return errno;
  // Part by part, folding where a part is not spelled as on disk.
  linux_path = start;
  for (size_t i = known; i < count; ++i) {
    if (int error = resolve_part(linux_path, path.parts[i], linux_path)) return error;
    remember(keys[i + 1], linux_path);
  }
  fd = open(linux_path.c_str(), kDirFlags);
  return fd >= 0 ? 0 : errno;
}

struct Lent {
  std::string key;
  int fd = -1;
  std::string linux_path;
};

Lent& lent() {
  static Lent dir;
  return dir;
}

}  // namespace

bool PARSE_TOOL_PATH(const Str& path, ToolPath& out) {
  std::string_view text = path.view();
  out = ToolPath();
  if (text.find('\0') != std::string_view::npos) return false;
  if (text.size() >= 2 && text[1] == ':') return false;
  if (text.size() >= 2 && is_separator(text[0]) && is_separator(text[1])) return false;
  out.absolute = !text.empty() && is_separator(text[0]);
  std::string part;
  for (char c : text) {
    if (!is_separator(c)) {
      part += c;
    } else if (!part.empty()) {
      out.parts.push_back(part);
      part.clear();
    }
  }
  if (!part.empty()) out.parts.push_back(part);
  return true;
}

OpenDir::~OpenDir() {
  if (fd_ >= 0 && owned_) close(fd_);
}

int OpenDir::release() {
  int fd = fd_;
  fd_ = -1;
  return fd;
}

int OPEN_DIR(const ToolPath& path, size_t count, OpenDir& out) {
  // A remembered directory may have gone or been renamed since: then its
  // opening fails, and the path is resolved once more from scratch.
  for (int attempt = 0;; ++attempt) {
    bool used_memory = false;
    int fd = -1;
    std::string linux_path;
    int error = open_resolved(path, count, fd, linux_path, used_memory);
    if (error == 0) {
      out.fd_ = fd;
      out.owned_ = true;
      out.path_ = linux_path;
      return 0;
    }
    if (!used_memory || attempt > 0) return error;
    FORGET_DIRS();
  }
}

void LEND_DIR(const ToolPath& path, size_t count, int fd, const std::string& linux_path) {
  lent() = Lent{keys_of(path, count).back(), fd, linux_path};
}

void TAKE_BACK_DIR(int fd) {
  if (lent().fd == fd) lent() = Lent();
}

bool BORROW_DIR(const ToolPath& path, size_t count, OpenDir& out) {
  if (lent().fd < 0 || keys_of(path, count).back() != lent().key) return false;
  out.fd_ = lent().fd;
  out.owned_ = false;
  out.path_ = lent().linux_path;
  return true;
}

int FIND_ENTRY(int dirfd, const std::string& part, std::string& found, struct stat* st) {
  struct stat own;
  struct stat* status = st != nullptr ? st : &own;
  if (fstatat(dirfd, part.c_str(), status, AT_SYMLINK_NOFOLLOW) == 0) {
    found = part;
    return 0;
  }
  if (errno != ENOENT) return errno;
  int error = scan_folded(dirfd, part, found);
  if (error == 0 && st != nullptr && fstatat(dirfd, found.c_str(), st, AT_SYMLINK_NOFOLLOW) != 0)
    return errno;
  return error;
}

int LOCATE(const Str& path, OpenDir& dir, std::string& name, struct stat* st) {
  ToolPath parsed;
  if (!PARSE_TOOL_PATH(path, parsed)) return ENOENT;
  if (parsed.parts.empty()) {
    if (!parsed.absolute) return ENOENT;
    parsed.parts.push_back(".");
  }
  size_t count = parsed.parts.size();
  if (!BORROW_DIR(parsed, count - 1, dir)) {
    if (int error = OPEN_DIR(parsed, count - 1, dir)) return error;
  }
  int error = FIND_ENTRY(dir.fd(), parsed.parts[count - 1], name, st);
  if (error == ENOENT) name = parsed.parts[count - 1];
  return error;
}

void FORGET_DIRS() {
  remembered().clear();
  // A relative path may now name another directory than the lent one.
  lent() = Lent();
}

}  // namespace zelmo::posix
