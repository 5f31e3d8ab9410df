// The Windows console.
#include <windows.h>

#include "platform/console.h"

namespace zelmo {

static HANDLE out = INVALID_HANDLE_VALUE;
static HANDLE in = INVALID_HANDLE_VALUE;

ConsoleStart con_start() {
  out = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return ConsoleStart::kNoHandle;
  in = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                   OPEN_EXISTING, 0, nullptr);
  return ConsoleStart::kOk;
}
bool con_write(const char* bytes, size_t count) {
  DWORD written = 0;
  return WriteFile(out, bytes, static_cast<DWORD>(count), &written, nullptr) && written == count;
}
bool con_flush() { return true; }
uint8_t con_readkey() { return 27; }
bool con_keypressed() { return false; }
uint8_t con_wherex() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  return GetConsoleScreenBufferInfo(out, &info) ? static_cast<uint8_t>(info.dwCursorPosition.X + 1) : 1;
}
uint8_t con_wherey() { return 1; }
void con_gotoxy(uint8_t, uint8_t) {}
void con_restore() {}

}  // namespace zelmo
