// Text for a terminal and the cursor it leaves.
#include "platform/posix/screen_text_posix.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "platform/posix/display_width_posix.h"

namespace zelmo {

namespace {

// The length of the valid UTF-8 character at the front of s[0..count) and its
// code point; 0 when the bytes are not one (overlong forms and surrogates
// included).
size_t decode_utf8(const unsigned char* s, size_t count, uint32_t& code_point) {
  unsigned char lead = s[0];
  size_t length;
  uint32_t smallest;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code_point = lead & 0x1F;
    smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code_point = lead & 0x0F;
    smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code_point = lead & 0x07;
    smallest = 0x10000;
  } else {
    return 0;
  }
  if (length > count) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((s[i] & 0xC0) != 0x80) return 0;
    code_point = (code_point << 6) | (s[i] & 0x3F);
  }
  if (code_point < smallest || code_point > 0x10FFFF || (code_point >= 0xD800 && code_point <= 0xDFFF))
    return 0;
  return length;
}

// True for characters that a terminal acts on instead of printing them: C0
// and C1 controls (escape sequences start with them) and the bidirectional
// controls, which could make a name look like another.
bool acts_on_terminal(uint32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
         (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// One character of a text: the bytes it takes, what is sent for it and the
// columns that takes.
struct Glyph {
  size_t length;
  std::string_view shown;
  int width;
};

Glyph read_glyph(const char* text, size_t count) {
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  uint32_t code_point = s[0];
  size_t length = s[0] < 0x80 ? 1 : decode_utf8(s, count, code_point);
  if (length == 0) return {1, "?", 1};
  if (acts_on_terminal(code_point)) return {length, "?", 1};
  return {length, std::string_view(text, length), code_point < 0x80 ? 1 : DISPLAY_WIDTH(code_point)};
}

void next_row(ScreenCursor& cursor) {
  if (cursor.y < cursor.height) ++cursor.y;
}

// The console's cursor moves on to column 1 of the next row; the terminal's
// stays in the last column until something settles the wrap.
void wrap(ScreenCursor& cursor) {
  cursor.x = 1;
  next_row(cursor);
  cursor.wrap_pending = true;
}

}  // namespace

void SHOW_TEXT(ScreenCursor& cursor, const char* text, size_t count, std::string& out) {
  size_t i = 0;
  while (i < count) {
    char b = text[i];
    if (b == '\r' || b == '\n') {
      SETTLE_WRAP(cursor, out);
      out += b;
      cursor.x = 1;
      if (b == '\n') next_row(cursor);
      ++i;
      continue;
    }
    Glyph glyph = read_glyph(text + i, count - i);
    i += glyph.length;
    // A combining mark still belongs to the character before it, even one in
    // the last column: it leaves a pending wrap alone.
    if (glyph.width > 0) {
      // A terminal wraps by itself before a character that follows a full row.
      cursor.wrap_pending = false;
      if (cursor.edge && cursor.x > 1 && cursor.x + glyph.width - 1 > cursor.width) {
        // Blanks to the edge: every terminal then wraps before the character
        // alike, where some would print half of it.
        out.append(static_cast<size_t>(cursor.width - cursor.x + 1), ' ');
        cursor.x = 1;
        next_row(cursor);
      }
      cursor.x += glyph.width;
      if (cursor.edge && cursor.x > cursor.width) wrap(cursor);
    }
    out += glyph.shown;
  }
}

void SETTLE_WRAP(ScreenCursor& cursor, std::string& out) {
  if (!cursor.wrap_pending) return;
  out += "\r\n";
  cursor.wrap_pending = false;
}

bool MOVE_CURSOR(ScreenCursor& cursor, int x, int y, std::string& out) {
  if (x < 1 || y < 1 || x > cursor.width || y > cursor.height) return false;
  // The rows are counted from the console's cursor, which the terminal's
  // must join first.
  SETTLE_WRAP(cursor, out);
  if (y < cursor.y) out += "\x1b[" + std::to_string(cursor.y - y) + "A";
  if (y > cursor.y) out += "\x1b[" + std::to_string(y - cursor.y) + "B";
  out += "\x1b[" + std::to_string(x) + "G";
  cursor.x = x;
  cursor.y = y;
  return true;
}

void RESIZE_SCREEN(ScreenCursor& cursor, int width, int height, std::string& out) {
  SETTLE_WRAP(cursor, out);
  cursor.width = width;
  cursor.height = std::min(height, 255);
  cursor.x = std::min(cursor.x, cursor.width);
  cursor.y = std::min(cursor.y, cursor.height);
}

}  // namespace zelmo
