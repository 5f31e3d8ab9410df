// What goes to a terminal for the console's text, and where that leaves the
// cursor. Pure routines: the terminal is only a string of bytes to send.
#pragma once

#include <cstddef>
#include <string>

namespace zelmo {

// The cursor as the console has it, columns and rows from 1: a character
// that fills the last column puts it at column 1 of the next row at once, as
// on the Windows console.
struct ScreenCursor {
  int x = 1;
  int y = 1;
  int width = 80;   // columns
  int height = 25;  // rows, at most 255
  // False for a pipe or a file: a line has no right edge and is never broken.
  bool edge = true;
  // The last text filled the last column. A terminal keeps its cursor there
  // until the next character wraps it; it is sent to the next row only where
  // that makes a difference (SETTLE_WRAP).
  bool wrap_pending = false;
};

// Appends to out the bytes that show text at the cursor and moves the cursor
// as the console does. CR returns to column 1; LF goes to column 1 of the
// next row (the terminal turns LF into CR LF, as the Windows console does);
// the row stops at the last one, where the screen scrolls. UTF-8 characters
// take their display width. Long text is left to the terminal to wrap, so
// that a line stays one line when it is copied or the window is resized; a
// line end of its own is sent only before a CR or LF that follows a text
// ending in the last column, where the console's cursor has gone on to the
// next row and the terminal's has not. A wide character that does not fit in
// the columns left starts the next row, after blanks to the edge. Bytes that
// would make the terminal do something other than print (control bytes, C1
// controls, bidirectional controls) and bytes that are not valid UTF-8 are
// shown as "?", one per byte or character.
void SHOW_TEXT(ScreenCursor& cursor, const char* text, size_t count, std::string& out);

// Appends to out the line end that brings the terminal's cursor where the
// console's is, when a wrap is pending; nothing otherwise.
void SETTLE_WRAP(ScreenCursor& cursor, std::string& out);

// Appends to out the sequence that moves the cursor to column x, row y and
// moves it; returns false, appending nothing, when the place is outside the
// screen. A pending wrap is settled first. On another row the move is
// relative, since the terminal's row at start is unknown and the rows are
// counted from there.
bool MOVE_CURSOR(ScreenCursor& cursor, int x, int y, std::string& out);

// The screen is now width columns by height rows (counted up to 255): a pending
// wrap is settled first, since a terminal may drop it when it is resized,
// and the cursor stays inside the screen, as the terminal keeps it.
void RESIZE_SCREEN(ScreenCursor& cursor, int width, int height, std::string& out);

}  // namespace zelmo
