// An extended attribute of an entry named within an open directory, through the
// kernel's *at calls for extended attributes (Linux 6.13 on): they neither
// walk the directory's path again nor follow a link at the entry. Where the
// kernel lacks them, ENOSYS tells the caller to go the older way.
#pragma once

#include <string>

namespace zelmo::posix {

// Reads the value of extended attribute xattr of entry name of directory
// dirfd into value. 0, or an errno value (ENODATA: nothing stored; ENOSYS:
// not this way).
int GET_VALUE_AT(int dirfd, const char* name, const char* xattr, std::string& value);

// Stores value as extended attribute xattr of entry name of directory dirfd;
// flags as setxattr's (XATTR_CREATE, XATTR_REPLACE). 0, or an errno value
// (ENOSYS: not this way).
int SET_VALUE_AT(int dirfd, const char* name, const char* xattr, const std::string& value, int flags);

}  // namespace zelmo::posix
