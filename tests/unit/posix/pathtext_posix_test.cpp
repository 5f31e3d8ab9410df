// The Linux tree as the tool sees it: "\" between parts, no drives.
#include <gtest/gtest.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "platform/filesys.h"
#include "support/paths.h"
#include "tests/unit/testenv.h"

namespace zelmo {

namespace {

std::string backslashed(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// Runs each test in a fresh temporary directory and goes back to the
// starting directory afterwards.
class PosixDirectories : public ::testing::Test {
 protected:
  void SetUp() override {
    char buffer[PATH_MAX];
    ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
    start_ = buffer;
    char pattern[] = "/tmp/zelmo-paths-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    char* real = realpath(pattern, nullptr);
    ASSERT_NE(real, nullptr);
    dir_ = real;
    free(real);
    ASSERT_TRUE(TEST_CHDIR(dir_.c_str()));
  }
  void TearDown() override {
    EXPECT_TRUE(TEST_CHDIR(start_.c_str()));
    rmdir(dir_.c_str());
  }

  std::string dir_;  // the current directory during the test, in Linux syntax

 private:
  std::string start_;
};

}  // namespace

TEST_F(PosixDirectories, GetdirGivesTheCurrentDirectoryWithBackslashes) {
  EXPECT_EQ(GETDIR(0).view(), backslashed(dir_));
  ASSERT_TRUE(TEST_CHDIR("/"));
  EXPECT_EQ(GETDIR(0), "\\");
}

TEST_F(PosixDirectories, GetdirKnowsNoDrives) {
  for (int drive = 1; drive <= 26; ++drive)
    EXPECT_EQ(GETDIR(static_cast<uint8_t>(drive)), "") << "drive " << drive;
}

TEST_F(PosixDirectories, FexpandJoinsToTheCurrentDirectoryAndLeavesDrivesAlone) {
  const std::string here = backslashed(dir_);
  const struct {
    const char* path;
    std::string expanded;
  } cases[] = {
      {"x", here + "\\x"},
      {"Sub/File.Txt", here + "\\Sub\\File.Txt"},
      {"x\\..\\y\\", here + "\\y\\"},
      {"", here},
      {"/etc/../tmp", "\\tmp"},
      {"\\", "\\"},
      {"\\..\\..", "\\"},
      {"C:X", "C:X"},
      {"C:", "C:"},
      {"c:\\a\\..\\b", "c:\\b"},
      {"\\\\srv\\share\\x\\..", "\\\\srv\\share\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(FEXPAND(c.path).view(), c.expanded) << "path: " << c.path;
}

TEST_F(PosixDirectories, Fexpand2TakesAVariableWrittenInLinuxSyntax) {
  ScopedEnv home("ZELMO_TEST_HOME", "/home/ana/");
  EXPECT_EQ(FEXPAND2("%ZELMO_TEST_HOME%*.TXT"), "\\home\\ana\\*.TXT");
  EXPECT_EQ(FEXPAND2("%ZELMO_TEST_HOME%..\\..\\X"), "\\X");
}

}  // namespace zelmo

namespace zelmo {

// Without drives a ":" is part of a name: a directory such as /tmp/a:b can
// be split and searched like any other.
TEST(PosixPathParts, TakeAColonAsPartOfAName) {
  const struct {
    const char* path;
    const char* dir;
    const char* name;
  } cases[] = {
      {"\\tmp\\a:b\\*.TXT", "\\tmp\\a:b\\", "*.TXT"},
      {"\\tmp\\a:b", "\\tmp\\", "a:b"},
      {"C:NOME.TXT", "", "C:NOME.TXT"},
      {"C:", "", "C:"},
      {"C:\\DIR\\X", "C:\\DIR\\", "X"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PATHOF(c.path), c.dir) << "path: " << c.path;
    EXPECT_EQ(NAMEOF(c.path), c.name) << "path: " << c.path;
  }
}

}  // namespace zelmo
