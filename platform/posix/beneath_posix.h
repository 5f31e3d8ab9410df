// Directories opened beneath a held directory: never above it, never
// through a symbolic link, whatever is put in place of a part meanwhile.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zelmo::posix {

// How a directory beneath another is opened.
enum class BeneathWay {
  kOpenat2,  // one openat2 call with RESOLVE_BENEATH and RESOLVE_NO_SYMLINKS (Linux 5.6 on)
  kWalk,     // one openat call per part, none following a link
};

// The way this kernel allows: openat2 where it has it. Found once.
BeneathWay BENEATH_WAY();

// Opens for reading the directory that parts[from, to) name below the
// directory dirfd (from == to: dirfd itself). A part that is a symbolic link
// gives ELOOP, one that is no directory ENOTDIR, a missing one ENOENT; an
// empty part, ".", ".." or one holding "/" gives EXDEV.
// 0 with fd open, or an errno value.
int OPEN_BENEATH(int dirfd, const std::vector<std::string>& parts, size_t from, size_t to, BeneathWay way,
                 int& fd);

}  // namespace zelmo::posix
