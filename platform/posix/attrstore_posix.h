// Storing an attribute word on one entry, never reaching another file.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace zelmo::posix {

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
  int open(int dirfd, const std::string& name, const struct stat& before);
  const struct stat& status() const { return st_; }

  // 0 or an errno value (ENODATA: nothing stored).
  int get(std::string& value) const;
  int set(const std::string& value) const;
  int remove() const;
  int change_mode(mode_t mode) const;

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

}  // namespace zelmo::posix
