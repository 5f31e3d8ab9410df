#include "platform/posix/attrstore_posix.h"

#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/filesys.h"
#include "platform/posix/dosattrib.h"
#include "platform/posix/entryword_posix.h"
#include "platform/posix/xattrat_posix.h"

namespace zelmo::posix {

namespace {

constexpr uint32_t kShownBits = kReadOnly | kHidden | kSystem | kArchive;

// The bits to store and the mode to give for word on an entry of status st.
// Read-only is also the write permission of a regular file (never of a
// directory, where it would stop the creation of files): +R takes every
// write bit away, -R gives the owner write permission back.
mode_t planned_mode(const struct stat& st, uint32_t word, uint32_t& bits) {
  bool regular = S_ISREG(st.st_mode);
  bits = (word & kShownBits) | (S_ISDIR(st.st_mode) ? uint32_t(kDirectory) : 0u);
  mode_t mode = st.st_mode & 07777;
  if (regular && (bits & kReadOnly) != 0) return mode & ~mode_t(0222);
  if (regular && (bits & kReadOnly) == 0 && (mode & 0222) == 0) return mode | S_IWUSR;
  return mode;
}

int check_type(const struct stat& st) {
  if (S_ISLNK(st.st_mode)) return ELOOP;
  if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) return EPERM;
  return 0;
}

// One change of value and mode, with what undoes each half.
class Change {
 public:
  Change(const Target& target, bool had_value, std::string old_value, std::string new_value, mode_t new_mode)
      : target_(target),
        had_value_(had_value),
        old_value_(std::move(old_value)),
        new_value_(std::move(new_value)),
        old_mode_(target.status().st_mode & 07777),
        new_mode_(new_mode) {}

  int apply() const {
    bool value_changes = !had_value_ || new_value_ != old_value_;
    bool mode_changes = new_mode_ != old_mode_;
    // A user value can be changed only while the file is writable, so write
    // bits are taken away after the value is written and given before.
    if ((old_mode_ & 0222) != 0 && (new_mode_ & 0222) == 0) {
      if (value_changes) {
        if (int error = write_value(old_mode_)) return error;
      }
      if (int error = target_.change_mode(new_mode_)) {
        if (value_changes) undo_value();
        return error;
      }
      return 0;
    }
    if (mode_changes) {
      if (int error = target_.change_mode(new_mode_)) return error;
    }
    if (value_changes) {
      if (int error = write_value(new_mode_)) {
        if (mode_changes) target_.change_mode(old_mode_);
        return error;
      }
    }
    return 0;
  }

 private:
  // The owner of a file without owner write permission may not change its
  // user values either; it lifts that bit for the write and restores it.
  int write_value(mode_t mode) const {
    int error = target_.set(new_value_);
    if (error != EACCES || target_.status().st_uid != geteuid() || (mode & S_IWUSR) != 0) return error;
    if (target_.change_mode(mode | S_IWUSR) != 0) return error;
    error = target_.set(new_value_);
    int restored = target_.change_mode(mode);
    if (restored != 0 && error == 0) {
      undo_value();
      return restored;
    }
    return error;
  }

  void undo_value() const {
    if (had_value_) {
      target_.set(old_value_);
    } else {
      target_.remove();
    }
  }

  const Target& target_;
  bool had_value_;
  std::string old_value_, new_value_;
  mode_t old_mode_, new_mode_;
};

}  // namespace

Target::~Target() {
  if (fd_ >= 0) close(fd_);
}

