#include "platform/posix/resolve_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/filesys.h"
#include "platform/posix/beneath_posix.h"
#include "platform/posix/wildcard_posix.h"

namespace zelmo::posix {

namespace {

constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
// A part of a walk: a directory held for what follows, never a link itself.
constexpr int kPartFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool is_separator(char c) { return c == '\\' || c == '/'; }

std::string join(const std::string& dir, const std::string& name) {
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

// A descriptor closed with its owner.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { reset(); }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  void reset(int fd = -1) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

// Where a walk stands: a directory and its Linux path.
struct Place {
  Fd fd;
  std::string linux_path;
};

int start(Place& at, bool absolute) {
  at.fd.reset(open(absolute ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (at.fd.get() < 0) return errno;
  at.linux_path.assign(1, absolute ? '/' : '.');
  return 0;
}

// The first entry of dirfd in byte order whose name equals part with a to z folded.
int scan_folded(int dirfd, const std::string& part, std::string& found) {
  int fd = openat(dirfd, ".", kDirFlags);
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

// The parts of a link's target, which is a Linux path.
ToolPath linux_parts(std::string_view target) {
  ToolPath path;
  path.absolute = target.starts_with('/');
  size_t start = 0;
  while (start <= target.size()) {
    size_t end = std::min(target.find('/', start), target.size());
    if (end > start) path.parts.emplace_back(target.substr(start, end - start));
    start = end + 1;
  }
  return path;
}

// The target of the link name in dirfd, read from the very link whose owner
// was checked: a link swapped in meanwhile is not read.
int read_link(int dirfd, const std::string& name, int& links, ToolPath& target) {
  Fd link(openat(dirfd, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
  if (link.get() < 0) return errno;
  struct stat st;
  if (fstat(link.get(), &st) != 0) return errno;
  if (!S_ISLNK(st.st_mode)) return EINVAL;
  if (!MAY_FOLLOW(st)) return EACCES;
  if (--links < 0) return ELOOP;
  std::string text(size_t(st.st_size) + 1, '\0');
  ssize_t n = readlinkat(link.get(), "", text.data(), text.size());
  if (n < 0) return errno;
  // A target that grew since its size was read is read again next time.
  if (size_t(n) >= text.size()) return EAGAIN;
  text.resize(size_t(n));
  target = linux_parts(text);
  return 0;
}

int walk(Place& at, const std::vector<std::string>& parts, size_t count, bool fold, int& links);

// Goes on from at into the target of its link name, as far as it leads.
int follow(Place& at, const std::string& name, int& links) {
  ToolPath target;
  if (int error = read_link(at.fd.get(), name, links, target)) return error == EINVAL ? ENOTDIR : error;
  if (target.absolute) {
    if (int error = start(at, true)) return error;
  }
  // A link's target is spelled as on disk: it is not folded.
  return walk(at, target.parts, target.parts.size(), false, links);
}

// Enters the first count parts from at. With fold, a part missing as
// written is found with a to z folded.
int walk(Place& at, const std::vector<std::string>& parts, size_t count, bool fold, int& links) {
  for (size_t i = 0; i < count; ++i) {
    const std::string& part = parts[i];
    if (part == ".") continue;
    std::string name = part;
    int next = openat(at.fd.get(), name.c_str(), kPartFlags);
    if (next < 0 && errno == ENOENT && fold && part != "..") {
      if (int error = scan_folded(at.fd.get(), part, name)) return error;
      next = openat(at.fd.get(), name.c_str(), kPartFlags);
    }
    if (next >= 0) {
      at.fd.reset(next);
      at.linux_path = join(at.linux_path, name);
      continue;
    }
    // O_NOFOLLOW | O_DIRECTORY refuses a link and a file alike.
    if (errno != ENOTDIR) return errno;
    if (int error = follow(at, name, links)) return error;
  }
  return 0;
}

// The run's top directory, once HOLD_TOP has found it.
struct Top {
  bool held = false;
  ToolPath path;  // as the run spells it
  int fd = -1;    // -1 when it could not be found: then nothing below it is
  std::string linux_path;
};

Top& top() {
  static Top held;
  return held;
}

// Whether the first count parts of path lie in the held top: they begin
// with its parts, spelled the same.
bool below_top(const ToolPath& path, size_t count) {
  const Top& t = top();
  if (!t.held || path.absolute != t.path.absolute || count < t.path.parts.size()) return false;
  return std::equal(t.path.parts.begin(), t.path.parts.end(), path.parts.begin());
}

int open_below_top(const ToolPath& path, size_t count, int& fd, std::string& linux_path) {
  const Top& t = top();
  if (t.fd < 0) return ENOENT;
  size_t first = t.path.parts.size();
  if (int error = OPEN_BENEATH(t.fd, path.parts, first, count, BENEATH_WAY(), fd)) return error;
  linux_path = t.linux_path;
  for (size_t i = first; i < count; ++i) linux_path = join(linux_path, path.parts[i]);
  return 0;
}

int open_typed(const ToolPath& path, size_t count, int& fd, std::string& linux_path) {
  Place at;
  int links = kMaxLinks;
  if (int error = start(at, path.absolute)) return error;
  if (int error = walk(at, path.parts, count, true, links)) return error;
  fd = openat(at.fd.get(), ".", kDirFlags);
  if (fd < 0) return errno;
  linux_path = at.linux_path;
  return 0;
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

// The text of the first count parts, as spelled: a borrower must name the
// directory exactly as the lender did.
std::string key_of(const ToolPath& path, size_t count) {
  std::string key(1, path.absolute ? '\\' : '.');
  for (size_t i = 0; i < count; ++i) key.append(1, '\\').append(path.parts[i]);
  return key;
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

void OpenDir::set(int fd, bool owned, std::string path) {
  if (fd_ >= 0 && owned_) close(fd_);
  fd_ = fd;
  owned_ = owned;
  path_ = std::move(path);
}

int OpenDir::release() { return std::exchange(fd_, -1); }

bool MAY_FOLLOW(const struct stat& link) { return link.st_uid == geteuid() || link.st_uid == 0; }

int OPEN_DIR(const ToolPath& path, size_t count, OpenDir& out) {
  int fd = -1;
  std::string linux_path;
  int error = below_top(path, count) ? open_below_top(path, count, fd, linux_path)
                                     : open_typed(path, count, fd, linux_path);
  if (error == 0) out.set(fd, true, std::move(linux_path));
  return error;
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

int FOLLOW_LINK(int dirfd, const std::string& name, int& links, OpenDir& dir, std::string& last) {
  ToolPath target;
  if (int error = read_link(dirfd, name, links, target)) return error;
  Place at;
  if (target.absolute) {
    if (int error = start(at, true)) return error;
  } else {
    at.fd.reset(openat(dirfd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (at.fd.get() < 0) return errno;
    at.linux_path.assign(1, '.');
  }
  size_t count = target.parts.empty() ? 0 : target.parts.size() - 1;
  if (int error = walk(at, target.parts, count, false, links)) return error;
  int fd = openat(at.fd.get(), ".", kDirFlags);
  if (fd < 0) return errno;
  dir.set(fd, true, at.linux_path);
  last = target.parts.empty() ? std::string(".") : target.parts.back();
  return 0;
}

void LEND_DIR(const ToolPath& path, size_t count, int fd, const std::string& linux_path) {
  lent() = Lent{key_of(path, count), fd, linux_path};
}

void TAKE_BACK_DIR(int fd) {
  if (lent().fd == fd) lent() = Lent();
}

bool BORROW_DIR(const ToolPath& path, size_t count, OpenDir& out) {
  if (lent().fd < 0 || key_of(path, count) != lent().key) return false;
  out.set(lent().fd, false, lent().linux_path);
  return true;
}

void STOP_LENDING() { lent() = Lent(); }

void RELEASE_TOP() {
  if (top().fd >= 0) close(top().fd);
  top() = Top();
}

}  // namespace zelmo::posix

namespace zelmo {

int HOLD_TOP(const Str& top) {
  posix::RELEASE_TOP();
  posix::ToolPath path;
  if (!posix::PARSE_TOOL_PATH(top, path)) return ENOENT;
  posix::Top& held = posix::top();
  held.held = true;
  held.path = path;
  posix::Place at;
  int links = posix::kMaxLinks;
  int error = posix::start(at, path.absolute);
  if (error == 0) error = posix::walk(at, path.parts, path.parts.size(), true, links);
  if (error != 0) return error;
  held.fd = at.fd.release();
  held.linux_path = at.linux_path;
  return 0;
}

bool HELD_TREE_SEALED() { return true; }

}  // namespace zelmo
