// The stores where only the write permission bits keep anything (no store,
// and exFAT without the FAT ioctls), on files of this machine's temporary
// directory: what they show, and which changes they take or refuse.
#include "platform/posix/nativestore_posix.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>

#include "platform/filesys.h"
#include "tests/unit/posix/tempdir_posix.h"

namespace zelmo::posix {

namespace {

class ModeStores : public PosixTempDir {
 protected:
  void SetUp() override {
    PosixTempDir::SetUp();
    dirfd_ = open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dirfd_, 0);
  }
  void TearDown() override {
    close(dirfd_);
    PosixTempDir::TearDown();
  }

  struct stat make(const std::string& name, mode_t mode) const {
    std::ofstream(at(name)) << "x";
    chmod(at(name).c_str(), mode);
    return status(name);
  }
  struct stat status(const std::string& name) const {
    struct stat st;
    EXPECT_EQ(fstatat(dirfd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW), 0) << name;
    return st;
  }

  int dirfd_ = -1;
};

}  // namespace

TEST_F(ModeStores, ShowOnlyTheTypeAndReadOnlyOfAFile) {
  ASSERT_EQ(mkdir(at(".hidden_dir").c_str(), 0555), 0);
  struct Case {
    std::string name;
    mode_t mode;
    uint32_t shown;
  } cases[] = {{"plain", 0644, 0}, {".dot", 0644, 0}, {"readonly", 0444, kReadOnly}, {"ownerw", 0244, 0}};
  for (const Case& c : cases) make(c.name, c.mode);
  for (Store store : {Store::kNone, Store::kExfat}) {
    for (const Case& c : cases) {
      EXPECT_EQ(NATIVE_ENTRY_WORD(store, dirfd_, c.name.c_str(), at(c.name), status(c.name)), c.shown)
          << c.name;
    }
    // A directory without write permission is no read-only directory.
    EXPECT_EQ(NATIVE_ENTRY_WORD(store, dirfd_, ".hidden_dir", at(".hidden_dir"), status(".hidden_dir")),
              uint32_t(kDirectory));
  }
}

TEST_F(ModeStores, TakeReadOnlyAndRefuseHiddenSystemArchive) {
  struct Case {
    Store store;
    mode_t mode;
    uint32_t word;
    int result;
    mode_t mode_after;
    const char* what;
  } cases[] = {
      {Store::kNone, 0644, kReadOnly, 0, 0444, "set Read-only"},
      {Store::kNone, 0444, 0, 0, 0644, "clear Read-only: owner write back"},
      {Store::kNone, 0644, kHidden, ENOTSUP, 0644, "Hidden"},
      {Store::kNone, 0644, kSystem, ENOTSUP, 0644, "System"},
      {Store::kNone, 0644, kArchive, ENOTSUP, 0644, "Archive"},
      {Store::kNone, 0644, kReadOnly | kHidden, ENOTSUP, 0644, "Read-only with Hidden: nothing"},
      {Store::kNone, 0644, 0, 0, 0644, "nothing to change"},
      {Store::kExfat, 0644, kReadOnly, 0, 0444, "exFAT: set Read-only"},
      {Store::kExfat, 0444, 0, ENOTSUP, 0444, "exFAT: clearing Read-only would not last"},
      {Store::kExfat, 0444, kReadOnly, 0, 0444, "exFAT: Read-only kept"},
      {Store::kExfat, 0644, kArchive, ENOTSUP, 0644, "exFAT: Archive"},
  };
  int n = 0;
  for (const Case& c : cases) {
    std::string name = std::to_string(n++) + ".f";
    struct stat st = make(name, c.mode);
    EXPECT_EQ(STORE_NATIVE_WORD(c.store, dirfd_, name, st, c.word), c.result) << c.what;
    EXPECT_EQ(status(name).st_mode & 07777, c.mode_after) << c.what;
    char value[64];
    EXPECT_LT(getxattr(at(name).c_str(), "user.DOSATTRIB", value, sizeof value), 0) << c.what;
  }
}

TEST_F(ModeStores, NeverFollowALink) {
  make("target", 0644);
  ASSERT_EQ(symlink("target", at("link").c_str()), 0);
  EXPECT_EQ(STORE_NATIVE_WORD(Store::kNone, dirfd_, "link", status("link"), kReadOnly), ELOOP);
  EXPECT_EQ(status("target").st_mode & 07777, mode_t(0644));
}

}  // namespace zelmo::posix
