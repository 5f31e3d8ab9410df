#include "support/names.h"

#include "platform/filesys.h"
#include "support/strings.h"

namespace zelmo {

namespace {

// Position of the first byte of a reserved character in name, in the order
// "/", ":", "|", "<", ">", the double quote, then codes 0 to 31; the colon of
// a drive (position 2) does not count. 0 when none.
int reserved_character(const Str& name) {
  static const char kReserved[] = "/:|<>\"";
  for (int i = 0; i < 6 + 32; ++i) {
    char c = i < 6 ? kReserved[i] : static_cast<char>(i - 6);
    int at = name.pos(c);
    if (c == ':' && at == 2) at = name.pos(c, 3);
    if (at != 0) return at;
  }
  return 0;
}

// Position of the first "?" or "*"; 0 when none.
int first_wildcard(const Str& name) {
  int question = name.pos('?');
  int star = name.pos('*');
  if (question == 0 || star == 0) return question + star;
  return question < star ? question : star;
}

// Position in the whole name of the first part that is a reserved device
// name; rest is what follows the drive, offset the length of the drive.
int reserved_part(Str rest, int offset) {
  if (rest.starts_with("\\\\")) {
    // The pair before a server counts as one separator.
    rest = rest.from(2);
    offset += 1;
  }
  Str head, tail;
  while (!rest.empty()) {
    TESTA_CODA(rest, "\\", head, tail);
    bool leading = head.first() == '\\';
    if (head != "\\" && NAMERESERVED(leading ? head.from(2) : head)) return offset + (leading ? 2 : 1);
    offset += head.length();
    rest = tail;
  }
  return 0;
}

}  // namespace

uint8_t VALIDNAME(const Str& name) { return VALIDNAMEWIN(name); }

uint8_t VALIDNAMEWIN(const Str& name) {
  if (name.empty()) return 1;
  if (name.last() == '.') return static_cast<uint8_t>(name.length());
  bool network = name.starts_with("\\\\");
  // A network name is only searched for a colon.
  int fault = network ? name.pos(':') : reserved_character(name);
  if (fault != 0) return static_cast<uint8_t>(fault);
  // Wildcards belong in the last part only.
  int wildcard = first_wildcard(name);
  if (wildcard != 0 && POSRL("\\", name, 255) > wildcard) return static_cast<uint8_t>(wildcard);
  Str rest = name;
  int offset = 0;
  if (name.at(2) == ':') {
    if (!LETTERS(name.first())) return 1;
    rest = name.from(3);
    offset = 2;
  }
  // A doubled "\" is let through only at the start (a network prefix).
  int doubled = rest.pos("\\\\", 2);
  if (doubled != 0) return static_cast<uint8_t>(doubled - 1);
  return static_cast<uint8_t>(reserved_part(rest, offset));
}

bool NAMERESERVED(const Str& path) {
  Str dir, name, ext;
  FSPLIT(path, dir, name, ext);
  if (name.length() > 4) return false;
  Str padded = UPCASE(name);
  while (padded.length() < 4) padded += ' ';
  Str stem = padded.left(3);
  char digit = padded.at(4);
  if (stem == "COM" && digit >= '1' && digit <= '4') return true;
  if (stem == "LPT" && digit >= '1' && digit <= '9') return true;
  Str bare = UPCASE(name);
  return bare == "AUX" || bare == "NUL" || bare == "PRN" || bare == "CON";
}

bool LETTERS(char c) {
  char upper = UPCASE(c);
  return upper >= 'A' && upper <= 'Z';
}

}  // namespace zelmo
