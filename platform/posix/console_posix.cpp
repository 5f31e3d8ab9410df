// The terminal as the console.
#include <unistd.h>

#include "platform/console.h"

namespace zelmo {

static uint8_t column = 1;

ConsoleStart con_start() { return ConsoleStart::kOk; }
bool con_write(const char* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) column = bytes[i] == '\r' ? 1 : bytes[i] == '\n' ? column : column + 1;
  return write(1, bytes, count) == static_cast<ssize_t>(count);
}
bool con_flush() { return true; }
uint8_t con_readkey() {
  unsigned char c;
  return read(0, &c, 1) == 1 ? c : 27;
}
bool con_keypressed() { return false; }
uint8_t con_wherex() { return column; }
uint8_t con_wherey() { return 1; }
void con_gotoxy(uint8_t x, uint8_t) { column = x; }
void con_restore() {}

}  // namespace zelmo
