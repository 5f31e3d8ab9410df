#include "support/str.h"

#include <gtest/gtest.h>

#include <string>

namespace zelmo {

TEST(Str, KeepsTheFirst255BytesOfEveryLongerText) {
  std::string long_text(300, 'x');
  Str s(long_text.c_str());
  EXPECT_EQ(s.length(), 255);
  Str t("abc");
  for (int i = 0; i < 100; ++i) t += "defgh";
  EXPECT_EQ(t.length(), 255);
  EXPECT_EQ(t.view().substr(0, 8), "abcdefgh");
  Str u = t + "more" + 'c';
  EXPECT_EQ(u, t);
}

TEST(Str, CountsPositionsFromOne) {
  Str s("C:\\DIR\\FILE");
  EXPECT_EQ(s.at(1), 'C');
  EXPECT_EQ(s.at(0), '\0');
  EXPECT_EQ(s.at(12), '\0');
  EXPECT_EQ(s.pos('\\'), 3);
  EXPECT_EQ(s.pos('\\', 4), 7);
  EXPECT_EQ(s.pos('Z'), 0);
  EXPECT_EQ(s.pos("DIR"), 4);
  EXPECT_EQ(s.copy(4, 3), "DIR");
  EXPECT_EQ(s.copy(8, 100), "FILE");
  EXPECT_EQ(s.copy(20, 1), "");
  EXPECT_EQ(s.from(8), "FILE");
}

TEST(Str, KeepsNulBytesAndAppendsToItself) {
  Str s("a", 1);
  s += '\0';
  s += "b";
  EXPECT_EQ(s.length(), 3);
  s += s;
  EXPECT_EQ(s.view(), std::string_view("a\0ba\0b", 6));
}

TEST(Str, UpcasesOnlyAtoZ) { EXPECT_EQ(UPCASE(Str("abz{`AZ\x85 \xe0")), Str("ABZ{`AZ\x85 \xe0")); }

}  // namespace zelmo
