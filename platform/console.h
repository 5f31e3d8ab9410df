// Console services: the screen at a cursor, keys without echo, the test for a
// waiting key, and the cursor position. One backend per platform implements
// these; the engine reaches them through the checked wrappers of
// main/screen.h, which turn a failed write into the fatal stop.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zelmo {

enum class ConsoleStart { kOk, kNoHandle, kNoBufferInfo };

// Opens the console. kOk, or which of the two start-up failures happened.
ConsoleStart con_start();

// Writes bytes at the cursor (buffered). CR returns to column 1, LF moves one
// row down. Returns false when the console cannot be written.
bool con_write(const char* bytes, size_t count);

// Sends what is buffered to the screen. Returns false when that fails.
bool con_flush();

// Waits for a key and returns its byte; a key without a character gives 0 and
// the next call its extended code as on the PC keyboard BIOS. Flushes first.
// When no key can ever come (end of input), returns Esc (27).
uint8_t con_readkey();

// True once no key can ever come (end of standard input, a closed terminal or
// console): con_readkey then gives Esc every time.
bool con_input_ended();

// True when a key is waiting; the key is not consumed. Never waits.
bool con_keypressed();

// The cursor's column and row, from 1 at the top left.
uint8_t con_wherex();
uint8_t con_wherey();

// The screen's height in rows, counted up to 255, as it is now.
uint8_t con_height();

// Moves the cursor; a position outside the screen is ignored.
void con_gotoxy(uint8_t x, uint8_t y);

// Gives the terminal back as it was found (line mode, echo). Safe to call
// more than once and from the interruption path.
void con_restore();

}  // namespace zelmo
