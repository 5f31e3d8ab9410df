// The attribute byte of a FAT directory entry (vfat, msdos; exFAT where the
// kernel offers the same calls), through FAT_IOCTL_GET_ATTRIBUTES and
// FAT_IOCTL_SET_ATTRIBUTES on a descriptor of the entry. The kernel keeps
// Read-only and the write permission bits in step itself.
#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/posix/attrstore_posix.h"
#include "platform/posix/nativestore_posix.h"

namespace zelmo::posix {

uint32_t FAT_ENTRY_WORD(int dirfd, const char* name, const struct stat& st) {
  // O_NONBLOCK, O_NOCTTY: a name swapped for a fifo or a device since its
  // status was read neither hangs the search nor takes a terminal.
  int fd = openat(dirfd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return MODE_WORD(st);
  uint32_t attributes = 0;
  bool got = ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes) == 0;
  close(fd);
  return got ? SHOWN_NATIVE_WORD(attributes, S_ISDIR(st.st_mode)) : MODE_WORD(st);
}

int STORE_FAT_WORD(int dirfd, const std::string& name, const struct stat& st, uint32_t word) {
  Target target;
  if (int error = target.open(dirfd, name, st)) return error;
  uint32_t stored = 0;
  if (int error = target.get_fat_attributes(stored)) return error;
  uint32_t merged = MERGED_WORD(Store::kFat, stored, word);
  if (merged == stored) return 0;
  return target.set_fat_attributes(merged);
}

}  // namespace zelmo::posix
