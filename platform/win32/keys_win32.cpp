// Key records are told apart by their virtual-key code, never by AsciiChar
// alone: Wine's console gives Esc an AsciiChar of 0, and arrows, function
// keys, Insert and Delete come with 0 too. Wine never sets ENHANCED_KEY, so
// the gray keys and the keypad keys are not told apart either.
#include "platform/win32/keys_win32.h"

namespace zelmo {

namespace {

// Extended codes of a key alone and with Shift, Ctrl and Alt.
struct Extended {
  WORD vk;
  uint8_t plain, shift, ctrl, alt;
};

constexpr Extended kExtended[] = {
    {VK_F1, 59, 84, 94, 104},      {VK_F2, 60, 85, 95, 105},     {VK_F3, 61, 86, 96, 106},
    {VK_F4, 62, 87, 97, 107},      {VK_F5, 63, 88, 98, 108},     {VK_F6, 64, 89, 99, 109},
    {VK_F7, 65, 90, 100, 110},     {VK_F8, 66, 91, 101, 111},    {VK_F9, 67, 92, 102, 112},
    {VK_F10, 68, 93, 103, 113},    {VK_F11, 133, 135, 137, 139}, {VK_F12, 134, 136, 138, 140},
    {VK_HOME, 71, 71, 119, 151},   {VK_UP, 72, 72, 141, 152},    {VK_PRIOR, 73, 73, 132, 153},
    {VK_LEFT, 75, 75, 115, 155},   {VK_RIGHT, 77, 77, 116, 157}, {VK_END, 79, 79, 117, 159},
    {VK_DOWN, 80, 80, 145, 160},   {VK_NEXT, 81, 81, 118, 161},  {VK_INSERT, 82, 82, 146, 162},
    {VK_DELETE, 83, 83, 147, 163},
};

// Alt codes of the letters A to Z: the scan code of each letter's key.
constexpr uint8_t kAltLetter[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                    49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};

KeyBytes character(uint8_t c) {
  KeyBytes result;
  result.count = 1;
  result.bytes[0] = c;
  return result;
}

KeyBytes extended(uint8_t code) {
  KeyBytes result;
  result.count = 2;
  result.bytes[1] = code;
  return result;
}

// The Alt code of a key of the typewriter block, or 0 when it has none.
uint8_t alt_code(WORD vk) {
  if (vk >= 'A' && vk <= 'Z') return kAltLetter[vk - 'A'];
  if (vk >= '1' && vk <= '9') return static_cast<uint8_t>(120 + vk - '1');
  if (vk == '0') return 129;
  if (vk == VK_OEM_MINUS) return 130;
  if (vk == VK_OEM_PLUS) return 131;  // the "=" key, "+" with Shift
  return 0;
}

}  // namespace

KeyBytes TRANSLATE_KEY(const KEY_EVENT_RECORD& key) {
  if (!key.bKeyDown) return {};
  const WORD vk = key.wVirtualKeyCode;
  const DWORD state = key.dwControlKeyState;
  const bool alt = state & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED);
  const bool ctrl = state & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED);
  const bool shift = state & SHIFT_PRESSED;
  for (const Extended& e : kExtended) {
    if (e.vk == vk) return extended(alt ? e.alt : ctrl ? e.ctrl : shift ? e.shift : e.plain);
  }
  // Esc stays Esc with Alt too: Wine reads two quick Esc presses as Alt+Esc,
  // and the key that stops a run must not get lost.
  if (vk == VK_ESCAPE) return character(27);
  if (vk == VK_TAB && shift) return extended(15);
  // Only the left Alt: the right one is AltGr on many layouts and types
  // characters.
  if (state & LEFT_ALT_PRESSED) {
    if (uint8_t code = alt_code(vk)) return extended(code);
  }
  const auto c = static_cast<uint8_t>(key.uChar.AsciiChar);
  if (c != 0) return character(c);
  return {};
}

}  // namespace zelmo
