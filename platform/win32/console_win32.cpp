// The Windows console, reached through "CONOUT$" and "CONIN$" so that it is
// the screen and the keyboard even when the standard handles are redirected.
#include <algorithm>
#include <cstring>

#include "platform/console.h"
#include "platform/win32/keys_win32.h"
#include "platform/win32/system_win32.h"

namespace zelmo {

namespace {

HANDLE out = INVALID_HANDLE_VALUE;
HANDLE in = INVALID_HANDLE_VALUE;

// Output is gathered here: every console write is a round trip to the
// console host, which under Wine costs as much per call as per character.
char pending_out[4096];
size_t pending_count = 0;
ULONGLONG last_flush = 0;

// The code of a two-byte key, kept for the next READKEY; -1 when none.
int pending_key = -1;
bool input_ended = false;  // the console's input can give nothing more

// What the console was when the tool found it, given back at the end.
bool found_saved = false;
DWORD found_in_mode = 0;
UINT found_cp = 0;
UINT found_output_cp = 0;

// The texts are compiled in code page 850.
constexpr UINT kTextCodePage = 850;

// A poll shows what was written when output has waited this long, so that
// a progress text appears while a long scan runs.
constexpr ULONGLONG kPollFlushMs = 100;

HANDLE open_console(const char* name) {
  return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, 0, nullptr);
}

bool write_all(const char* bytes, size_t count) {
  while (count > 0) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(count, 0x10000));
    if (!WriteFile(out, bytes, chunk, &written, nullptr) || written == 0) return false;
    bytes += written;
    count -= written;
  }
  return true;
}

bool screen_info(CONSOLE_SCREEN_BUFFER_INFO& info) {
  con_flush();
  return GetConsoleScreenBufferInfo(out, &info);
}

uint8_t as_byte(int value) { return static_cast<uint8_t>(std::clamp(value, 1, 255)); }

// Control bytes other than CR and LF are shown as "?": a file name can hold
// them, and a console that passes escape sequences on to a terminal (Wine's,
// or one with virtual terminal processing) must not act on a name.
char shown(char c) {
  unsigned char code = static_cast<unsigned char>(c);
  return code < 32 && c != '\r' && c != '\n' ? '?' : c;
}

}  // namespace

ConsoleStart con_start() {
  out = open_console("CONOUT$");
  if (out == INVALID_HANDLE_VALUE) return ConsoleStart::kNoHandle;
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(out, &info)) return ConsoleStart::kNoBufferInfo;
  in = open_console("CONIN$");
  found_cp = GetConsoleCP();
  found_output_cp = GetConsoleOutputCP();
  found_saved = GetConsoleMode(in, &found_in_mode);
  // Keys one by one without echo; Ctrl+C stays a signal for the interrupt
  // handler; no mouse or window-size records.
  if (found_saved) SetConsoleMode(in, ENABLE_PROCESSED_INPUT);
  SetConsoleOutputCP(kTextCodePage);
  SetConsoleCP(kTextCodePage);
  // Wine's console starts reading the terminal only at the first wait on
  // the input: until then typed keys are echoed and never queued.
  WaitForSingleObject(in, 0);
  last_flush = GetTickCount64();
  return ConsoleStart::kOk;
}

bool con_write(const char* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (pending_count == sizeof pending_out && !con_flush()) return false;
    pending_out[pending_count++] = shown(bytes[i]);
  }
  return true;
}

bool con_flush() {
  last_flush = GetTickCount64();
  if (pending_count == 0) return true;
  const size_t count = pending_count;
  pending_count = 0;
  return write_all(pending_out, count);
}

uint8_t con_readkey() {
  if (pending_key >= 0) {
    const auto code = static_cast<uint8_t>(pending_key);
    pending_key = -1;
    return code;
  }
  con_flush();
  for (;;) {
    INPUT_RECORD record;
    DWORD got = 0;
    if (!ReadConsoleInputA(in, &record, 1, &got) || got == 0) {
      input_ended = true;
      return 27;
    }
    if (record.EventType != KEY_EVENT) continue;
    const KeyBytes key = TRANSLATE_KEY(record.Event.KeyEvent);
    if (key.count == 2) pending_key = key.bytes[1];
    if (key.count > 0) return key.bytes[0];
  }
}

bool con_input_ended() { return input_ended; }

bool con_keypressed() {
  if (pending_key >= 0) return true;
  if (pending_count > 0 && GetTickCount64() - last_flush >= kPollFlushMs) con_flush();
  for (;;) {
    INPUT_RECORD record;
    DWORD got = 0;
    if (!PeekConsoleInputA(in, &record, 1, &got) || got == 0) return false;
    if (record.EventType == KEY_EVENT && TRANSLATE_KEY(record.Event.KeyEvent).count > 0) return true;
    // Not a key: taken away so that the key behind it can be seen.
    if (!ReadConsoleInputA(in, &record, 1, &got)) return false;
  }
}

// The cursor relative to the visible window, so that a console with
// scrollback lines above still counts rows from the top of the screen.
uint8_t con_wherex() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!screen_info(info)) return 1;
  return as_byte(info.dwCursorPosition.X - info.srWindow.Left + 1);
}

uint8_t con_wherey() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!screen_info(info)) return 1;
  return as_byte(info.dwCursorPosition.Y - info.srWindow.Top + 1);
}

uint8_t con_height() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!screen_info(info)) return 25;
  return as_byte(info.srWindow.Bottom - info.srWindow.Top + 1);
}

void con_gotoxy(uint8_t x, uint8_t y) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!screen_info(info)) return;
  const int width = info.srWindow.Right - info.srWindow.Left + 1;
  const int height = info.srWindow.Bottom - info.srWindow.Top + 1;
  if (x < 1 || y < 1 || x > width || y > height) return;
  const COORD place = {static_cast<SHORT>(info.srWindow.Left + x - 1),
                       static_cast<SHORT>(info.srWindow.Top + y - 1)};
  SetConsoleCursorPosition(out, place);
}

// Also called from the interrupt handler's thread: it only sets console
// state back and leaves the output buffer alone.
void con_restore() {
  if (found_saved) SetConsoleMode(in, found_in_mode);
  if (found_cp != 0) SetConsoleCP(found_cp);
  if (found_output_cp != 0) SetConsoleOutputCP(found_output_cp);
}

}  // namespace zelmo
