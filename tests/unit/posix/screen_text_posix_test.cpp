#include "platform/posix/screen_text_posix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace zelmo {
namespace {

// A screen of 10 columns and 5 rows keeps the cases short.
ScreenCursor small_screen(int x, int y) {
  ScreenCursor cursor;
  cursor.x = x;
  cursor.y = y;
  cursor.width = 10;
  cursor.height = 5;
  return cursor;
}

struct TextCase {
  const char* name;
  int x, y;  // cursor before
  std::string_view text;
  std::string_view sent;
  int end_x, end_y;
};

const TextCase kTextCases[] = {
    {"characters move right", 1, 1, "abc", "abc", 4, 1},
    {"CR returns to column 1", 4, 2, "\r", "\r", 1, 2},
    {"CR LF", 3, 1, "ab\r\n", "ab\r\n", 1, 2},
    {"LF alone goes to column 1 of the next row", 3, 1, "ab\n", "ab\n", 1, 2},
    {"longer than the width is left to the terminal to wrap", 1, 1, "0123456789ab", "0123456789ab", 3, 2},
    {"exactly the width ends at column 1 of the next row", 1, 1, "0123456789", "0123456789", 1, 2},
    {"exact width then CR LF leaves an empty row", 1, 1, "0123456789\r\n", "0123456789\r\n\r\n", 1, 3},
    {"the last column from the middle", 8, 1, "abc", "abc", 1, 2},
    {"the last column then LF alone", 8, 1, "abc\n", "abc\r\n\n", 1, 3},
    {"the last column then CR alone", 8, 1, "abc\r", "abc\r\n\r", 1, 2},
    {"the last column then more text", 8, 1, "abcd", "abcd", 2, 2},
    {"LF on the last row scrolls", 5, 5, "\r\n", "\r\n", 1, 5},
    {"wrap on the last row scrolls", 1, 5, "0123456789", "0123456789", 1, 5},
    {"exact width on the last row then CR LF", 1, 5, "0123456789\r\n", "0123456789\r\n\r\n", 1, 5},
    {"UTF-8 letter takes one column", 1, 1, "\xc3\xa0", "\xc3\xa0", 2, 1},
    {"CJK takes two columns", 1, 1, "\xe6\x97\xa5\xe6\x9c\xac", "\xe6\x97\xa5\xe6\x9c\xac", 5, 1},
    {"emoji takes two columns", 1, 1, "\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80", 3, 1},
    {"combining mark takes none", 1, 1, "e\xcc\x81", "e\xcc\x81", 2, 1},
    {"combining mark stays with the last column's letter", 10, 1, "e\xcc\x81\r\n", "e\xcc\x81\r\n\r\n", 1, 3},
    {"wide character that does not fit starts the next row", 10, 1, "\xe6\x97\xa5", " \xe6\x97\xa5", 3, 2},
    {"wide character filling the row", 9, 1, "\xe6\x97\xa5", "\xe6\x97\xa5", 1, 2},
    {"escape sequence shown harmless", 1, 1, "a\x1b[31mb", "a?[31mb", 8, 1},
    {"tab", 1, 1, "\t", "?", 2, 1},
    {"bell", 1, 1, "\x07", "?", 2, 1},
    {"DEL", 1, 1, "\x7f", "?", 2, 1},
    {"NUL", 1, 1, std::string_view("\0", 1), "?", 2, 1},
    {"C1 CSI as UTF-8", 1, 1,
     "\xc2\x9b"
     "31m",
     "?31m", 5, 1},
    {"bidirectional override", 1, 1,
     "a\xe2\x80\xae"
     "b",
     "a?b", 4, 1},
    {"invalid byte", 1, 1, "\xff", "?", 2, 1},
    {"Latin-1 name", 1, 1, "caf\xe9", "caf?", 5, 1},
    {"truncated character", 1, 1, "a\xc3", "a?", 3, 1},
    {"lead byte before ASCII", 1, 1, "\xc3(", "?(", 3, 1},
    {"overlong slash", 1, 1, "\xc0\xaf", "??", 3, 1},
    {"surrogate", 1, 1, "\xed\xa0\x80", "???", 4, 1},
    {"beyond U+10FFFF", 1, 1, "\xf4\x90\x80\x80", "????", 5, 1},
};

TEST(ShowText, SendsTheTextAndTracksTheCursor) {
  for (const TextCase& c : kTextCases) {
    ScreenCursor cursor = small_screen(c.x, c.y);
    std::string sent;
    SHOW_TEXT(cursor, c.text.data(), c.text.size(), sent);
    EXPECT_EQ(sent, c.sent) << c.name;
    EXPECT_EQ(cursor.x, c.end_x) << c.name;
    EXPECT_EQ(cursor.y, c.end_y) << c.name;
  }
}

TEST(ShowText, LeavesEveryRowOfALongTextToTheTerminal) {
  ScreenCursor cursor = small_screen(1, 1);
  std::string sent;
  std::string text(25, 'x');
  SHOW_TEXT(cursor, text.data(), text.size(), sent);
  EXPECT_EQ(sent, text);
  EXPECT_EQ(cursor.x, 6);
  EXPECT_EQ(cursor.y, 3);
}

TEST(ShowText, SettlesAWrapAfterAnEarlierWriteFilledTheRow) {
  // The text that fills the row and what follows come in two writes, as a
  // line and its line end do.
  const struct {
    const char* name;
    std::string_view next;
    std::string_view sent;
    int end_x, end_y;
  } cases[] = {
      {"line end", "\r\n", "\r\n\r\n", 1, 3},
      {"more text", "ab", "ab", 3, 2},
      {"combining mark, then line end", "\xcc\x81\r\n", "\xcc\x81\r\n\r\n", 1, 3},
      {"nothing", "", "", 1, 2},
  };
  for (const auto& c : cases) {
    ScreenCursor cursor = small_screen(1, 1);
    std::string sent;
    SHOW_TEXT(cursor, "0123456789", 10, sent);
    sent.clear();
    SHOW_TEXT(cursor, c.next.data(), c.next.size(), sent);
    EXPECT_EQ(sent, c.sent) << c.name;
    EXPECT_EQ(cursor.x, c.end_x) << c.name;
    EXPECT_EQ(cursor.y, c.end_y) << c.name;
  }
}

TEST(ShowText, WithoutAnEdgeNeverBreaksALine) {
  ScreenCursor cursor = small_screen(1, 1);
  cursor.edge = false;
  std::string sent;
  std::string text(300, 'x');
  SHOW_TEXT(cursor, text.data(), text.size(), sent);
  SHOW_TEXT(cursor, "\r\n", 2, sent);
  EXPECT_EQ(sent, text + "\r\n");
  EXPECT_EQ(cursor.x, 1);
  EXPECT_EQ(cursor.y, 2);
  // A wide character is never pushed to the next row either.
  sent.clear();
  SHOW_TEXT(cursor, "123456789\xe6\x97\xa5", 12, sent);
  EXPECT_EQ(sent, "123456789\xe6\x97\xa5");
  EXPECT_EQ(cursor.x, 12);
}

struct MoveCase {
  const char* name;
  int from_x, from_y, to_x, to_y;
  bool moved;
  std::string_view sent;
};

const MoveCase kMoveCases[] = {
    {"same row: absolute column", 5, 3, 2, 3, true, "\x1b[2G"},
    {"rows up", 5, 3, 1, 1, true, "\x1b[2A\x1b[1G"},
    {"rows down", 5, 1, 7, 4, true, "\x1b[3B\x1b[7G"},
    {"last column and row", 1, 1, 10, 5, true, "\x1b[4B\x1b[10G"},
    {"column 0", 5, 3, 0, 3, false, ""},
    {"row 0", 5, 3, 2, 0, false, ""},
    {"beyond the width", 5, 3, 11, 3, false, ""},
    {"beyond the height", 5, 3, 2, 6, false, ""},
};

TEST(MoveCursor, MovesInsideTheScreenOnly) {
  for (const MoveCase& c : kMoveCases) {
    ScreenCursor cursor = small_screen(c.from_x, c.from_y);
    std::string sent;
    EXPECT_EQ(MOVE_CURSOR(cursor, c.to_x, c.to_y, sent), c.moved) << c.name;
    EXPECT_EQ(sent, c.sent) << c.name;
    EXPECT_EQ(cursor.x, c.moved ? c.to_x : c.from_x) << c.name;
    EXPECT_EQ(cursor.y, c.moved ? c.to_y : c.from_y) << c.name;
  }
}

TEST(MoveCursor, SettlesAPendingWrapFirst) {
  ScreenCursor cursor = small_screen(1, 2);
  std::string sent;
  SHOW_TEXT(cursor, "0123456789", 10, sent);
  sent.clear();
  EXPECT_TRUE(MOVE_CURSOR(cursor, 6, 3, sent));
  EXPECT_EQ(sent, "\r\n\x1b[6G");
  // A move outside the screen leaves the wrap pending: nothing is sent.
  SHOW_TEXT(cursor, "abcde", 5, sent);
  sent.clear();
  EXPECT_FALSE(MOVE_CURSOR(cursor, 11, 4, sent));
  EXPECT_EQ(sent, "");
  SHOW_TEXT(cursor, "\r\n", 2, sent);
  EXPECT_EQ(sent, "\r\n\r\n");
}

TEST(ResizeScreen, KeepsTheCursorInsideAndSettlesAPendingWrap) {
  const struct {
    const char* name;
    std::string_view text;  // written on a screen of 10 x 5 from (1, 1) first
    int width, height;
    std::string_view sent;
    int end_x, end_y;
  } cases[] = {
      {"narrower than the cursor's column", "abcdefgh", 4, 5, "", 4, 1},
      {"wider", "abcdefgh", 40, 5, "", 9, 1},
      {"fewer rows than the cursor's row", "a\r\nb\r\nc\r\nd", 6, 2, "", 2, 2},
      {"a pending wrap", "0123456789", 20, 5, "\r\n", 1, 2},
      {"more than 255 rows", "", 10, 300, "", 1, 1},
  };
  for (const auto& c : cases) {
    ScreenCursor cursor = small_screen(1, 1);
    std::string sent;
    SHOW_TEXT(cursor, c.text.data(), c.text.size(), sent);
    sent.clear();
    RESIZE_SCREEN(cursor, c.width, c.height, sent);
    EXPECT_EQ(sent, c.sent) << c.name;
    EXPECT_EQ(cursor.x, c.end_x) << c.name;
    EXPECT_EQ(cursor.y, c.end_y) << c.name;
    EXPECT_EQ(cursor.width, c.width) << c.name;
    EXPECT_EQ(cursor.height, std::min(c.height, 255)) << c.name;
    // Text goes on at the new width.
    SHOW_TEXT(cursor, "\r", 1, sent);
    std::string row(static_cast<size_t>(c.width), 'x');
    SHOW_TEXT(cursor, row.data(), row.size(), sent);
    EXPECT_EQ(cursor.x, 1) << c.name;
  }
}

}  // namespace
}  // namespace zelmo
