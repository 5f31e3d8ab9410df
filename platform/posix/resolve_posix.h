// Tool paths on a Linux disk. The tool's path syntax: "\" between parts ("/"
// read as "\"), "\" first for an absolute path, no drive letters; a path
// with a drive letter or beginning with "\\" names nothing on disk.
//
// A path is found in one of two ways. Below the run's held top (HOLD_TOP),
// every part is a name as found on disk and is reached beneath the held
// directory, never through a link (beneath_posix). Any other path is what a
// user typed: it is walked from "/" or the current directory part by part,
// each part found with a to z folded (the name written wins; otherwise the
// first matching entry in byte order), and a symbolic link on the way is
// followed only when it belongs to the user running the tool or to root.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <vector>

#include "support/str.h"

namespace zelmo::posix {

struct ToolPath {
  bool absolute = false;
  std::vector<std::string> parts;  // never empty, never holding "\" or "/"
};

// Cuts a path into its parts, dropping empty ones. false when it names
// nothing on disk: a drive letter, a "\\" start, or a NUL byte inside.
bool PARSE_TOOL_PATH(const Str& path, ToolPath& out);

// An open directory and its Linux path (for the calls that only take a path).
class OpenDir {
 public:
  OpenDir() = default;
  OpenDir(const OpenDir&) = delete;
  OpenDir& operator=(const OpenDir&) = delete;
  ~OpenDir();
  int fd() const { return fd_; }
  const std::string& path() const { return path_; }
  // Hands the descriptor over to the caller, who then closes it. Only for
  // a directory that OPEN_DIR opened: a lent one stays its lender's.
  int release();

 private:
  friend int OPEN_DIR(const ToolPath& path, size_t count, OpenDir& out);
  friend bool BORROW_DIR(const ToolPath& path, size_t count, OpenDir& out);
  friend int FOLLOW_LINK(int dirfd, const std::string& name, int& links, OpenDir& dir, std::string& last);
  void set(int fd, bool owned, std::string path);
  int fd_ = -1;
  bool owned_ = true;
  std::string path_;
};

// Whether a symbolic link of this status may be followed: the user running
// the tool or root owns it. A link that another user owns could lead a run
// of root's anywhere that user chooses.
bool MAY_FOLLOW(const struct stat& link);

// Opens the directory formed by the first count parts of path. 0 or an
// errno value: EACCES also for a link on the way that may not be followed,
// ELOOP for a link below the held top.
int OPEN_DIR(const ToolPath& path, size_t count, OpenDir& out);

// The entry of directory dirfd named by part: the exact name when such an
// entry exists (not following links), otherwise the first in byte order that
// matches with a to z folded. 0 or an errno value (ENOENT when none). With
// st, also the entry's status, read without following a link.
int FIND_ENTRY(int dirfd, const std::string& part, std::string& found, struct stat* st = nullptr);

// The directory and the entry a tool path names: 0 with dir open and name
// the entry's name on disk. ENOENT with dir open and name as written when
// only the entry is missing (for callers that create it); another errno
// value, or ENOENT with dir not open, when the directory cannot be found.
// The root "\" is the entry "." of "/"; an empty path names nothing. With
// st, also the entry's status (as FIND_ENTRY). The directory of the open
// search (LEND_DIR) is lent rather than opened again: dir is then never
// released.
int LOCATE(const Str& path, OpenDir& dir, std::string& name, struct stat* st = nullptr);

// The target of the symbolic link name in directory dirfd, when MAY_FOLLOW
// allows it: dir open on the directory that holds the target, last the
// target's last part as the link spells it ("." when the target ends at a
// directory). links counts down the links a lookup may still follow (ELOOP
// at none). EACCES for a link that may not be followed, EINVAL for an entry
// that is no link.
int FOLLOW_LINK(int dirfd, const std::string& name, int& links, OpenDir& dir, std::string& last);

// The most links one lookup follows, as the kernel.
constexpr int kMaxLinks = 40;

// The directory of the first count parts of path is open as fd (Linux path
// linux_path) for a search, until TAKE_BACK_DIR(fd): LOCATE lends it out,
// so that a change of an entry the search reported reaches that very
// directory, in one call. One directory is lent at a time, the latest; a
// path must spell the directory as the search's mask did to borrow it.
void LEND_DIR(const ToolPath& path, size_t count, int fd, const std::string& linux_path);
void TAKE_BACK_DIR(int fd);

// Lends the directory of LEND_DIR when it is the one of the first count
// parts of path; false when it is not.
bool BORROW_DIR(const ToolPath& path, size_t count, OpenDir& out);

// Stops lending; for a change of current directory, after which a relative
// path may name another directory than the lent one.
void STOP_LENDING();

// Lets go of the held top: paths below it are walked as typed again.
void RELEASE_TOP();

}  // namespace zelmo::posix
