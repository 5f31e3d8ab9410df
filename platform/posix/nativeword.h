// The attribute words that Windows file systems keep themselves, as Linux
// hands them out: NTFS's 32-bit word, the attribute byte of a FAT directory
// entry, and the word an SMB server keeps for a file of its share. Pure word
// and byte work, no I/O.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelmo::posix {

// Where the attributes of the entries of one file system live.
enum class Store {
  kSamba,  // user.DOSATTRIB, and the write permission bits for Read-only
  kNtfs,   // system.ntfs_attrib: NTFS's own word
  kFat,    // the directory entry's attribute byte, through the FAT ioctls
  kSmb,    // user.cifs.dosattrib: the word the SMB server keeps
  kNone,   // nowhere: only the type and the write permission bits tell
  kExfat,  // exFAT without the FAT ioctls: as kNone, but the kernel copies
           // Read-only into the entry when the write bits go, and never
           // takes it out again (they come back without it when mounted anew)
};

// The extended attributes that carry a store's word.
inline constexpr char kNtfsWordName[] = "system.ntfs_attrib";
inline constexpr char kSmbWordName[] = "user.cifs.dosattrib";

// The bits a change may set or clear: R, H, S and A.
constexpr uint32_t kChangeableBits = 0x27;

// The word of a 4-byte value read from a store's extended attribute: NTFS's
// in the CPU's byte order, SMB's little-endian. false for any other length.
// REQUIRES: store is kNtfs or kSmb.
bool WORD_OF_VALUE(Store store, std::string_view value, uint32_t& word);

// The 4-byte value that carries word in store's extended attribute.
// REQUIRES: store is kNtfs or kSmb.
std::string VALUE_OF_WORD(Store store, uint32_t word);

// The word to write back so that the R, H, S and A of word replace those of
// stored, every other bit of stored kept. Normal (0x80), which the NTFS
// drivers and SMB give for a word without any attribute, means "nothing
// else" in such a word: it never stays beside another bit. A word left
// without any is 0 on NTFS, and Normal for SMB, whose protocol takes 0 as
// "leave as it is".
// REQUIRES: store is kNtfs, kFat or kSmb.
uint32_t MERGED_WORD(Store store, uint32_t stored, uint32_t word);

// The attribute word shown for an entry whose store holds stored: Directory
// from the entry's type, no volume label, and no reparse point, which the
// tool keeps for a symbolic link.
uint32_t SHOWN_NATIVE_WORD(uint32_t stored, bool directory);

}  // namespace zelmo::posix
