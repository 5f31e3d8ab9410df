// Directories, deletion and raw files.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/filesys.h"
#include "platform/posix/resolve_posix.h"

namespace zelmo {

using posix::OpenDir;

namespace {

// Takes the file for this process alone, as far as other users of the same
// lock go: another opening through FILE_OPEN_OR_CREATE and DELETEFILE fail
// meanwhile.
bool lock_alone(int fd) { return flock(fd, LOCK_EX | LOCK_NB) == 0; }

// O_NONBLOCK: a fifo planted under a name fails or returns at once instead
// of hanging the run; anything but a regular file is refused afterwards.
constexpr int kOpenFlags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// How often a name that keeps changing between two looks is looked at again.
constexpr int kAttempts = 8;

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

// Checks and locks a freshly opened file; 0 with handle set, or the error
// with the file closed.
int hand_over(int fd, FileHandle& handle) {
  if (int error = check_and_lock(fd)) {
    close(fd);
    return error;
  }
  handle = fd;
  return 0;
}

// Whether an entry counts as a file for the output-file policy: anything but
// a directory, a link by what it leads to.
bool counts_as_file(int dirfd, const std::string& name, const struct stat& st) {
  struct stat target;
  if (S_ISLNK(st.st_mode)) return !(fstatat(dirfd, name.c_str(), &target, 0) == 0 && S_ISDIR(target.st_mode));
  return !S_ISDIR(st.st_mode);
}

// Opens entry name of dirfd for writing, or creates it when missing and
// may_create holds. A link is followed only as MAY_FOLLOW allows, and only to
// a file that exists: no new file is made through a link.
int open_or_create(int dirfd, const std::string& name, bool found, bool may_create, int& links, int& fd,
                   bool& existed) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (!found) {
      if (!may_create) return ENOENT;
      fd = openat(dirfd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | kOpenFlags, 0666);
      if (fd >= 0) {
        existed = false;
        return 0;
      }
      if (errno != EEXIST) return errno;
      // The name was taken in between: what took it is an existing file.
    }
    fd = openat(dirfd, name.c_str(), O_WRONLY | O_NOFOLLOW | kOpenFlags);
    if (fd >= 0) {
      existed = true;
      return 0;
    }
    int error = errno;
    struct stat st;
    if (fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno != ENOENT) return errno;
      found = false;  // gone in between
      continue;
    }
    existed = counts_as_file(dirfd, name, st);
    if (!S_ISLNK(st.st_mode)) return error;
    OpenDir target;
    std::string last;
    if (int failed = posix::FOLLOW_LINK(dirfd, name, links, target, last)) {
      if (failed != EINVAL) return failed;
      found = true;  // no link any more: looked at afresh
      continue;
    }
    bool target_found = fstatat(target.fd(), last.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    return open_or_create(target.fd(), last, target_found, false, links, fd, existed);
  }
  return EAGAIN;
}

// The files FILE_CREATE_NEW made: where, so that FILE_CLOSE_AND_DELETE removes
// that very entry, whatever has become of the path to it.
struct Created {
  int fd = -1;
  int dirfd = -1;
  std::string name;
};

std::vector<Created>& created() {
  static std::vector<Created> files;
  return files;
}

// Takes the record of a file FILE_CREATE_NEW made; dirfd is -1 for any other.
Created take_created(int fd) {
  auto& files = created();
  auto it = std::find_if(files.begin(), files.end(), [fd](const Created& c) { return c.fd == fd; });
  if (it == files.end()) return Created();
  Created found = *it;
  files.erase(it);
  return found;
}

// Deletes the entry that holds the open file fd; ESTALE when the name now
// names another file, which stays.
int delete_entry(int dirfd, const std::string& name, int fd) {
  struct stat held, st;
  if (fstat(fd, &held) != 0 || fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  if (st.st_dev != held.st_dev || st.st_ino != held.st_ino) return ESTALE;
  return unlinkat(dirfd, name.c_str(), 0) == 0 ? 0 : errno;
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
  posix::STOP_LENDING();
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
    fd = openat(dir.fd(), entry.c_str(), O_RDONLY | O_NOFOLLOW | kOpenFlags);
    if (fd >= 0 && !lock_alone(fd)) {
      close(fd);
      return EBUSY;
    }
  }
  int error = unlinkat(dir.fd(), entry.c_str(), 0) == 0 ? 0 : errno;
  if (fd >= 0) close(fd);
  return error;
}

int FILE_CREATE_NEW(const Str& name, FileHandle& handle) {
  handle = kNoFile;
  OpenDir dir;
  std::string entry;
  int error = posix::LOCATE(name, dir, entry);
  if (error == 0) return EEXIST;
  if (error != ENOENT || dir.fd() < 0) return error;
  // Nothing of that name may exist, not even a link: in a shared directory
  // a planted link must never be followed. Private to the user.
  int fd = openat(dir.fd(), entry.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return errno;
  if (int failed = hand_over(fd, handle)) return failed;
  // Without a descriptor of its directory the file is deleted by its name.
  int dirfd = fcntl(dir.fd(), F_DUPFD_CLOEXEC, 0);
  if (dirfd >= 0) created().push_back(Created{fd, dirfd, entry});
  return 0;
}

int FILE_OPEN_OR_CREATE(const Str& name, FileHandle& handle, bool& existed) {
  handle = kNoFile;
  existed = false;
  OpenDir dir;
  std::string entry;
  int error = posix::LOCATE(name, dir, entry);
  if (error != 0 && (error != ENOENT || dir.fd() < 0)) return error;
  int links = posix::kMaxLinks;
  int fd = -1;
  if (int failed = open_or_create(dir.fd(), entry, error == 0, true, links, fd, existed)) return failed;
  return hand_over(fd, handle);
}

int FILE_TRUNCATE(FileHandle handle) {
  if (ftruncate(int(handle), 0) != 0) return errno;
  return lseek(int(handle), 0, SEEK_SET) < 0 ? errno : 0;
}

int FILE_CLOSE_AND_DELETE(FileHandle handle, const Str& name) {
  int fd = int(handle);
  Created place = take_created(fd);
  int error = 0;
  if (place.dirfd >= 0) {
    error = delete_entry(place.dirfd, place.name, fd);
    close(place.dirfd);
  } else {
    OpenDir dir;
    std::string entry;
    error = posix::LOCATE(name, dir, entry);
    if (error == 0) error = delete_entry(dir.fd(), entry, fd);
  }
  int closed = close(fd) == 0 ? 0 : errno;
  return error != 0 ? error : closed;
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

int FILE_CLOSE(FileHandle handle) {
  Created place = take_created(int(handle));
  if (place.dirfd >= 0) close(place.dirfd);
  return close(int(handle)) == 0 ? 0 : errno;
}

}  // namespace zelmo
