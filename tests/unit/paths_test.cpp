#include "support/paths.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/filesys.h"
#include "platform/pathtext.h"
#include "tests/unit/testenv.h"

namespace zelmo {

namespace {

struct SplitCase {
  const char* path;
  const char* dir;
  const char* name;
  const char* ext;
};

struct ExpandCase {
  const char* path;
  const char* expanded;
};

// A machine with drives: C: is current at C:\LAVORO, D: is at D:\WORK, every
// other drive at its root.
Str drives_at_lavoro(uint8_t drive) {
  if (drive == 0 || drive == 3) return "C:\\LAVORO";
  if (drive == 4) return "D:\\WORK";
  return Str(static_cast<char>('A' + drive - 1)) + ":\\";
}

// The current directory is the root of C:.
Str drives_at_root(uint8_t drive) { return drive == 0 ? "C:\\" : drives_at_lavoro(drive); }

// The current directory is on a network share.
Str share_current(uint8_t drive) { return drive == 0 ? "\\\\SRV\\SHARE\\DIR" : drives_at_lavoro(drive); }

// A tree without drives, as the POSIX build sees Linux.
Str no_drives(uint8_t drive) { return drive == 0 ? "\\home\\ana" : ""; }
Str no_drives_at_root(uint8_t drive) { return drive == 0 ? "\\" : ""; }

// Nothing is known.
Str nothing_known(uint8_t) { return ""; }

void expect_expansions(DirectoryOf dir_of, const ExpandCase* begin, const ExpandCase* end) {
  for (const ExpandCase* c = begin; c != end; ++c)
    EXPECT_EQ(FEXPAND_WITH(c->path, dir_of), c->expanded)
        << "path: " << c->path << " current: " << dir_of(0).view();
}

}  // namespace

TEST(Fsplit, SplitsDirectoryNameAndExtension) {
  const SplitCase cases[] = {
      {"C:\\DIR\\SUB\\*.TXT", "C:\\DIR\\SUB\\", "*", ".TXT"},
      {"C:NOME.TXT", "C:", "NOME", ".TXT"},
      {"NOME", "", "NOME", ""},
      {"\\\\SERVER\\SHARE\\NOME.TXT", "\\\\SERVER\\SHARE\\", "NOME", ".TXT"},
      {"DIR/NOME.TXT", "DIR\\", "NOME", ".TXT"},
      {"C:/A/B/", "C:\\A\\B\\", "", ""},
      {"C:\\DIR\\", "C:\\DIR\\", "", ""},
      {"C:", "C:", "", ""},
      {"", "", "", ""},
      {".TXT", "", "", ".TXT"},
      {"A.B.C", "", "A.B", ".C"},
      {"C:\\D.X\\NOME", "C:\\D.X\\", "NOME", ""},
      {"NOME.", "", "NOME", "."},
      {"\\..", "\\", ".", "."},
      {"X:Y:Z", "X:", "Y:Z", ""},
  };
  for (const SplitCase& c : cases) {
    Str dir("junk"), name("junk"), ext("junk");
    FSPLIT_WITH(c.path, true, dir, name, ext);
    EXPECT_EQ(dir, c.dir) << "path: " << c.path;
    EXPECT_EQ(name, c.name) << "path: " << c.path;
    EXPECT_EQ(ext, c.ext) << "path: " << c.path;
  }
}

TEST(PathofNameof, SplitTheDirectoryFromTheName) {
  const struct {
    const char* path;
    const char* dir;
    const char* name;
  } cases[] = {
      {"C:\\DIR\\SUB\\*.TXT", "C:\\DIR\\SUB\\", "*.TXT"},
      {"NOME", "", "NOME"},
      {"\\\\SERVER\\SHARE\\NOME.TXT", "\\\\SERVER\\SHARE\\", "NOME.TXT"},
      {"DIR/NOME.TXT", "DIR\\", "NOME.TXT"},
      {"C:\\DIR\\", "C:\\DIR\\", ""},
      {"", "", ""},
      {"NOME.", "", "NOME."},
      {"A.B.C", "", "A.B.C"},
      {"\\NOME", "\\", "NOME"},
      {"ZELMO___.TMP", "", "ZELMO___.TMP"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PATHOF(c.path), c.dir) << "path: " << c.path;
    EXPECT_EQ(NAMEOF(c.path), c.name) << "path: " << c.path;
  }
}

TEST(DirectoryPrefix, AClosingColonEndsADirectoryOnlyWhereThereAreDrives) {
  const struct {
    const char* path;
    const char* with_drives;     // the prefix where paths have drives
    const char* without_drives;  // where a ":" is part of a name
  } cases[] = {
      {"C:", "C:", "C:\\"},
      {"\\tmp\\data:", "\\tmp\\data:", "\\tmp\\data:\\"},
      {"data:", "data:", "data:\\"},
      {"C:\\DATA\\", "C:\\DATA\\", "C:\\DATA\\"},
      {"\\", "\\", "\\"},
      {"C:\\DATA", "C:\\DATA\\", "C:\\DATA\\"},
      {"a:b", "a:b\\", "a:b\\"},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    Str prefix = HAS_DRIVES() ? c.with_drives : c.without_drives;
    EXPECT_EQ(DIRECTORY_PREFIX(c.path), prefix) << "path: " << c.path;
    EXPECT_EQ(ENDS_LIKE_DIRECTORY(c.path), prefix == c.path && prefix.length() > 0) << "path: " << c.path;
  }
}

TEST(Fexpand, FillsInTheDriveAndCurrentDirectory) {
  const ExpandCase cases[] = {
      {"DATI\\*.TXT", "C:\\LAVORO\\DATI\\*.TXT"},
      {"*.*", "C:\\LAVORO\\*.*"},
      {"", "C:\\LAVORO"},
      {".", "C:\\LAVORO"},
      {".\\", "C:\\LAVORO\\"},
      {"..", "C:\\"},
      {"..\\..\\..", "C:\\"},
      {"..\\ALTRO\\X", "C:\\ALTRO\\X"},
      {"SUB\\", "C:\\LAVORO\\SUB\\"},
      {"\\", "C:\\"},
      {"\\X\\Y", "C:\\X\\Y"},
      {"C:", "C:\\LAVORO"},
      {"C:X", "C:\\LAVORO\\X"},
      {"c:x", "c:\\LAVORO\\x"},
      {"D:X", "D:\\WORK\\X"},
      {"D:", "D:\\WORK"},
      {"d:..\\Y", "d:\\Y"},
      {"E:X", "E:\\X"},
      {"C:\\", "C:\\"},
      {"C:\\DIR\\", "C:\\DIR\\"},
      {"C:\\DIR\\.", "C:\\DIR"},
      {"C:\\DIR\\..", "C:\\"},
      {"C:\\A\\..\\..\\B", "C:\\B"},
      {"C:\\A\\.\\B\\.\\", "C:\\A\\B\\"},
      {"C:\\A\\\\B", "C:\\A\\B"},
      {"C:/A/B/../C", "C:\\A\\C"},
      {"/X", "C:\\X"},
      {"Dati/Sub/File.Txt", "C:\\LAVORO\\Dati\\Sub\\File.Txt"},
      // No look-up: names the platform would rewrite stay as they are.
      {"C:\\DIR.\\X. ", "C:\\DIR.\\X. "},
      {"...\\X", "C:\\LAVORO\\...\\X"},
      {"CON", "C:\\LAVORO\\CON"},
      {"C:\\DIR\\NUL.TXT", "C:\\DIR\\NUL.TXT"},
      {"C:\\D?R\\*.*", "C:\\D?R\\*.*"},
      {"%X%", "C:\\LAVORO\\%X%"},
  };
  expect_expansions(drives_at_lavoro, std::begin(cases), std::end(cases));
}

TEST(Fexpand, KeepsServerAndShareWhole) {
  const ExpandCase cases[] = {
      {"\\\\SERVER\\SHARE\\DIR\\SUB\\*.*", "\\\\SERVER\\SHARE\\DIR\\SUB\\*.*"},
      {"\\\\SERVER\\SHARE\\DIR\\..\\X", "\\\\SERVER\\SHARE\\X"},
      {"\\\\SERVER\\SHARE\\..\\..\\X", "\\\\SERVER\\SHARE\\X"},
      {"\\\\SERVER\\SHARE\\..", "\\\\SERVER\\SHARE\\"},
      {"\\\\SERVER\\SHARE\\", "\\\\SERVER\\SHARE\\"},
      {"\\\\SERVER\\SHARE", "\\\\SERVER\\SHARE"},
      {"\\\\SERVER", "\\\\SERVER"},
      {"\\\\SERVER\\", "\\\\SERVER\\"},
      {"\\\\..\\.\\X", "\\\\..\\.\\X"},
      {"//srv/share/a/./b", "\\\\srv\\share\\a\\b"},
      {"\\\\", "\\\\"},
  };
  expect_expansions(drives_at_lavoro, std::begin(cases), std::end(cases));
}

TEST(Fexpand, JoinsToARootWithoutDoublingTheBackslash) {
  const ExpandCase cases[] = {
      {"X", "C:\\X"},       {"", "C:\\"},     {"..", "C:\\"},
      {"C:X\\", "C:\\X\\"}, {"\\Y", "C:\\Y"}, {"D:X", "D:\\WORK\\X"},
  };
  expect_expansions(drives_at_root, std::begin(cases), std::end(cases));
}

TEST(Fexpand, TakesTheRootOfANetworkCurrentDirectory) {
  const ExpandCase cases[] = {
      {"X", "\\\\SRV\\SHARE\\DIR\\X"},
      {"..\\..\\X", "\\\\SRV\\SHARE\\X"},
      {"\\X", "\\\\SRV\\SHARE\\X"},
      {"C:X", "C:\\LAVORO\\X"},
  };
  expect_expansions(share_current, std::begin(cases), std::end(cases));
}

TEST(Fexpand, WithoutDrivesLeavesADrivePathRelativeButClean) {
  const ExpandCase cases[] = {
      {"X", "\\home\\ana\\X"},
      {"", "\\home\\ana"},
      {"..\\..\\..\\etc", "\\etc"},
      {"\\tmp\\.\\x\\", "\\tmp\\x\\"},
      {"/tmp//x", "\\tmp\\x"},
      {"C:X", "C:X"},
      {"C:\\A\\..\\B", "C:\\B"},
      {"C:A\\..\\B\\.\\", "C:B\\"},
      {"C:..\\X", "C:..\\X"},
      {"C:", "C:"},
      {"\\\\SRV\\SH\\A\\..", "\\\\SRV\\SH\\"},
  };
  expect_expansions(no_drives, std::begin(cases), std::end(cases));
  const ExpandCase at_root[] = {{"X", "\\X"}, {"", "\\"}, {"..", "\\"}, {"X\\", "\\X\\"}};
  expect_expansions(no_drives_at_root, std::begin(at_root), std::end(at_root));
}

TEST(Fexpand, LeavesARelativePathRelativeWhenNothingIsKnown) {
  const ExpandCase cases[] = {
      {"A\\.\\B\\..\\C", "A\\C"}, {"..\\X", "..\\X"}, {"\\X\\..\\Y", "\\Y"}, {"C:X", "C:X"}, {"", ""},
  };
  expect_expansions(nothing_known, std::begin(cases), std::end(cases));
}

TEST(Fexpand, ResolvesDotDotBeyond255BytesBeforeCutting) {
  // 100 parts of "A\..\" make a text of 255 bytes whose parts all cancel.
  std::string path;
  while (path.size() + 5 <= 250) path += "A\\..\\";
  path += "X.TXT";
  EXPECT_EQ(FEXPAND_WITH(Str(path), drives_at_lavoro), "C:\\LAVORO\\X.TXT");
  Str long_name(std::string(250, 'N'));
  Str expanded = FEXPAND_WITH(long_name, drives_at_lavoro);
  EXPECT_EQ(expanded.length(), 255);
  EXPECT_EQ(expanded.left(12), "C:\\LAVORO\\NN");
}

TEST(Espansione, ReplacesVariablesAndKeepsTheInputWhenAPercentIsLeft) {
  ScopedEnv a("ZELMO_TEST_A", "alfa");
  ScopedEnv b("ZELMO_TEST_B", "beta");
  ScopedEnv temp("ZELMO_TEST_TEMP", "C:\\TMP");
  ScopedEnv nested("ZELMO_TEST_NEST", "%ZELMO_TEST_A%-%ZELMO_TEST_B%");
  ScopedEnv deeper("ZELMO_TEST_DEEP", "<%ZELMO_TEST_NEST%>");
  TEST_UNSETENV("ZELMO_TEST_UNSET");
  const struct {
    const char* text;
    bool full_path;
    const char* result;
  } cases[] = {
      {"%ZELMO_TEST_TEMP%\\X", false, "C:\\TMP\\X"},
      {"%zelmo_test_temp%\\X", true, "C:\\TMP\\X"},
      {"%ZELMO_TEST_TEMP%\\..\\X", true, "C:\\X"},
      {"%ZELMO_TEST_UNSET%\\X", false, "%ZELMO_TEST_UNSET%\\X"},
      {"%ZELMO_TEST_UNSET%\\X", true, "%ZELMO_TEST_UNSET%\\X"},
      {"C:\\100%\\*.*", true, "C:\\100%\\*.*"},
      {"C:\\100%\\..\\*.*", true, "C:\\100%\\..\\*.*"},
      {"%ZELMO_TEST_A%%ZELMO_TEST_B%", false, "alfabeta"},
      {"%ZELMO_TEST_A%%ZELMO_TEST_UNSET%", false, "%ZELMO_TEST_A%%ZELMO_TEST_UNSET%"},
      {"%ZELMO_TEST_A%%", false, "%ZELMO_TEST_A%%"},
      {"%%", false, "%%"},
      {"%ZELMO_TEST_NEST%", false, "alfa-beta"},
      {"%ZELMO_TEST_DEEP%!", false, "<alfa-beta>!"},
      {"x%ZELMO_TEST_A%y%ZELMO_TEST_B%z", false, "xalfaybetaz"},
      {"C:\\A\\.\\B", false, "C:\\A\\.\\B"},
      {"C:\\A\\.\\B", true, "C:\\A\\B"},
      {"C:/A", false, "C:/A"},
      {"", false, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ESPANSIONE(c.text, c.full_path), c.result)
        << "text: " << c.text << " full path: " << c.full_path;
}

TEST(Espansione, ExpandsARelativeResultFromTheCurrentDirectory) {
  ScopedEnv sub("ZELMO_TEST_SUB", "DATI");
  EXPECT_EQ(ESPANSIONE("%ZELMO_TEST_SUB%\\*.TXT", true), FEXPAND("DATI\\*.TXT"));
  EXPECT_EQ(FEXPAND2("%ZELMO_TEST_SUB%\\*.TXT"), FEXPAND("DATI\\*.TXT"));
  EXPECT_EQ(FEXPAND2("DATI\\*.TXT"), FEXPAND("DATI\\*.TXT"));
}

TEST(Espansione, KeepsANetworkPathWhole) {
  ScopedEnv server("ZELMO_TEST_SRV", "\\\\SERVER\\SHARE");
  EXPECT_EQ(FEXPAND2("%ZELMO_TEST_SRV%\\DIR\\..\\X"), "\\\\SERVER\\SHARE\\X");
  EXPECT_EQ(FEXPAND2("\\\\SERVER\\SHARE\\*.*"), "\\\\SERVER\\SHARE\\*.*");
}

TEST(Espansione, EndsOnVariablesThatNameEachOther) {
  ScopedEnv self("ZELMO_TEST_SELF", "%ZELMO_TEST_SELF%");
  ScopedEnv ping("ZELMO_TEST_PING", "%ZELMO_TEST_PONG%");
  ScopedEnv pong("ZELMO_TEST_PONG", "%ZELMO_TEST_PING%");
  ScopedEnv grow("ZELMO_TEST_GROW", "%ZELMO_TEST_GROW%%ZELMO_TEST_GROW%");
  ScopedEnv shrink("ZELMO_TEST_SHRINK", "x%ZELMO_TEST_SHRINK%");
  const char* cases[] = {
      "%ZELMO_TEST_SELF%", "C:\\%ZELMO_TEST_SELF%\\X", "%ZELMO_TEST_PING%", "%ZELMO_TEST_PONG%\\*.*",
      "%ZELMO_TEST_GROW%", "%ZELMO_TEST_SHRINK%",      "%zelmo_test_ping%", "%ZELMO_TEST_PING%%ZELMO_TEST_A%",
  };
  for (const char* text : cases) {
    EXPECT_EQ(ESPANSIONE(text, false), text) << "text: " << text;
    EXPECT_EQ(ESPANSIONE(text, true), text) << "text: " << text;
  }
}

TEST(Espansione, CutsATextThatAValueMakesLongerThan255) {
  std::string value(200, 'v');
  ScopedEnv big("ZELMO_TEST_BIG", value.c_str());
  EXPECT_EQ(ESPANSIONE("%ZELMO_TEST_BIG%%ZELMO_TEST_BIG%", false).view(), std::string(255, 'v'));
  EXPECT_EQ(ESPANSIONE("C:\\%ZELMO_TEST_BIG%\\%ZELMO_TEST_BIG%", true).view(),
            "C:\\" + value + "\\" + std::string(51, 'v'));
  // The cut may fall inside a later pair: a "%" is left, so nothing survives.
  std::string text = "%ZELMO_TEST_BIG%" + std::string(40, 'x') + "%ZELMO_TEST_BIG%";
  EXPECT_EQ(ESPANSIONE(Str(text), false).view(), text);
}

TEST(Getenv, ReadsTheEntryCutTo255AndTheValueAfterTheFirstEquals) {
  ScopedEnv equals("ZELMO_TEST_EQ", "a=b=c");
  ScopedEnv empty("ZELMO_TEST_EMPTY", "");
  std::string value(300, 'w');
  ScopedEnv big("ZELMO_TEST_BIG", value.c_str());
  EXPECT_EQ(GETENV("ZELMO_TEST_EQ"), "a=b=c");
  EXPECT_EQ(GETENV("zelmo_test_eq"), "a=b=c");
  EXPECT_EQ(GETENV("ZELMO_TEST_E"), "");
  EXPECT_EQ(GETENV("ZELMO_TEST_EQ="), "");
  EXPECT_EQ(GETENV("ZELMO_TEST_EMPTY"), "");
  EXPECT_EQ(GETENV(""), "");
  // "ZELMO_TEST_BIG=" takes 15 of the entry's 255 bytes.
  EXPECT_EQ(GETENV("ZELMO_TEST_BIG").view(), std::string(240, 'w'));
}

TEST(Getdir, GivesAnAbsolutePathThatEndsWithABackslashOnlyAtARoot) {
  Str dir = GETDIR(0);
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(FEXPAND(dir), dir);
  // Only a root is its own parent.
  Str parent = FEXPAND(dir.ends_with('\\') ? dir + ".." : dir + "\\..");
  EXPECT_EQ(dir.ends_with('\\'), parent == dir);
  EXPECT_FALSE(dir.contains('/'));
}

TEST(Truncpath, PutsDotsForLeadingDirectoriesUntilItFits) {
  const struct {
    const char* path;
    int width;
    const char* result;
  } cases[] = {
      {"C:\\PROGRAMMI\\LAVORO\\DATI\\*.TXT", 40, "C:\\PROGRAMMI\\LAVORO\\DATI\\*.TXT"},
      {"C:\\PROGRAMMI\\LAVORO\\DATI\\*.TXT", 30, "C:\\PROGRAMMI\\LAVORO\\DATI\\*.TXT"},
      {"C:\\PROGRAMMI\\LAVORO\\DATI\\*.TXT", 29, "C:\\...\\LAVORO\\DATI\\*.TXT"},
      {"C:\\PROGRAMMI\\LAVORO\\DATI\\*.TXT", 20, "C:\\...\\DATI\\*.TXT"},
      {"C:\\A\\B\\C\\D.TXT", 5, "C:\\...\\D.TXT"},
      {"C:\\A\\B\\C\\D.TXT", 13, "C:\\...\\D.TXT"},
      {"C:\\FILE.TXT", 3, "C:\\FILE.TXT"},
      {"\\\\SERVER\\SHARE\\DIR\\SUB\\*.*", 20, "\\...\\DIR\\SUB\\*.*"},
      {"C:\\AAAAAAAA\\BBBBBBBBBB\\CCCCCCCCCCCC\\FILE?.TXT", 33, "C:\\...\\CCCCCCCCCCCC\\FILE?.TXT"},
      {"C:\\AB\\X", 6, "C:\\...\\X"},
      {"C:\\DIR\\", 3, "C:\\...\\"},
      {"C:\\A\\B\\C\\D.TXT", 0, "C:\\...\\D.TXT"},
      {"C:\\PROGRAMMI\\LAVORO\\DATI\\*.TXT", 0, "C:\\...\\*.TXT"},
      {"C:\\FILE.TXT", 0, "C:\\FILE.TXT"},
      {"C:\\PROGRAMMI\\LAVORO\\DATI\\*.TXT", 255, "C:\\PROGRAMMI\\LAVORO\\DATI\\*.TXT"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TRUNCPATH(c.path, static_cast<uint8_t>(c.width)), c.result)
        << "path: " << c.path << " width: " << c.width;
}

TEST(Truncpath, NeverChangesTheExpandedTextAtWidth255) {
  const std::string long_path = "C:\\" + std::string(120, 'A') + "\\" + std::string(120, 'B') + "\\X.TXT";
  const char* paths[] = {"DATI\\*.TXT", "C:\\A\\B\\C", "\\\\SRV\\SH\\D\\E", long_path.c_str(), ""};
  for (const char* path : paths) EXPECT_EQ(TRUNCPATH(path, 255), FEXPAND(path)) << "path: " << path;
}

TEST(Truncpath, CutsACandidateLongerThan255) {
  // A directory of one byte makes the candidate two bytes longer than the path.
  const std::string path = "C:\\A\\" + std::string(250, 'L');
  ASSERT_EQ(path.size(), 255u);
  EXPECT_EQ(TRUNCPATH(Str(path), 254).view(), "C:\\...\\" + std::string(248, 'L'));
}

TEST(Truncpath, ShowsNamesAsTheyAreWithoutExpandingVariables) {
  // The path holds names read from the disk: a directory may be called
  // %HOME%, whether or not such a variable is set.
  ScopedEnv set("ZELMO_TEST_SET", "elsewhere");
  TEST_UNSETENV("ZELMO_TEST_UNSET");
  const struct {
    const char* path;
    int width;
    const char* result;
  } cases[] = {
      {"C:\\A\\B\\%ZELMO_TEST_SET%\\*.*", 255, "C:\\A\\B\\%ZELMO_TEST_SET%\\*.*"},
      {"C:\\A\\B\\%ZELMO_TEST_SET%\\*.*", 5, "C:\\...\\*.*"},
      {"C:\\AAAA\\%ZELMO_TEST_SET%\\X", 25, "C:\\...\\%ZELMO_TEST_SET%\\X"},
      {"C:\\A\\B\\%ZELMO_TEST_UNSET%", 5, "C:\\...\\%ZELMO_TEST_UNSET%"},
      {"C:\\100%\\..\\X", 255, "C:\\X"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TRUNCPATH(c.path, static_cast<uint8_t>(c.width)), c.result)
        << "path: " << c.path << " width: " << c.width;
}

TEST(Truncpath, MakesARelativePathWithAPercentAbsolute) {
  // A mask with an unpaired "%" stays as typed and relative; the heading shows
  // the directory that is searched.
  Str full = TRUNCPATH("100%\\*.*", 255);
  EXPECT_EQ(full, FEXPAND("100%\\*.*"));
  EXPECT_EQ(full, DIRECTORY_PREFIX(GETDIR(0)) + "100%\\*.*");
}

}  // namespace zelmo
