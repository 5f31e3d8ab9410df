// Directory resolutions are remembered by the folded tool path: in a tree run
// every directory's path begins with the top directory as the user typed it
// (upper-cased), which on a Linux disk rarely matches exactly, so without
// them every directory would cost a scan of each of its parents.
#include "platform/posix/resolve_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <unordered_map>

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

// The key of the directory formed by the first count parts.
std::string key_of(const ToolPath& path, size_t count) {
  std::string key = path.absolute ? "" : ".";
  for (size_t i = 0; i < count; ++i) {
    key += '\\';
    for (char c : path.parts[i]) key += fold(c);
  }
  return path.absolute && count == 0 ? "\\" : key;
}

std::string join(const std::string& dir, const std::string& name) {
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

const std::string* recall(const std::string& key) {
  auto it = remembered().find(key);
  if (it == remembered().end()) return nullptr;
  it->second.used = ++g_clock;
  return &it->second.linux_path;
}

void remember(const std::string& key, const std::string& linux_path) {
  auto& dirs = remembered();
  if (dirs.size() >= kRemembered && dirs.find(key) == dirs.end()) {
    auto oldest = dirs.begin();
    for (auto it = dirs.begin(); it != dirs.end(); ++it)
      if (it->second.used < oldest->second.used) oldest = it;
    dirs.erase(oldest);
  }
  dirs[key] = Remembered{linux_path, ++g_clock};
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

// The Linux path of the directory of the first count parts, through what is
// remembered; used_memory tells whether any remembered resolution served.
int resolve(const ToolPath& path, size_t count, std::string& out, bool& used_memory) {
  if (count == 0) {
    out.assign(1, path.absolute ? '/' : '.');
    return 0;
  }
  std::string key = key_of(path, count);
  if (const std::string* known = recall(key)) {
    used_memory = true;
    out = *known;
    return 0;
  }
  std::string parent;
  if (int error = resolve(path, count - 1, parent, used_memory)) return error;
  const std::string& part = path.parts[count - 1];
  std::string exact = join(parent, part);
  struct stat st;
  if (part == "." || part == ".." || fstatat(AT_FDCWD, exact.c_str(), &st, 0) == 0) {
    out = exact;
  } else {
    if (errno != ENOENT) return errno;
    int fd = open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    std::string found;
    int error = scan_folded(fd, part, found);
    close(fd);
    if (error != 0) return error;
    out = join(parent, found);
  }
  remember(key, out);
  return 0;
}

// The whole path as written, for the first try when its parent is unknown.
std::string exact_path(const ToolPath& path, size_t count) {
  std::string out = path.absolute ? "/" : ".";
  for (size_t i = 0; i < count; ++i) out = join(out, path.parts[i]);
  return out;
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
  if (fd_ >= 0) close(fd_);
}

int OpenDir::release() {
  int fd = fd_;
  fd_ = -1;
  return fd;
}

int OPEN_DIR(const ToolPath& path, size_t count, OpenDir& out) {
  constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
  if (count > 0 && recall(key_of(path, count)) == nullptr && recall(key_of(path, count - 1)) == nullptr) {
    std::string exact = exact_path(path, count);
    int fd = open(exact.c_str(), kFlags);
    if (fd >= 0) {
      remember(key_of(path, count), exact);
      out.fd_ = fd;
      out.path_ = exact;
      return 0;
    }
  }
  // A remembered directory may have gone or been renamed since: then its
  // opening fails, and the path is resolved once more from scratch.
  for (int attempt = 0;; ++attempt) {
    bool used_memory = false;
    std::string linux_path;
    int error = resolve(path, count, linux_path, used_memory);
    if (error == 0) {
      int fd = open(linux_path.c_str(), kFlags);
      if (fd >= 0) {
        out.fd_ = fd;
        out.path_ = linux_path;
        return 0;
      }
      error = errno;
    }
    if (!used_memory || attempt > 0) return error;
    FORGET_DIRS();
  }
}

int FIND_ENTRY(int dirfd, const std::string& part, std::string& found) {
  struct stat st;
  if (fstatat(dirfd, part.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    found = part;
    return 0;
  }
  if (errno != ENOENT) return errno;
  return scan_folded(dirfd, part, found);
}

int LOCATE(const Str& path, OpenDir& dir, std::string& name) {
  ToolPath parsed;
  if (!PARSE_TOOL_PATH(path, parsed)) return ENOENT;
  if (parsed.parts.empty()) {
    if (!parsed.absolute) return ENOENT;
    parsed.parts.push_back(".");
  }
  size_t count = parsed.parts.size();
  if (int error = OPEN_DIR(parsed, count - 1, dir)) return error;
  int error = FIND_ENTRY(dir.fd(), parsed.parts[count - 1], name);
  if (error == ENOENT) name = parsed.parts[count - 1];
  return error;
}

void FORGET_DIRS() { remembered().clear(); }

}  // namespace zelmo::posix
