// The attribute word of a directory entry as the tool shows it.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "platform/posix/dosattrib.h"
#include "platform/posix/nativeword.h"

namespace zelmo::posix {

// Where Samba keeps a file's attributes, and Wine reads them.
inline constexpr char kDosAttribName[] = "user.DOSATTRIB";

// Reads a value through get(buffer, size), a getxattr call, into value,
// growing the buffer for a large one. 0, or an errno value (ENODATA: none).
template <class Get>
int READ_VALUE(Get get, std::string& value) {
  char small[256];
  ssize_t n = get(small, sizeof small);
  if (n >= 0) {
    value.assign(small, size_t(n));
    return 0;
  }
  // The value may grow between asking its size and reading it.
  for (int attempt = 0; errno == ERANGE && attempt < 3; ++attempt) {
    n = get(nullptr, 0);
    if (n < 0) break;
    value.resize(size_t(n));
    n = get(value.data(), value.size());
    if (n >= 0) {
      value.resize(size_t(n));
      return 0;
    }
  }
  return errno;
}

// The word of the entry name in directory dirfd, whose status st was read
// without following links, read from store (ENTRY_STORE); full_path is its
// Linux path, for the value where the kernel cannot read it through dirfd.
// A symbolic link gets kReparsePoint, and Directory when it leads to one.
uint32_t ENTRY_WORD(int dirfd, const char* name, const std::string& full_path, const struct stat& st,
                    Store store);

}  // namespace zelmo::posix
