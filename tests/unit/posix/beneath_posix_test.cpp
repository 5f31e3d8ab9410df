// Directories opened beneath a held one, by both ways, and the run's held top.
#include "platform/posix/beneath_posix.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <string>
#include <vector>

#include "platform/filesys.h"
#include "platform/posix/resolve_posix.h"
#include "tests/unit/posix/tempdir_posix.h"

namespace zelmo {

namespace {

using posix::BeneathWay;

class Beneath : public PosixTempDir, public ::testing::WithParamInterface<BeneathWay> {
 protected:
  void SetUp() override {
    PosixTempDir::SetUp();
    // top/a/b, a file, links to a directory inside and outside, and outside.
    for (const char* dir : {"top", "top/a", "top/a/b", "outside"}) mkdir(at(dir).c_str(), 0755);
    std::ofstream(at("top/a/file"));
    std::ofstream(at("outside/secret"));
    symlink(at("outside").c_str(), at("top/a/out").c_str());
    symlink("b", at("top/a/in").c_str());
    top_ = open(at("top").c_str(), O_PATH | O_DIRECTORY);
    ASSERT_GE(top_, 0);
  }
  void TearDown() override {
    close(top_);
    posix::RELEASE_TOP();
    PosixTempDir::TearDown();
  }

  // The error of opening parts beneath top; on success, whether the
  // directory opened is the one at expected below the temporary directory.
  int open_parts(const std::vector<std::string>& parts, const std::string& expected = "") {
    int fd = -1;
    int error = posix::OPEN_BENEATH(top_, parts, 0, parts.size(), GetParam(), fd);
    if (error != 0) return error;
    struct stat got, want;
    fstat(fd, &got);
    int flags = fcntl(fd, F_GETFL);
    close(fd);
    EXPECT_EQ(flags & O_ACCMODE, O_RDONLY) << "a directory to read";
    EXPECT_EQ(stat(at(expected).c_str(), &want), 0) << expected;
    EXPECT_TRUE(got.st_ino == want.st_ino && got.st_dev == want.st_dev) << expected;
    return 0;
  }

  int top_ = -1;
};

TEST_P(Beneath, OpensOnlyRealDirectoriesBelowTheHeldOne) {
  const struct {
    std::vector<std::string> parts;
    int error;
    const char* opened;
  } cases[] = {
      {{}, 0, "top"},
      {{"a"}, 0, "top/a"},
      {{"a", "b"}, 0, "top/a/b"},
      {{"a", "out"}, ELOOP, nullptr},
      {{"a", "in"}, ELOOP, nullptr},  // even a link that stays inside
      {{"a", "out", "x"}, ELOOP, nullptr},
      {{"a", "file"}, ENOTDIR, nullptr},
      {{"a", "gone"}, ENOENT, nullptr},
      {{"A"}, ENOENT, nullptr},  // names are taken as spelled
      {{".."}, EXDEV, nullptr},
      {{"a", "..", "..", "outside"}, EXDEV, nullptr},
      {{"."}, EXDEV, nullptr},
      {{"a/b"}, EXDEV, nullptr},
      {{""}, EXDEV, nullptr},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const std::string& part : c.parts) shown += "[" + part + "]";
    EXPECT_EQ(open_parts(c.parts, c.opened ? c.opened : ""), c.error) << shown;
  }
}

TEST_P(Beneath, APartSwappedForALinkIsRefused) {
  ASSERT_EQ(open_parts({"a", "b"}, "top/a/b"), 0);
  ASSERT_EQ(rename(at("top/a").c_str(), at("top/old").c_str()), 0);
  ASSERT_EQ(symlink(at("outside").c_str(), at("top/a").c_str()), 0);
  mkdir(at("outside/b").c_str(), 0755);
  EXPECT_EQ(open_parts({"a", "b"}), ELOOP);
  EXPECT_EQ(open_parts({"old", "b"}, "top/old/b"), 0);
}

INSTANTIATE_TEST_SUITE_P(BothWays, Beneath, ::testing::Values(BeneathWay::kOpenat2, BeneathWay::kWalk),
                         [](const auto& info) {
                           return std::string(info.param == BeneathWay::kOpenat2 ? "Openat2" : "Walk");
                         });

// The names found in a search of mask; "" when it fails.
std::string names(const Str& mask) {
  std::vector<std::string> found;
  SearchRec rec;
  for (int r = FINDFIRST(mask, 118, rec); r == 0; r = FINDNEXT(rec))
    if (!(rec.name == ".") && !(rec.name == "..")) found.emplace_back(rec.name.view());
  FINDCLOSE(rec);
  std::sort(found.begin(), found.end());
  std::string text;
  for (const std::string& name : found) text += name + " ";
  return text;
}

class HeldTop : public PosixTempDir {
 protected:
  void TearDown() override {
    posix::RELEASE_TOP();
    PosixTempDir::TearDown();
  }
};

TEST_F(HeldTop, PathsBelowTheTopReachTheDirectoryFoundAtTheStart) {
  for (const char* dir : {"top", "top/sub", "outside", "outside/sub"}) mkdir(at(dir).c_str(), 0755);
  std::ofstream(at("top/sub/mine"));
  std::ofstream(at("outside/sub/theirs"));
  ASSERT_EQ(HOLD_TOP(tool("TOP")), 0) << "the top is found as typed, another case where none is exact";
  EXPECT_EQ(names(tool("TOP\\sub\\*.*")), "mine ");
  // The top is renamed and a link put in its place: below the top nothing
  // changes, and a path through the link is not followed.
  ASSERT_EQ(rename(at("top").c_str(), at("moved").c_str()), 0);
  ASSERT_EQ(symlink(at("outside").c_str(), at("TOP").c_str()), 0);
  EXPECT_EQ(names(tool("TOP\\sub\\*.*")), "mine ");
  uint32_t attr = 0;
  EXPECT_EQ(GETFATTR(tool("TOP\\sub\\mine"), attr), 0);
  EXPECT_NE(GETFATTR(tool("TOP\\sub\\theirs"), attr), 0);
  // A directory below swapped for a link is passed over, not followed.
  ASSERT_EQ(rename(at("moved/sub").c_str(), at("moved/old").c_str()), 0);
  ASSERT_EQ(symlink(at("outside/sub").c_str(), at("moved/sub").c_str()), 0);
  EXPECT_EQ(names(tool("TOP\\sub\\*.*")), "");
  EXPECT_NE(SETFATTR(tool("TOP\\sub\\theirs"), kHidden), 0);
  // Spelled otherwise, a path is no path below the top: it is walked as typed.
  EXPECT_EQ(names(tool("top\\sub\\*.*")), "theirs ");
  EXPECT_EQ(names(tool("moved\\old\\*.*")), "mine ");
}

TEST_F(HeldTop, NothingBelowATopThatCannotBeFoundIsFound) {
  mkdir(at("later").c_str(), 0755);
  std::ofstream(at("later/f"));
  EXPECT_EQ(HOLD_TOP(tool("none")), ENOENT);
  ASSERT_EQ(rename(at("later").c_str(), at("none").c_str()), 0);
  EXPECT_EQ(names(tool("none\\*.*")), "") << "a top that appears later is not looked for again";
  ASSERT_EQ(HOLD_TOP(tool("none")), 0);
  EXPECT_EQ(names(tool("none\\*.*")), "f ");
}

}  // namespace

}  // namespace zelmo
