#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/keys_win32.h"

namespace zelmo {

namespace {

constexpr DWORD kShift = SHIFT_PRESSED;
constexpr DWORD kCtrl = LEFT_CTRL_PRESSED;
constexpr DWORD kAlt = LEFT_ALT_PRESSED;
constexpr DWORD kAltGr = RIGHT_ALT_PRESSED | LEFT_CTRL_PRESSED;

struct KeyCase {
  const char* what;
  WORD vk;
  unsigned char ascii;
  DWORD state;
  bool down;
  std::vector<int> bytes;
};

std::vector<int> translate(const KeyCase& c) {
  KEY_EVENT_RECORD record{};
  record.bKeyDown = c.down;
  record.wRepeatCount = 1;
  record.wVirtualKeyCode = c.vk;
  record.uChar.AsciiChar = static_cast<CHAR>(c.ascii);
  record.dwControlKeyState = c.state;
  const KeyBytes key = TRANSLATE_KEY(record);
  return std::vector<int>(key.bytes, key.bytes + key.count);
}

// The records as the console gives them for each key: Wine's values where
// they differ from Windows (Esc with AsciiChar 0, no ENHANCED_KEY).
const KeyCase kCases[] = {
    {"a", 'A', 'a', 0, true, {'a'}},
    {"A", 'A', 'A', kShift, true, {'A'}},
    {"a released", 'A', 'a', 0, false, {}},
    {"F1 released", VK_F1, 0, 0, false, {}},
    {"Shift alone", VK_SHIFT, 0, kShift, true, {}},
    {"Ctrl alone", VK_CONTROL, 0, kCtrl, true, {}},
    {"Alt alone", VK_MENU, 0, kAlt, true, {}},
    {"Caps Lock", VK_CAPITAL, 0, 0, true, {}},
    {"Num Lock", VK_NUMLOCK, 0, 0, true, {}},
    {"Scroll Lock", VK_SCROLL, 0, 0, true, {}},
    {"unmapped sequence", 0, 0, 0, true, {}},
    {"Esc (Wine: AsciiChar 0)", VK_ESCAPE, 0, 0, true, {27}},
    {"Esc (Windows: AsciiChar 27)", VK_ESCAPE, 27, 0, true, {27}},
    {"Esc Esc read as Alt+Esc", VK_ESCAPE, 27, kAlt, true, {27}},
    {"Enter", VK_RETURN, 13, 0, true, {13}},
    {"Ctrl+Enter", VK_RETURN, 10, kCtrl, true, {10}},
    {"Backspace", VK_BACK, 8, 0, true, {8}},
    {"Tab", VK_TAB, 9, 0, true, {9}},
    {"Shift+Tab", VK_TAB, 9, kShift, true, {0, 15}},
    {"Ctrl+A", 'A', 1, kCtrl, true, {1}},
    {"Space", VK_SPACE, ' ', 0, true, {' '}},
    {"a grave in CP850", 0, 0x85, 0, true, {0x85}},
    {"F1", VK_F1, 0, 0, true, {0, 59}},
    {"F2", VK_F2, 0, 0, true, {0, 60}},
    {"F5", VK_F5, 0, 0, true, {0, 63}},
    {"F10", VK_F10, 0, 0, true, {0, 68}},
    {"F11", VK_F11, 0, 0, true, {0, 133}},
    {"F12", VK_F12, 0, 0, true, {0, 134}},
    {"Shift+F1", VK_F1, 0, kShift, true, {0, 84}},
    {"Shift+F10", VK_F10, 0, kShift, true, {0, 93}},
    {"Ctrl+F1", VK_F1, 0, kCtrl, true, {0, 94}},
    {"Ctrl+F10", VK_F10, 0, RIGHT_CTRL_PRESSED, true, {0, 103}},
    {"Alt+F1", VK_F1, 0, kAlt, true, {0, 104}},
    {"Alt+F10", VK_F10, 0, kAlt, true, {0, 113}},
    {"Shift+F11", VK_F11, 0, kShift, true, {0, 135}},
    {"Shift+F12", VK_F12, 0, kShift, true, {0, 136}},
    {"Ctrl+F11", VK_F11, 0, kCtrl, true, {0, 137}},
    {"Ctrl+F12", VK_F12, 0, kCtrl, true, {0, 138}},
    {"Alt+F11", VK_F11, 0, kAlt, true, {0, 139}},
    {"Alt+F12", VK_F12, 0, kAlt, true, {0, 140}},
    {"Alt+Ctrl+F1: Alt wins", VK_F1, 0, kAlt | kCtrl, true, {0, 104}},
    {"Ctrl+Shift+F1: Ctrl wins", VK_F1, 0, kCtrl | kShift, true, {0, 94}},
    {"Home", VK_HOME, 0, 0, true, {0, 71}},
    {"Up", VK_UP, 0, 0, true, {0, 72}},
    {"PgUp", VK_PRIOR, 0, 0, true, {0, 73}},
    {"Left", VK_LEFT, 0, 0, true, {0, 75}},
    {"Right", VK_RIGHT, 0, 0, true, {0, 77}},
    {"End", VK_END, 0, 0, true, {0, 79}},
    {"Down", VK_DOWN, 0, 0, true, {0, 80}},
    {"PgDn", VK_NEXT, 0, 0, true, {0, 81}},
    {"Insert", VK_INSERT, 0, 0, true, {0, 82}},
    {"Delete", VK_DELETE, 0, 0, true, {0, 83}},
    {"Delete, enhanced", VK_DELETE, 0, ENHANCED_KEY, true, {0, 83}},
    {"Shift+Home", VK_HOME, 0, kShift, true, {0, 71}},
    {"Ctrl+Left", VK_LEFT, 0, kCtrl, true, {0, 115}},
    {"Ctrl+Right", VK_RIGHT, 0, kCtrl, true, {0, 116}},
    {"Ctrl+End", VK_END, 0, kCtrl, true, {0, 117}},
    {"Ctrl+PgDn", VK_NEXT, 0, kCtrl, true, {0, 118}},
    {"Ctrl+Home", VK_HOME, 0, kCtrl, true, {0, 119}},
    {"Ctrl+PgUp", VK_PRIOR, 0, kCtrl, true, {0, 132}},
    {"Ctrl+Up", VK_UP, 0, kCtrl, true, {0, 141}},
    {"Ctrl+Down", VK_DOWN, 0, kCtrl, true, {0, 145}},
    {"Ctrl+Insert", VK_INSERT, 0, kCtrl, true, {0, 146}},
    {"Ctrl+Delete", VK_DELETE, 0, kCtrl, true, {0, 147}},
    {"Alt+Home", VK_HOME, 0, kAlt, true, {0, 151}},
    {"Alt+Up", VK_UP, 0, kAlt, true, {0, 152}},
    {"Alt+PgUp", VK_PRIOR, 0, kAlt, true, {0, 153}},
    {"Alt+Left", VK_LEFT, 0, kAlt, true, {0, 155}},
    {"Alt+Right", VK_RIGHT, 0, kAlt, true, {0, 157}},
    {"Alt+End", VK_END, 0, kAlt, true, {0, 159}},
    {"Alt+Down", VK_DOWN, 0, kAlt, true, {0, 160}},
    {"Alt+PgDn", VK_NEXT, 0, kAlt, true, {0, 161}},
    {"Alt+Insert", VK_INSERT, 0, kAlt, true, {0, 162}},
    {"Alt+Delete", VK_DELETE, 0, kAlt, true, {0, 163}},
    {"Alt+Q", 'Q', 'q', kAlt, true, {0, 16}},
    {"Alt+P", 'P', 'p', kAlt, true, {0, 25}},
    {"Alt+A", 'A', 'a', kAlt, true, {0, 30}},
    {"Alt+L", 'L', 'l', kAlt, true, {0, 38}},
    {"Alt+Z", 'Z', 'z', kAlt, true, {0, 44}},
    {"Alt+M", 'M', 'm', kAlt, true, {0, 50}},
    {"Alt+Shift+E", 'E', 'E', kAlt | kShift, true, {0, 18}},
    {"Alt+1", '1', '1', kAlt, true, {0, 120}},
    {"Alt+9", '9', '9', kAlt, true, {0, 128}},
    {"Alt+0", '0', '0', kAlt, true, {0, 129}},
    {"Alt+-", VK_OEM_MINUS, '-', kAlt, true, {0, 130}},
    {"Alt+=", VK_OEM_PLUS, '=', kAlt, true, {0, 131}},
    {"AltGr types its character", 'Q', '@', kAltGr, true, {'@'}},
    {"Alt+Enter keeps the character", VK_RETURN, 13, kAlt, true, {13}},
};

}  // namespace

TEST(TranslateKey, GivesTheKeyboardBiosBytes) {
  for (const KeyCase& c : kCases) EXPECT_EQ(translate(c), c.bytes) << c.what;
}

}  // namespace zelmo
