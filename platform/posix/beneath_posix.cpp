#include "platform/posix/beneath_posix.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

// Older C libraries do not name the call; its number is the same on every
// architecture the tool is built for.
#ifndef SYS_openat2
#define SYS_openat2 437
#endif

namespace zelmo::posix {

namespace {

constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
constexpr int kPartFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// openat2 gives EAGAIN when a rename elsewhere on the file system might have
// moved a part while it looked; another try settles it.
constexpr int kRenameRetries = 8;

int openat2_call(int dirfd, const std::string& relative, int flags, int& fd) {
  open_how how{};
  how.flags = static_cast<__u64>(flags);
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
  for (int attempt = 0;; ++attempt) {
    fd = static_cast<int>(syscall(SYS_openat2, dirfd, relative.c_str(), &how, sizeof how));
    if (fd >= 0) return 0;
    if (errno != EAGAIN || attempt == kRenameRetries) return errno;
  }
}

int by_openat2(int dirfd, const std::vector<std::string>& parts, size_t from, size_t to, int& fd) {
  std::string relative;
  for (size_t i = from; i < to; ++i) {
    if (!relative.empty()) relative += '/';
    relative += parts[i];
  }
  return openat2_call(dirfd, relative.empty() ? std::string(".") : relative, kDirFlags, fd);
}

// Why an entry that O_NOFOLLOW | O_DIRECTORY refused was refused.
int refusal(int dirfd, const std::string& part) {
  struct stat st;
  if (fstatat(dirfd, part.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  return S_ISLNK(st.st_mode) ? ELOOP : ENOTDIR;
}

int by_walk(int dirfd, const std::vector<std::string>& parts, size_t from, size_t to, int& fd) {
  int current = dirfd;
  int error = 0;
  for (size_t i = from; i < to && error == 0; ++i) {
    int next = openat(current, parts[i].c_str(), kPartFlags);
    if (next < 0) error = errno == ENOTDIR ? refusal(current, parts[i]) : errno;
    if (current != dirfd) close(current);
    current = next;
  }
  if (error == 0) {
    fd = openat(current, ".", kDirFlags);
    if (fd < 0) error = errno;
  }
  if (current >= 0 && current != dirfd) close(current);
  return error;
}

}  // namespace

BeneathWay BENEATH_WAY() {
  static const BeneathWay way = [] {
    int fd = -1;
    if (openat2_call(AT_FDCWD, ".", O_PATH | O_DIRECTORY | O_CLOEXEC, fd) != 0) return BeneathWay::kWalk;
    close(fd);
    return BeneathWay::kOpenat2;
  }();
  return way;
}

int OPEN_BENEATH(int dirfd, const std::vector<std::string>& parts, size_t from, size_t to, BeneathWay way,
                 int& fd) {
  fd = -1;
  for (size_t i = from; i < to; ++i) {
    // One name per part: a "/" inside would make openat walk, and follow, more.
    if (parts[i].empty() || parts[i] == "." || parts[i] == ".." || parts[i].find('/') != std::string::npos)
      return EXDEV;
  }
  return way == BeneathWay::kOpenat2 ? by_openat2(dirfd, parts, from, to, fd)
                                     : by_walk(dirfd, parts, from, to, fd);
}

}  // namespace zelmo::posix
