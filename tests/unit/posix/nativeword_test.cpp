#include "platform/posix/nativeword.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/filesys.h"

namespace zelmo::posix {

namespace {

std::string bytes(std::initializer_list<int> list) {
  std::string out;
  for (int b : list) out += char(b);
  return out;
}

const char* name(Store store) {
  switch (store) {
    case Store::kSamba:
      return "Samba";
    case Store::kNtfs:
      return "NTFS";
    case Store::kFat:
      return "FAT";
    case Store::kSmb:
      return "SMB";
    case Store::kExfat:
      return "exFAT";
    default:
      return "none";
  }
}

}  // namespace

// The SMB word travels little-endian whatever the CPU; NTFS's in the CPU's
// own order, as the NTFS drivers hand it out.
TEST(NativeWord, SmbValueIsLittleEndian) {
  uint32_t word = 0;
  ASSERT_TRUE(WORD_OF_VALUE(Store::kSmb, bytes({0x22, 0x00, 0x00, 0x80}), word));
  EXPECT_EQ(word, 0x80000022u);
  EXPECT_EQ(VALUE_OF_WORD(Store::kSmb, 0x00012027), bytes({0x27, 0x20, 0x01, 0x00}));
}

TEST(NativeWord, NtfsValueIsInTheCpuOrder) {
  const uint32_t word = 0x10002026;
  std::string expected(4, '\0');
  std::memcpy(expected.data(), &word, 4);
  EXPECT_EQ(VALUE_OF_WORD(Store::kNtfs, word), expected);
  uint32_t back = 0;
  ASSERT_TRUE(WORD_OF_VALUE(Store::kNtfs, expected, back));
  EXPECT_EQ(back, word);
}

TEST(NativeWord, OnlyFourByteValuesAreWords) {
  for (Store store : {Store::kNtfs, Store::kSmb}) {
    for (const std::string& value : {std::string(), std::string(3, '\x20'), std::string(5, '\x20')}) {
      uint32_t word = 7;
      EXPECT_FALSE(WORD_OF_VALUE(store, value, word)) << name(store) << " " << value.size() << " bytes";
    }
  }
}

TEST(NativeWord, MergeChangesOnlyReadOnlyHiddenSystemArchive) {
  struct Case {
    Store store;
    uint32_t stored, word, merged;
    const char* what;
  } cases[] = {
      {Store::kNtfs, 0x20, 0x22, 0x22, "hide a file"},
      {Store::kNtfs, 0x2A20, 0x03, 0x2A03, "sparse, compressed, not indexed kept"},
      {Store::kNtfs, 0x10, 0x02, 0x12, "Directory kept though the word lacks it"},
      {Store::kNtfs, 0x400 | 0x20, 0x20, 0x420, "reparse point kept"},
      {Store::kNtfs, 0x27, 0, 0, "NTFS takes a word of 0"},
      {Store::kNtfs, 0x80, 0x02, 0x02, "Normal dropped beside Hidden"},
      {Store::kNtfs, 0x80, 0x00, 0x00, "Normal is no attribute: 0 on NTFS"},
      {Store::kFat, 0x20, 0x05, 0x05, "system and read-only, archive cleared"},
      {Store::kFat, 0x30, 0x32, 0x32, "Directory kept"},
      {Store::kFat, 0xC8, 0x01, 0xC9, "the byte's other bits kept"},
      {Store::kSmb, 0x80, 0x02, 0x02, "Normal dropped beside Hidden"},
      {Store::kSmb, 0x22, 0x00, 0x80, "nothing left is Normal, never 0"},
      {Store::kSmb, 0x10, 0x00, 0x10, "a directory stays a directory"},
      {Store::kSmb, 0x820, 0x00, 0x800, "compressed stays"},
      {Store::kSmb, 0x20, 0xFFFFFFF8, 0x20, "bits outside R H S A of the request ignored"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MERGED_WORD(c.store, c.stored, c.word), c.merged) << name(c.store) << ": " << c.what;
  }
}

TEST(NativeWord, ShownWordTakesDirectoryFromTheTypeAndNoLinkOrLabel) {
  struct Case {
    uint32_t stored;
    bool directory;
    uint32_t shown;
  } cases[] = {
      {0x22, false, 0x22},  {0x10, true, 0x10},      {0x02, true, 0x12},  {0x12, false, 0x02},
      {0x420, false, 0x20}, {0x2808, false, 0x2800}, {0x80, false, 0x80}, {0, false, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SHOWN_NATIVE_WORD(c.stored, c.directory), c.shown)
        << std::hex << c.stored << (c.directory ? " directory" : " file");
  }
}

}  // namespace zelmo::posix
