// Which store holds the attributes of an entry: chosen per file system,
// once per device, so that one tree run that crosses mount points reads and
// writes each part where Windows keeps its attributes.
#pragma once

#include <sys/stat.h>

#include <cstdint>

#include "platform/posix/nativeword.h"

namespace zelmo::posix {

// A file system's magic number (fstatfs's f_type) for each store.
inline constexpr uint32_t kMsdosMagic = 0x4d44;  // vfat and msdos
inline constexpr uint32_t kExfatMagic = 0x2011BAB0;
inline constexpr uint32_t kNtfs3Magic = 0x7366746e;  // the kernel's NTFS driver
inline constexpr uint32_t kFuseMagic = 0x65735546;
inline constexpr uint32_t kCifsMagic = 0xFF534D42;  // SMB 1
inline constexpr uint32_t kSmb2Magic = 0xFE534D42;  // SMB 2 and 3

// What a file system tells of itself and answers on one of its files.
struct FsFacts {
  uint32_t magic = 0;
  bool ntfs_word = false;   // the file answers system.ntfs_attrib
  bool fat_ioctl = false;   // the file answers FAT_IOCTL_GET_ATTRIBUTES
  bool user_values = true;  // user extended attributes are not refused
};

// The store for a file system: FAT's byte for vfat and msdos, NTFS's word
// for the kernel's driver and for a FUSE file system that answers with it
// (ntfs-3g), the server's word for SMB mounts, FAT's byte on exFAT where the
// kernel offers it there and the write bits alone where it does not;
// elsewhere user.DOSATTRIB, or no store at all where user extended
// attributes are refused.
Store CHOOSE_STORE(const FsFacts& facts);

// The store of entry name of directory dirfd, whose status st was read
// without following a link. Decided once per device and run: every later
// entry of the same device costs no system call. A device whose answers
// could not be read (a probe refused for lack of permission) gets the store
// that writes nothing it might get wrong.
Store ENTRY_STORE(int dirfd, const char* name, const struct stat& st);

}  // namespace zelmo::posix
