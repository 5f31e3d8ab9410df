// What goes to a terminal for the console's text, and where that leaves the
// cursor. Pure routines: the terminal is only a string of bytes to send.
#pragma once

#include <cstddef>
#include <string>

namespace zelmo {

// The cursor as the terminal will have it, columns and rows from 1.
struct ScreenCursor {
  int x = 1;
  int y = 1;
  int width = 80;   // columns, at most 255
  int height = 25;  // rows, at most 255
};

// Appends to out the bytes that show text at the cursor and moves the cursor
// as the screen will. CR returns to column 1; LF goes to column 1 of the next
// row (the terminal turns LF into CR LF, as the Windows console does); the
// row stops at the last one, where the screen scrolls. UTF-8 characters take
// their display width. A character that fills the last column puts the cursor
// at column 1 of the next row at once, so "\r\n" is sent for it, and a wide
// character that does not fit in the columns left starts the next row. Bytes
// that would make the terminal do something other than print (control bytes,
// C1 controls, bidirectional controls) and bytes that are not valid UTF-8 are
// shown as "?", one per byte or character.
void SHOW_TEXT(ScreenCursor& cursor, const char* text, size_t count, std::string& out);

// Appends to out the sequence that moves the cursor to column x, row y and
// moves it; returns false, appending nothing, when the place is outside the
// screen. On another row the move is relative, since the terminal's row at
// start is unknown and the rows are counted from there.
bool MOVE_CURSOR(ScreenCursor& cursor, int x, int y, std::string& out);

}  // namespace zelmo
