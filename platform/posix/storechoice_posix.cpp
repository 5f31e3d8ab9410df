#include "platform/posix/storechoice_posix.h"

#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/posix/entryword_posix.h"

namespace zelmo::posix {

namespace {

enum class Answer { kYes, kNo, kUnknown };

// A descriptor of a file of the device being probed.
struct Probe {
  int fd;

  // The length of value name of the file, or -1 with errno.
  ssize_t value_size(const char* name) const {
    ssize_t n = fgetxattr(fd, name, nullptr, 0);
    if (n >= 0 || errno != EBADF) return n;
    // An O_PATH descriptor reaches the values only through its /proc link.
    std::string path = "/proc/self/fd/" + std::to_string(fd);
    return getxattr(path.c_str(), name, nullptr, 0);
  }

  // ntfs-3g answers system.ntfs_attrib on every file; other FUSE file
  // systems have no such value or no values at all.
  Answer ntfs_word() const {
    if (value_size(kNtfsWordName) >= 0) return Answer::kYes;
    return errno == ENODATA || errno == ENOTSUP ? Answer::kNo : Answer::kUnknown;
  }

  // Only ENOTSUP tells that the file system keeps no user values: any other
  // answer comes from one that does.
  bool user_values() const { return value_size(kDosAttribName) >= 0 || errno != ENOTSUP; }

  Answer fat_ioctl() const {
    uint32_t attributes;
    if (ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes) == 0) return Answer::kYes;
    return errno == EBADF ? Answer::kUnknown : Answer::kNo;
  }
};

struct Known {
  dev_t dev;
  Store store;
};

// The devices decided in this run; a run meets few.
std::vector<Known> g_known;

// The store of the device of probe's file, remembered for the run.
Store decide(dev_t dev, const Probe& probe) {
  struct statfs fs;
  if (fstatfs(probe.fd, &fs) != 0) return Store::kNone;
  FsFacts facts;
  facts.magic = uint32_t(fs.f_type);
  Answer answer = Answer::kYes;
  switch (facts.magic) {
    case kMsdosMagic:
    case kNtfs3Magic:
    case kCifsMagic:
    case kSmb2Magic:
      break;
    case kFuseMagic:
      answer = probe.ntfs_word();
      facts.ntfs_word = answer == Answer::kYes;
      if (answer == Answer::kNo) facts.user_values = probe.user_values();
      break;
    case kExfatMagic:
      answer = probe.fat_ioctl();
      facts.fat_ioctl = answer == Answer::kYes;
      break;
    default:
      facts.user_values = probe.user_values();
  }
  // Unsure: the store that writes nothing it might get wrong.
  Store store = answer != Answer::kUnknown   ? CHOOSE_STORE(facts)
                : facts.magic == kExfatMagic ? Store::kExfat
                                             : Store::kNone;
  g_known.push_back({dev, store});
  return store;
}

// An entry on a device of its own (a mount point, a file mounted over a
// name) is probed through a descriptor of its own; only a file or a
// directory is opened, which opening cannot disturb.
Store decide_through_entry(int dirfd, const char* name, const struct stat& st) {
  if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) return Store::kNone;
  int fd = openat(dirfd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) fd = openat(dirfd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return Store::kNone;
  struct stat self;
  Store store =
      fstat(fd, &self) == 0 && self.st_dev == st.st_dev ? decide(st.st_dev, Probe{fd}) : Store::kNone;
  close(fd);
  return store;
}

}  // namespace

Store CHOOSE_STORE(const FsFacts& facts) {
  switch (facts.magic) {
    case kMsdosMagic:
      return Store::kFat;
    case kNtfs3Magic:
      return Store::kNtfs;
    case kCifsMagic:
    case kSmb2Magic:
      return Store::kSmb;
    case kExfatMagic:
      return facts.fat_ioctl ? Store::kFat : Store::kExfat;
    default:
      if (facts.magic == kFuseMagic && facts.ntfs_word) return Store::kNtfs;
      return facts.user_values ? Store::kSamba : Store::kNone;
  }
}

Store ENTRY_STORE(int dirfd, const char* name, const struct stat& st) {
  for (const Known& known : g_known) {
    if (known.dev == st.st_dev) return known.store;
  }
  // Nearly every entry lies on its directory's device, whose descriptor is
  // at hand.
  struct stat dir;
  if (fstat(dirfd, &dir) == 0 && dir.st_dev == st.st_dev) return decide(st.st_dev, Probe{dirfd});
  return decide_through_entry(dirfd, name, st);
}

}  // namespace zelmo::posix
