#include "platform/posix/xattrat_posix.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/posix/entryword_posix.h"

// Older C libraries do not name these calls; the numbers are the same on
// every architecture the tool is built for.
#ifndef SYS_setxattrat
#define SYS_setxattrat 463
#endif
#ifndef SYS_getxattrat
#define SYS_getxattrat 464
#endif

namespace zelmo::posix {

namespace {

// The kernel's struct xattr_args.
struct alignas(8) XattrArgs {
  uint64_t value;
  uint32_t size;
  uint32_t flags;
};

// Set once the kernel has refused the calls: every later entry goes the
// older way at once.
bool g_missing = false;

}  // namespace

int GET_VALUE_AT(int dirfd, const char* name, const char* xattr, std::string& value) {
  if (g_missing) return ENOSYS;
  auto get = [dirfd, name, xattr](void* buffer, size_t size) {
    XattrArgs args{uint64_t(uintptr_t(buffer)), uint32_t(size), 0};
    return ssize_t(syscall(SYS_getxattrat, dirfd, name, AT_SYMLINK_NOFOLLOW, xattr, &args, sizeof args));
  };
  int error = READ_VALUE(get, value);
  // Reading a user value is never refused with EPERM: that is a filter of
  // system calls that does not know this one.
  if (error == ENOSYS || error == EPERM) {
    g_missing = true;
    return ENOSYS;
  }
  return error;
}

int SET_VALUE_AT(int dirfd, const char* name, const char* xattr, const std::string& value, int flags) {
  if (g_missing) return ENOSYS;
  XattrArgs args{uint64_t(uintptr_t(value.data())), uint32_t(value.size()), uint32_t(flags)};
  if (syscall(SYS_setxattrat, dirfd, name, AT_SYMLINK_NOFOLLOW, xattr, &args, sizeof args) == 0) return 0;
  if (errno == ENOSYS) g_missing = true;
  return errno;
}

}  // namespace zelmo::posix
