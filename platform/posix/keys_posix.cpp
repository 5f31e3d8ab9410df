// Key decoding for xterm-like terminals and the Linux console.
#include "platform/posix/keys_posix.h"

#include <string_view>

namespace zelmo {

namespace {

constexpr uint8_t kEsc = 27;

// A control sequence longer than this is junk (no terminal sends one for a
// key) and is dropped rather than waited for.
constexpr size_t kLongestSequence = 32;

// The keys without a character that terminals send as sequences.
enum Key {
  kHome,
  kUp,
  kPgUp,
  kLeft,
  kRight,
  kEnd,
  kDown,
  kPgDn,
  kInsert,
  kDelete,
  kF1,
  kF2,
  kF3,
  kF4,
  kF5,
  kF6,
  kF7,
  kF8,
  kF9,
  kF10,
  kF11,
  kF12,
  kNoKey,
};

// Extended codes of each key alone, with Shift, with Ctrl and with Alt. The
// BIOS gives the cursor keys no Shift code of their own.
constexpr uint8_t kExtended[kNoKey][4] = {
    {71, 71, 119, 151},    // Home
    {72, 72, 141, 152},    // Up
    {73, 73, 132, 153},    // PgUp
    {75, 75, 115, 155},    // Left
    {77, 77, 116, 157},    // Right
    {79, 79, 117, 159},    // End
    {80, 80, 145, 160},    // Down
    {81, 81, 118, 161},    // PgDn
    {82, 82, 146, 162},    // Insert
    {83, 83, 147, 163},    // Delete
    {59, 84, 94, 104},     // F1
    {60, 85, 95, 105},     // F2
    {61, 86, 96, 106},     // F3
    {62, 87, 97, 107},     // F4
    {63, 88, 98, 108},     // F5
    {64, 89, 99, 109},     // F6
    {65, 90, 100, 110},    // F7
    {66, 91, 101, 111},    // F8
    {67, 92, 102, 112},    // F9
    {68, 93, 103, 113},    // F10
    {133, 135, 137, 139},  // F11
    {134, 136, 138, 140},  // F12
};

KeyScan character(size_t used, uint8_t c) {
  KeyScan scan;
  scan.used = used;
  scan.codes[0] = c;
  scan.count = 1;
  return scan;
}

KeyScan extended(size_t used, uint8_t code) {
  KeyScan scan;
  scan.used = used;
  scan.codes[1] = code;
  scan.count = 2;
  return scan;
}

KeyScan dropped(size_t used) {
  KeyScan scan;
  scan.used = used;
  return scan;
}

KeyScan wait_for_more() { return KeyScan(); }

// The xterm modifier parameter is 1 plus Shift 1, Alt 2, Ctrl 4, Meta 8.
// Where several are held, Alt (or Meta) wins over Ctrl and Ctrl over Shift.
int modifier_column(int modifier) {
  int held = modifier > 1 ? modifier - 1 : 0;
  if (held & (2 | 8)) return 3;
  if (held & 4) return 2;
  if (held & 1) return 1;
  return 0;
}

KeyScan special(size_t used, Key key, int modifier) {
  if (key == kNoKey) return dropped(used);
  return extended(used, kExtended[key][modifier_column(modifier)]);
}

// The Alt scan code of a character typed with Alt, 0 when it has none.
uint8_t alt_code(uint8_t c) {
  struct Row {
    std::string_view keys;
    uint8_t first;
  };
  static constexpr Row kRows[] = {
      {"qwertyuiop[]", 16}, {"asdfghjkl;'`", 30}, {"\\zxcvbnm,./", 43}, {"1234567890-=", 120}};
  if (c == 8 || c == 127) return 14;  // Alt+Backspace
  if (c == '\r') return 28;           // Alt+Enter
  if (c >= 'A' && c <= 'Z') c = static_cast<uint8_t>(c - 'A' + 'a');
  for (const Row& row : kRows) {
    size_t at = row.keys.find(static_cast<char>(c));
    if (at != std::string_view::npos) return static_cast<uint8_t>(row.first + at);
  }
  return 0;
}

// The key of "CSI n ~".
Key tilde_key(int n) {
  switch (n) {
    case 1:
    case 7:
      return kHome;
    case 2:
      return kInsert;
    case 3:
      return kDelete;
    case 4:
    case 8:
      return kEnd;
    case 5:
      return kPgUp;
    case 6:
      return kPgDn;
    case 23:
      return kF11;
    case 24:
      return kF12;
  }
  if (n >= 11 && n <= 15) return static_cast<Key>(kF1 + (n - 11));
  if (n >= 17 && n <= 21) return static_cast<Key>(kF6 + (n - 17));
  return kNoKey;
}

// The key of a final letter: cursor keys and F1 to F4.
Key letter_key(uint8_t final) {
  switch (final) {
    case 'A':
      return kUp;
    case 'B':
      return kDown;
    case 'C':
      return kRight;
    case 'D':
      return kLeft;
    case 'H':
      return kHome;
    case 'F':
      return kEnd;
    case 'P':
      return kF1;
    case 'Q':
      return kF2;
    case 'R':
      return kF3;
    case 'S':
      return kF4;
  }
  return kNoKey;
}

// The numbers of a control sequence's parameters ("1;5"), as far as the key
// forms need them.
struct Parameters {
  int value[2] = {0, 0};
  int fields = 1;
  bool plain = true;  // only digits and ";", at most two numbers

