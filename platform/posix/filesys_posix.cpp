// Directories, deletion and raw files.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/filesys.h"
#include "platform/posix/resolve_posix.h"

namespace zelmo {

using posix::OpenDir;

namespace {

// Takes the file for this process alone, as far as other users of the same
// lock go: another opening through FILE_OPEN and DELETEFILE fail meanwhile.
bool lock_alone(int fd) { return flock(fd, LOCK_EX | LOCK_NB) == 0; }

int open_new(int dirfd, const std::string& name) {
  // Nothing of that name may exist, not even a link: in a shared directory
  // a planted link must never be followed. Private to the user.
  return openat(dirfd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

// Opens an existing entry or, when create is set and nothing has that
// name, a new file. A link to a file is followed (a user may keep the
// output file elsewhere), but a new file is never made through a link.
int open_entry(int dirfd, const std::string& name, bool exists, int flags, bool create) {
  // O_NONBLOCK: a fifo planted under the name fails or returns at once
  // instead of hanging the run; anything but a regular file is refused below.
  flags |= O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  if (!exists && !create) {
    errno = ENOENT;
    return -1;
  }
  if (!exists) flags |= O_CREAT | O_EXCL | O_NOFOLLOW;
  return openat(dirfd, name.c_str(), flags, 0666);
}

int check_and_lock(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0) return errno;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  if (!S_ISREG(st.st_mode)) return EINVAL;
  if (!lock_alone(fd)) return EBUSY;
  int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return errno;
  return 0;
}

}  // namespace

int MKDIR(const Str& dir) {
  if (dir.empty()) return 0;
  OpenDir parent;
  std::string name;
  int error = posix::LOCATE(dir, parent, name);
  if (error == 0) return EEXIST;
  if (error != ENOENT || parent.fd() < 0) return error;
  return mkdirat(parent.fd(), name.c_str(), 0777) == 0 ? 0 : errno;
}

int CHDIR(const Str& dir) {
  if (dir.empty()) return 0;
  posix::ToolPath path;
  if (!posix::PARSE_TOOL_PATH(dir, path)) return ENOENT;
  OpenDir target;
  if (int error = posix::OPEN_DIR(path, path.parts.size(), target)) return error;
  if (fchdir(target.fd()) != 0) return errno;
  // Relative paths now lead elsewhere.
  posix::FORGET_DIRS();
  return 0;
}

int DELETEFILE(const Str& name) {
  OpenDir dir;
  std::string entry;
  if (int error = posix::LOCATE(name, dir, entry)) return error;
  struct stat st;
  if (fstatat(dir.fd(), entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  // A regular file that is open for exclusive use is not deleted.
  int fd = -1;
  if (S_ISREG(st.st_mode)) {
    fd = openat(dir.fd(), entry.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0 && !lock_alone(fd)) {
      close(fd);
      return EBUSY;
    }
  }
  int error = unlinkat(dir.fd(), entry.c_str(), 0) == 0 ? 0 : errno;
  if (fd >= 0) close(fd);
  return error;
}

int FILE_OPEN(const Str& name, OpenMode mode, FileHandle& handle) {
  handle = kNoFile;
  OpenDir dir;
  std::string entry;
  int error = posix::LOCATE(name, dir, entry);
  if (error != 0 && (error != ENOENT || dir.fd() < 0)) return error;
  bool exists = error == 0;
  int fd = -1;
  switch (mode) {
    case OpenMode::kCreateNew:
      if (exists) return EEXIST;
      fd = open_new(dir.fd(), entry);
      break;
    case OpenMode::kRewrite:
      fd = open_entry(dir.fd(), entry, exists, O_WRONLY, true);
      break;
    case OpenMode::kAppend:
      fd = open_entry(dir.fd(), entry, exists, O_WRONLY | O_APPEND, true);
      break;
    case OpenMode::kReadOnly:
      fd = open_entry(dir.fd(), entry, exists, O_RDONLY, false);
      break;
  }
  if (fd < 0) return errno;
  error = check_and_lock(fd);
  // Emptied only once it is ours alone: O_TRUNC would empty a file that
  // another run holds open.
  if (error == 0 && mode == OpenMode::kRewrite && ftruncate(fd, 0) != 0) error = errno;
  if (error != 0) {
    close(fd);
    return error;
  }
  handle = fd;
  return 0;
}

int FILE_WRITE(FileHandle handle, const void* bytes, size_t count) {
  const char* next = static_cast<const char*>(bytes);
  while (count > 0) {
    ssize_t n = write(int(handle), next, count);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    next += n;
    count -= size_t(n);
  }
  return 0;
}

int FILE_READ(FileHandle handle, void* bytes, size_t count, size_t& got) {
  got = 0;
  char* next = static_cast<char*>(bytes);
  while (got < count) {
    ssize_t n = read(int(handle), next + got, count - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) break;
    got += size_t(n);
  }
  return 0;
}

int FILE_WRITE_AT(FileHandle handle, int64_t offset, const void* bytes, size_t count) {
  const char* next = static_cast<const char*>(bytes);
  while (count > 0) {
    ssize_t n = pwrite(int(handle), next, count, off_t(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    next += n;
    offset += n;
    count -= size_t(n);
  }
  return 0;
}

int FILE_READ_AT(FileHandle handle, int64_t offset, void* bytes, size_t count, size_t& got) {
  // One call: a regular file gives less than asked only at its end.
  ssize_t n;
  do {
    n = pread(int(handle), bytes, count, off_t(offset));
  } while (n < 0 && errno == EINTR);
  got = n < 0 ? 0 : size_t(n);
  return n < 0 ? errno : 0;
}

int FILE_SEEK(FileHandle handle, int64_t offset) {
  return lseek(int(handle), off_t(offset), SEEK_SET) < 0 ? errno : 0;
}

int FILE_SIZE(FileHandle handle, int64_t& size) {
  size = 0;
  struct stat st;
  if (fstat(int(handle), &st) != 0) return errno;
  size = st.st_size;
  return 0;
}

int FILE_CLOSE(FileHandle handle) { return close(int(handle)) == 0 ? 0 : errno; }

}  // namespace zelmo
