#include "platform/posix/storechoice_posix.h"

#include <gtest/gtest.h>

namespace zelmo::posix {

namespace {

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

TEST(StoreChoice, EachFileSystemGetsItsStore) {
  struct Case {
    const char* what;
    FsFacts facts;
    Store store;
  } cases[] = {
      {"vfat and msdos", {kMsdosMagic, false, true, false}, Store::kFat},
      {"ntfs3", {kNtfs3Magic, false, false, true}, Store::kNtfs},
      {"SMB 1", {kCifsMagic, false, false, true}, Store::kSmb},
      {"SMB 2 and 3", {kSmb2Magic, false, false, true}, Store::kSmb},
      {"ntfs-3g", {kFuseMagic, true, false, true}, Store::kNtfs},
      {"another FUSE with user values", {kFuseMagic, false, false, true}, Store::kSamba},
      {"another FUSE without", {kFuseMagic, false, false, false}, Store::kNone},
      {"exFAT on a kernel without its attribute calls", {kExfatMagic, false, false, false}, Store::kExfat},
      {"exFAT with them", {kExfatMagic, false, true, false}, Store::kFat},
      {"ext4", {0xEF53, false, false, true}, Store::kSamba},
      {"tmpfs with user values", {0x01021994, false, false, true}, Store::kSamba},
      {"tmpfs without", {0x01021994, false, false, false}, Store::kNone},
      {"the old read-only NTFS driver", {0x5346544e, false, false, false}, Store::kNone},
  };
  for (const Case& c : cases) EXPECT_STREQ(name(CHOOSE_STORE(c.facts)), name(c.store)) << c.what;
}

}  // namespace zelmo::posix