  void add(uint8_t c) {
    if (c == ';') {
      ++fields;
    } else if (c >= '0' && c <= '9' && fields <= 2) {
      int& v = value[fields - 1];
      if (v < 1000) v = v * 10 + (c - '0');
    } else {
      plain = false;
    }
    if (fields > 2) plain = false;
  }
  int modifier() const { return fields == 2 ? value[1] : 1; }
};

KeyScan csi_key(size_t used, uint8_t final, const Parameters& p) {
  if (!p.plain) return dropped(used);
  if (final == '~') return special(used, tilde_key(p.value[0]), p.modifier());
  if (final == 'Z' && p.value[0] == 0) return extended(used, 15);  // Shift+Tab
  if (p.value[0] > 1) return dropped(used);
  return special(used, letter_key(final), p.modifier());
}

// "Esc [": parameters, intermediates and a final byte; or the Linux
// console's "Esc [ [ A" to "Esc [ [ E" for F1 to F5.
KeyScan scan_csi(const uint8_t* b, size_t size, bool complete) {
  if (size == 2) return complete ? extended(2, alt_code('[')) : wait_for_more();
  if (b[2] == '[') {
    if (size == 3) return complete ? dropped(3) : wait_for_more();
    if (b[3] >= 'A' && b[3] <= 'E') return special(4, static_cast<Key>(kF1 + (b[3] - 'A')), 1);
    return dropped(4);
  }
  Parameters p;
  for (size_t i = 2; i < size; ++i) {
    uint8_t c = b[i];
    if (c >= 0x40 && c <= 0x7e) return csi_key(i + 1, c, p);
    // A byte that cannot be inside a sequence ends a broken one; it is the
    // start of the next key.
    if (c < 0x20 || c > 0x3f) return dropped(i);
    if (i + 1 >= kLongestSequence) return dropped(i + 1);
    p.add(c);
  }
  return complete ? dropped(size) : wait_for_more();
}

// "Esc O" and a final byte, with an optional modifier digit before it as
// some terminals send it: F1 to F4, cursor keys, and the application keypad.
KeyScan scan_ss3(const uint8_t* b, size_t size, bool complete) {
  if (size == 2) return complete ? extended(2, alt_code('O')) : wait_for_more();
  static constexpr std::string_view kKeypad = "*+,-./0123456789";  // "Esc O j" to "Esc O y"
  int modifier = 0;
  for (size_t i = 2; i < size; ++i) {
    uint8_t c = b[i];
    if (c >= '0' && c <= '9') {
      if (i + 1 >= kLongestSequence) return dropped(i + 1);
      if (modifier < 1000) modifier = modifier * 10 + (c - '0');
      continue;
    }
    if (c < 0x20 || c > 0x7e) return dropped(i);
    if (c == 'M') return character(i + 1, '\r');
    if (c == 'X') return character(i + 1, '=');
    if (c >= 'j' && c <= 'y') return character(i + 1, static_cast<uint8_t>(kKeypad[c - 'j']));
    return special(i + 1, letter_key(c), modifier);
  }
  return complete ? dropped(size) : wait_for_more();
}

}  // namespace

KeyScan SCAN_KEY(const uint8_t* bytes, size_t size, bool complete) {
  uint8_t first = bytes[0];
  if (first == 127) return character(1, 8);  // the Backspace key of most terminals
  if (first != kEsc) return character(1, first);
  if (size == 1) return complete ? character(1, kEsc) : wait_for_more();
  uint8_t second = bytes[1];
  if (second == '[') return scan_csi(bytes, size, complete);
  if (second == 'O') return scan_ss3(bytes, size, complete);
  // Esc Esc: Esc, and the second one starts the next key.
  if (second == kEsc) return character(1, kEsc);
  // Esc before a UTF-8 character: the character without Alt, never half of it.
  if (second >= 0x80) return dropped(1);
  uint8_t code = alt_code(second);
  return code != 0 ? extended(2, code) : dropped(2);
}

}  // namespace zelmo