int Target::open(int dirfd, const std::string& name, const struct stat& before, Reach reach) {
  if (int error = check_type(before)) return error;
  // O_NONBLOCK and O_NOCTTY: should the name be swapped for a fifo or a
  // device after the check above, the open neither hangs nor takes a terminal.
  if (reach == Reach::kReadable)
    fd_ = openat(dirfd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) {
    if (reach == Reach::kReadable && errno != EACCES) return errno;
    fd_ = openat(dirfd, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd_ < 0) return errno;
    proc_path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  if (fstat(fd_, &st_) != 0) return errno;
  if (int error = check_type(st_)) return error;
  if (st_.st_dev != before.st_dev || st_.st_ino != before.st_ino) return ESTALE;
  return 0;
}

int Target::get(std::string& value, const char* xattr) const {
  auto get = [this, xattr](void* buffer, size_t size) {
    return proc_path_.empty() ? fgetxattr(fd_, xattr, buffer, size)
                              : getxattr(proc_path_.c_str(), xattr, buffer, size);
  };
  return READ_VALUE(get, value);
}

int Target::set(const std::string& value, const char* xattr) const {
  int result = proc_path_.empty() ? fsetxattr(fd_, xattr, value.data(), value.size(), 0)
                                  : setxattr(proc_path_.c_str(), xattr, value.data(), value.size(), 0);
  return result == 0 ? 0 : errno;
}

int Target::remove() const {
  int result = proc_path_.empty() ? fremovexattr(fd_, kDosAttribName)
                                  : removexattr(proc_path_.c_str(), kDosAttribName);
  return result == 0 ? 0 : errno;
}

int Target::change_mode(mode_t mode) const {
  int result = proc_path_.empty() ? fchmod(fd_, mode) : chmod(proc_path_.c_str(), mode);
  return result == 0 ? 0 : errno;
}

int Target::get_fat_attributes(uint32_t& attributes) const {
  if (!proc_path_.empty()) return EACCES;
  return ioctl(fd_, FAT_IOCTL_GET_ATTRIBUTES, &attributes) == 0 ? 0 : errno;
}

int Target::set_fat_attributes(uint32_t attributes) const {
  if (!proc_path_.empty()) return EACCES;
  return ioctl(fd_, FAT_IOCTL_SET_ATTRIBUTES, &attributes) == 0 ? 0 : errno;
}

int STORE_MODE_WORD(const Target& target, uint32_t word, bool dot_name) {
  const struct stat& st = target.status();
  uint32_t bits = 0;
  mode_t new_mode = planned_mode(st, word, bits);
  EntryFacts facts{S_ISDIR(st.st_mode), S_ISREG(st.st_mode), (new_mode & 0222) != 0, dot_name};
  if (((SHOWN_WORD(facts, DosAttrib()) ^ bits) & kShownBits) != 0) return ENOTSUP;
  return new_mode == (st.st_mode & 07777) ? 0 : target.change_mode(new_mode);
}

int STORE_WORD(const Target& target, uint32_t word, bool dot_name) {
  const struct stat& st = target.status();
  uint32_t bits = 0;
  mode_t new_mode = planned_mode(st, word, bits);

  std::string old_value;
  int got = target.get(old_value);
  // No user values on this file system: only a change that the write
  // permission alone shows can be stored.
  if (got == ENOTSUP) return STORE_MODE_WORD(target, word, dot_name);
  if (got != 0 && got != ENODATA) return got;
  DosAttrib decoded = got == 0 ? DECODE_DOSATTRIB(old_value) : DosAttrib();
  // A value this tool cannot read is never replaced: it may hold what a
  // newer program keeps there.
  if (decoded.form == DosAttrib::Form::kUnreadable) return EILSEQ;
  std::string new_value = ENCODE_DOSATTRIB(old_value, decoded, bits);
  return Change(target, got == 0, old_value, new_value, new_mode).apply();
}

int STORE_WORD_AT(int dirfd, const std::string& name, const struct stat& st, uint32_t word) {
  if (check_type(st) != 0) return kNeedsTarget;
  uint32_t bits = 0;
  if (planned_mode(st, word, bits) != (st.st_mode & 07777)) return kNeedsTarget;
  std::string old_value;
  int got = GET_VALUE_AT(dirfd, name.c_str(), kDosAttribName, old_value);
  if (got != 0 && got != ENODATA) return got == ENOSYS || got == ENOTSUP ? kNeedsTarget : got;
  DosAttrib decoded = got == 0 ? DECODE_DOSATTRIB(old_value) : DosAttrib();
  // A record's other bytes must go back to the inode they came from, which
  // only a descriptor makes sure of; a value that cannot be read is refused there.
  if (decoded.form != DosAttrib::Form::kNone && decoded.form != DosAttrib::Form::kText) return kNeedsTarget;
  std::string new_value = ENCODE_DOSATTRIB(old_value, decoded, bits);
  if (got == 0 && new_value == old_value) return 0;
  // One write, made only if the value is still there (or still missing), so
  // a value that appeared or went meanwhile is handled afresh.
  int error =
      SET_VALUE_AT(dirfd, name.c_str(), kDosAttribName, new_value, got == 0 ? XATTR_REPLACE : XATTR_CREATE);
  // EPERM, EACCES: a link or special file swapped in, or a file whose
  // owner must lift its write permission first; the descriptor's way tells.
  bool retry = error == ENOSYS || error == EPERM || error == EACCES || error == EEXIST || error == ENODATA;
  return retry ? kNeedsTarget : error;
}

}  // namespace zelmo::posix
