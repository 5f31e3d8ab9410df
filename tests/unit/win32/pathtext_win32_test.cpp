// The current directories and the environment block as Win32 keeps them.
#include <gtest/gtest.h>

#include <string>

#include "platform/filesys.h"
#include "platform/win32/system_win32.h"
#include "support/names.h"
#include "support/paths.h"
#include "tests/unit/testenv.h"

namespace zelmo {

namespace {

// Runs each test from a known place and gives the starting directory and
// C:'s remembered directory back afterwards.
class Win32Directories : public ::testing::Test {
 protected:
  void SetUp() override {
    char buffer[MAX_PATH + 1];
    DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    ASSERT_GT(length, 0u);
    ASSERT_LT(length, sizeof buffer);
    start_ = buffer;
  }
  void TearDown() override {
    SetCurrentDirectoryA(start_.c_str());
    TEST_UNSETENV("=C:");
  }

 private:
  std::string start_;
};

}  // namespace

TEST_F(Win32Directories, GetdirGivesTheCurrentDirectoryAsSet) {
  ASSERT_TRUE(TEST_CHDIR("c:\\WINDOWS\\system32"));
  EXPECT_EQ(GETDIR(0), "c:\\WINDOWS\\system32");
  ASSERT_TRUE(TEST_CHDIR("C:\\"));
  EXPECT_EQ(GETDIR(0), "C:\\");
  EXPECT_EQ(GETDIR(27), "");
}

TEST_F(Win32Directories, GetdirGivesAnotherDrivesDirectoryWithoutAClosingBackslash) {
  ASSERT_TRUE(TEST_CHDIR("Z:\\"));
  // The directory the platform remembers for C: while another drive is current.
  TEST_SETENV("=C:", "C:\\windows");
  EXPECT_EQ(GETDIR(3), "C:\\windows");
  TEST_UNSETENV("=C:");
  EXPECT_EQ(GETDIR(3), "C:\\");
}

TEST_F(Win32Directories, FexpandJoinsADrivePathToThatDrivesDirectory) {
  ASSERT_TRUE(TEST_CHDIR("Z:\\tmp"));
  TEST_SETENV("=C:", "C:\\windows");
  const struct {
    const char* path;
    const char* expanded;
  } cases[] = {
      {"C:X", "C:\\windows\\X"},
      {"c:system32\\..\\X", "c:\\windows\\X"},
      {"C:", "C:\\windows"},
      {"C:\\X", "C:\\X"},
      {"X", "Z:\\tmp\\X"},
      {"z:X", "z:\\tmp\\X"},
      {"\\X", "Z:\\X"},
      {"..", "Z:\\"},
      // Device names, closing dots and blanks stay as typed.
      {"CON", "Z:\\tmp\\CON"},
      {"C:\\DIR\\NUL.TXT", "C:\\DIR\\NUL.TXT"},
      {"X. .", "Z:\\tmp\\X. ."},
  };
  for (const auto& c : cases) EXPECT_EQ(FEXPAND(c.path), c.expanded) << "path: " << c.path;
}

TEST_F(Win32Directories, FexpandTakesTheCurrentDriveAsTheSystemSpellsIt) {
  ASSERT_TRUE(TEST_CHDIR("c:\\WINDOWS"));
  EXPECT_EQ(FEXPAND("C:X"), "C:\\WINDOWS\\X");
  EXPECT_EQ(FEXPAND("\\X"), "c:\\X");
  EXPECT_EQ(FEXPAND2("DATI\\*.TXT"), "c:\\WINDOWS\\DATI\\*.TXT");
}

TEST(Win32Environment, GetenvSkipsThePlatformsEntriesWithoutAName) {
  ScopedEnv drive("=C:", "C:\\windows");
  EXPECT_EQ(GETENV(""), "");
  EXPECT_EQ(GETENV("=C:"), "");
  EXPECT_EQ(GETENV("C:"), "");
  EXPECT_EQ(ESPANSIONE("C:\\100%%\\X", false), "C:\\100%%\\X");
}

TEST(Win32Environment, GetenvReadsTheProcessBlock) {
  SetEnvironmentVariableA("ZELMO_TEST_BLOCK", "block value");
  EXPECT_EQ(GETENV("zelmo_test_block"), "block value");
  SetEnvironmentVariableA("ZELMO_TEST_BLOCK", nullptr);
  EXPECT_EQ(GETENV("ZELMO_TEST_BLOCK"), "");
}

}  // namespace zelmo

namespace zelmo {

TEST(Win32PathParts, EndTheDrivePartAtTheColon) {
  const struct {
    const char* path;
    const char* dir;
    const char* name;
  } cases[] = {
      {"C:NOME.TXT", "C:", "NOME.TXT"},
      {"C:", "C:", ""},
      {"C:\\DIR\\X", "C:\\DIR\\", "X"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PATHOF(c.path), c.dir) << "path: " << c.path;
    EXPECT_EQ(NAMEOF(c.path), c.name) << "path: " << c.path;
  }
}

}  // namespace zelmo

namespace zelmo {

// With drives, the name part of C:NUL is NUL; without them (POSIX) C:NUL is
// a file name of its own.
TEST(Win32PathParts, FindADeviceNameAfterADrive) { EXPECT_TRUE(NAMERESERVED("C:NUL")); }

}  // namespace zelmo
