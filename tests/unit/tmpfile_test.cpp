#include "support/tmpfile.h"

#include <gtest/gtest.h>

namespace zelmo {

TEST(NumberedName, PutsTheNumberAtTheEndOfAnEightByteStem) {
  const struct {
    const char* name;
    int32_t k;
    const char* numbered;
  } cases[] = {
      {"ZELMO___.TMP", 0, "ZELMO__0.TMP"},
      {"ZELMO___.TMP", 9, "ZELMO__9.TMP"},
      {"ZELMO___.TMP", 10, "ZELMO_10.TMP"},
      {"ZELMO___.TMP", 999, "ZELMO999.TMP"},
      {"ZELMO___.TMP", 1000, "ZELM1000.TMP"},
      {"ZELMO___.TMP", 99999999, "99999999.TMP"},
      {"ABC", 0, "ABC00000"},
      {"ABC", 1, "ABC00001"},
      {"LONGNAME12.HTML", 0, "LONGNAM0.HTM"},
      {"A.B.C", 0, "A0000000.B.C"},
      {"X.", 5, "X0000005"},
      {".TMP", 3, "00000003.TMP"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NUMBEREDNAME(c.name, c.k), c.numbered) << c.name << " numbered " << c.k;
}

}  // namespace zelmo
