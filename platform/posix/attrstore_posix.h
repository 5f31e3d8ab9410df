// Storing an attribute word on one entry, never reaching another file.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "platform/posix/entryword_posix.h"

namespace zelmo::posix {

// How a Target must hold its entry.
enum class Reach {
  kReadable,  // open for reading where the user may, for ioctls
  kPathOnly,  // by path only: no file is opened on the file system, which
              // on a network share would take a share mode of its own
};

// One regular file or directory, held open so that every call reaches the
// inode that was checked, whatever happens to its name meanwhile.
class Target {
 public:
  Target() = default;
  Target(const Target&) = delete;
  Target& operator=(const Target&) = delete;
  ~Target();

  // Opens the entry name of directory dirfd without following a link;
  // before is its status, just read without following a link. ELOOP for a
  // symbolic link, EPERM for an entry that is neither a regular file nor a
  // directory (it cannot hold the value), ESTALE when what was opened is
  // not the entry of before, else 0 or errno.
  int open(int dirfd, const std::string& name, const struct stat& before, Reach reach = Reach::kReadable);
  const struct stat& status() const { return st_; }

  // The extended attribute xattr: 0 or an errno value (ENODATA: nothing stored).
  int get(std::string& value, const char* xattr = kDosAttribName) const;
  int set(const std::string& value, const char* xattr = kDosAttribName) const;
  int remove() const;
  int change_mode(mode_t mode) const;
  // The FAT attribute byte, through the FAT ioctls: 0 or an errno value
  // (EACCES where the entry could not be opened for reading).
  int get_fat_attributes(uint32_t& attributes) const;
  int set_fat_attributes(uint32_t attributes) const;

 private:
  int fd_ = -1;
  // A file that cannot be opened for reading is held by an O_PATH descriptor
  // and reached through its /proc/self/fd link, which leads to that very inode.
  std::string proc_path_;
  struct stat st_ = {};
};

// Stores word (its R, H, S and A; D follows the entry's type) on the target:
// in user.DOSATTRIB, and Read-only also in a regular file's write permission
// bits. Either everything is stored or the entry is left as it was.
// dot_name: whether the entry's name begins with "." (not "." or "..").
int STORE_WORD(const Target& target, uint32_t word, bool dot_name);

// Stores word on the target where only the write permission bits can keep
// anything: Read-only of a regular file. ENOTSUP for a change that a listing
// would then not show, judged by what a listing shows there: with Hidden
// for a dot name where dot_name is set.
int STORE_MODE_WORD(const Target& target, uint32_t word, bool dot_name);

// What STORE_WORD_AT returns for a change it leaves to STORE_WORD.
constexpr int kNeedsTarget = -1;

// Stores word as STORE_WORD does, on entry name of directory dirfd whose
// status st was just read without following a link, when that takes no
// more than one write of a text value: no mode to change, no record to
// rewrite. It opens nothing and follows no link: the value is read and
// written through dirfd. kNeedsTarget for any other change, and where the
// kernel cannot do it this way: the caller then opens a Target.
int STORE_WORD_AT(int dirfd, const std::string& name, const struct stat& st, uint32_t word);

}  // namespace zelmo::posix
