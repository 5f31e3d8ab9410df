#include "platform/posix/display_width_posix.h"

#include <gtest/gtest.h>

namespace zelmo {
namespace {

struct WidthCase {
  const char* name;
  uint32_t code_point;
  int width;
};

const WidthCase kWidthCases[] = {
    {"ASCII letter", 'A', 1},
    {"a grave", 0xE0, 1},
    {"soft hyphen is shown", 0xAD, 1},
    {"box drawing", 0x2550, 1},
    {"combining acute", 0x301, 0},
    {"Hebrew point", 0x5B0, 0},
    {"zero width space", 0x200B, 0},
    {"zero width joiner", 0x200D, 0},
    {"variation selector 16", 0xFE0F, 0},
    {"Hangul vowel joining the syllable", 0x1160, 0},
    {"Hangul leading consonant", 0x1100, 2},
    {"ideographic space", 0x3000, 2},
    {"CJK ideograph", 0x4E00, 2},
    {"last CJK ideograph of the block", 0x9FFF, 2},
    {"Hangul syllable", 0xAC00, 2},
    {"fullwidth exclamation", 0xFF01, 2},
    {"halfwidth katakana", 0xFF76, 1},
    {"grinning face", 0x1F600, 2},
    {"ideograph in plane 2", 0x20000, 2},
    {"unassigned in plane 2", 0x2A6E0, 2},
    {"last code point", 0x10FFFF, 1},
};

TEST(CharWidth, CountsColumnsAsTerminalsDo) {
  for (const WidthCase& c : kWidthCases) EXPECT_EQ(DISPLAY_WIDTH(c.code_point), c.width) << c.name;
}

}  // namespace
}  // namespace zelmo
