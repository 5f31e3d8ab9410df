#include "support/names.h"

#include <gtest/gtest.h>

#include <string>

namespace zelmo {

namespace {

struct NameCase {
  Str name;
  int code;
};

std::string shown(const Str& text) {
  std::string result;
  for (char c : text.view()) {
    if (static_cast<unsigned char>(c) < 32) {
      result += '<';
      result += std::to_string(static_cast<unsigned char>(c));
      result += '>';
    } else {
      result += c;
    }
  }
  return result;
}

void expect_codes(const NameCase* begin, const NameCase* end) {
  for (const NameCase* c = begin; c != end; ++c) {
    EXPECT_EQ(VALIDNAMEWIN(c->name), c->code) << "name: " << shown(c->name);
    EXPECT_EQ(VALIDNAME(c->name), c->code) << "name: " << shown(c->name);
  }
}

}  // namespace

TEST(ValidName, GivesThePositionNearTheFirstFault) {
  const NameCase cases[] = {
      {"", 1},
      {"X", 0},
      {"C:", 0},
      {"C:\\", 0},
      {"C:\\DIR\\", 0},
      {"C:\\DIR.", 7},
      {"1:\\X", 1},
      {"C:\\DIR\\*.TXT", 0},
      {"C:\\DIR\\F?LE.*", 0},
      {"C:\\D*R\\X.TXT", 5},
      {"C:\\DI?\\*.*", 6},
      {"C:\\DIR\\CON.TXT", 8},
      {"C:\\DIR\\con", 8},
      {"COM1", 1},
      {"LPT9", 1},
      {"AUX.DAT", 1},
      {"COM5.TXT", 0},
      {"LPT0", 0},
      {"C:\\A\\\\B", 2},
      {"C:\\\\DIR", 0},
      {"\\\\SERVER\\SHARE\\X", 0},
      {"\\\\\\SERVER", 1},
      {"\\\\SRV:X\\Y", 6},
      {"C:X:", 4},
      {"DIR/FILE", 4},
      {"A/B", 2},
      {"C:\\DIR\\NUL\\X", 8},
      {"\\DIR\\X", 0},
      {"C:DIR\\X", 0},
  };
  expect_codes(std::begin(cases), std::end(cases));
}

TEST(ValidName, HandlesTheEdgeCases) {
  const NameCase cases[] = {
      // Dots and blanks.
      {".", 1},
      {"..", 2},
      {"C:\\DIR\\..", 9},
      {"C:\\DIR\\.", 8},
      {" ", 0},
      {"   ", 0},
      {"C:\\   \\ X .TXT", 0},
      {"A.B", 0},
      // Reserved characters, in the order of the set.
      {"A|B", 2},
      {"A<B", 2},
      {"A>B", 2},
      {"A\"B", 2},
      {":AB", 1},
      {"C::", 3},
      {"A|B/C", 4},
      {"A/B|C", 2},
      {"A>B<C", 4},
      {Str("A\x01"
           "B",
           3),
       2},
      {Str("AB\x1f", 3), 3},
      {Str("AB\0", 3), 3},
      {"AB\x7f\xe0", 0},
      // A network name is only searched for a colon.
      {"\\\\SRV\\SHA|RE", 0},
      {Str("\\\\SRV\\A\x01"
           "B",
           9),
       0},
      {"\\\\SRV\\A/B", 0},
      {"\\\\SRV\\SHARE\\X:", 14},
      {"\\\\SERVER\\SHARE\\CON", 16},
      {"\\\\CON\\SHARE", 3},
      {"\\\\SERVER\\SHARE\\", 0},
      {"\\\\SERVER", 0},
      {"\\\\SRV\\SH\\\\X", 8},
      // Wildcards.
      {"*", 0},
      {"?\\X", 1},
      {"C:\\*\\", 4},
      {"C:\\DIR\\*?*", 0},
      {"C:\\DIR\\A?*\\B", 9},
      // Drives.
      {"c:\\x", 0},
      {"z:", 0},
      {"\xe0:\\X", 1},
      {"C:\\COM1", 4},
      {"C:COM1", 3},
      {"C:\\DIR\\LPT1.TXT\\X", 8},
      {"C:\\CONSOLE\\COM5\\AUX1", 0},
      {"\\AUX", 2},
      {"A\\\\B", 1},
  };
  expect_codes(std::begin(cases), std::end(cases));
}

TEST(ValidName, AcceptsAnyLengthUpTo255) {
  EXPECT_EQ(VALIDNAMEWIN(Str(std::string(255, 'A'))), 0);
  EXPECT_EQ(VALIDNAMEWIN(Str("C:\\" + std::string(251, 'A') + "\\")), 0);
  EXPECT_EQ(VALIDNAMEWIN(Str(std::string(254, 'A') + ".")), 255);
  EXPECT_EQ(VALIDNAMEWIN(Str(std::string(250, 'A') + "\\CON")), 252);
}

TEST(NameReserved, TestsOnlyTheNamePartWithoutItsExtension) {
  const struct {
    const char* path;
    bool reserved;
  } cases[] = {
      {"CON", true},
      {"con", true},
      {"CON.TXT", true},
      {"cOn.txt", true},
      {"PRN", true},
      {"AUX", true},
      {"NUL", true},
      {"C:\\DIR\\NUL", true},
      {"COM1", true},
      {"COM4", true},
      {"COM1.DAT", true},
      {"LPT1", true},
      {"LPT9", true},
      {"lpt5.x.y", false},
      {"lpt5.x", true},
      {"CON.", true},
      {"DIR/NUL.TXT", true},
      {"\\\\SRV\\SH\\PRN", true},
      {"COM5", false},
      {"COM0", false},
      {"LPT0", false},
      {"COM", false},
      {"CONSOLE", false},
      {"AUX1", false},
      {"CO", false},
      {"", false},
      {".TXT", false},
      {"CON.TXT.BAK", false},
      {"C:\\CON\\X", false},
      {"C:\\NUL\\", false},
      {"C:\\CON\\", false},
      {"C:", false},
      {"\\", false},
      {"CON ", false},
      {" CON", false},
      {"COM1 ", false},
      {"NULL", false},
      {"LPTX", false},
  };
  for (const auto& c : cases) EXPECT_EQ(NAMERESERVED(c.path), c.reserved) << "path: " << c.path;
}

TEST(Letters, AreOnlyAToZInEitherCase) {
  for (int code = 0; code < 256; ++code) {
    char c = static_cast<char>(code);
    bool letter = (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z');
    EXPECT_EQ(LETTERS(c), letter) << "code: " << code;
  }
}

}  // namespace zelmo
