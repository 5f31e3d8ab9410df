// The attribute word where a Windows file system keeps it itself (NTFS,
// FAT, an SMB server's share), and where nothing keeps it (exFAT on older
// kernels, file systems without extended attributes).
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "platform/posix/nativeword.h"

namespace zelmo::posix {

// The word shown for entry name of directory dirfd, a regular file or a
// directory of status st (read without following a link), whose file system
// keeps its attributes in store; full_path is its Linux path, for where the
// kernel cannot read through dirfd. What cannot be read shows only what the
// type and the write permission bits tell, as the file system itself does.
// REQUIRES: store is not kSamba.
uint32_t NATIVE_ENTRY_WORD(Store store, int dirfd, const char* name, const std::string& full_path,
                           const struct stat& st);

// Stores the R, H, S and A of word on entry name of directory dirfd, whose
// status st was just read without following a link, in store; every other
// bit of the stored word is kept. The entry is reached without following a
// link and must still be the one of st. 0, or an errno value: ENOTSUP for a
// change that store cannot keep.
// REQUIRES: store is not kSamba.
int STORE_NATIVE_WORD(Store store, int dirfd, const std::string& name, const struct stat& st, uint32_t word);

// The same for each store, in its own file.
uint32_t XATTR_ENTRY_WORD(Store store, int dirfd, const char* name, const std::string& full_path,
                          const struct stat& st);
int STORE_XATTR_WORD(Store store, int dirfd, const std::string& name, const struct stat& st, uint32_t word);
uint32_t FAT_ENTRY_WORD(int dirfd, const char* name, const struct stat& st);
int STORE_FAT_WORD(int dirfd, const std::string& name, const struct stat& st, uint32_t word);

// What the type and the write permission bits alone tell of an entry:
// Directory, and Read-only for a regular file without any write bit.
uint32_t MODE_WORD(const struct stat& st);

}  // namespace zelmo::posix
