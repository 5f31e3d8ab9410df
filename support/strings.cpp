#include "support/strings.h"

namespace zelmo {

namespace {

// Position of the first byte of text at or after start that is in set; 0 when none.
int first_of(const Str& text, const Str& set, int start) {
  for (int i = start; i <= text.length(); ++i)
    if (set.contains(text.at(i))) return i;
  return 0;
}

}  // namespace

void TESTA_CODA(Str text, Str separators, Str& head, Str& tail) {
  // text and separators are copies: head may be the caller's text variable.
  head = Str();
  tail = Str();
  separators = SINGLE(separators);
  if (text.length() < 2 || separators.empty()) {
    head = text;
    return;
  }
  int cut = first_of(text, separators, 1);
  if (cut == 1) {
    // A leading separator stays with the head: look for the next one.
    Str rest = FDELETE(text, 1, 1);
    int next = first_of(rest, separators, 1);
    cut = next == 0 ? 0 : next + 1;
  }
  if (cut == 0) {
    head = text;
    return;
  }
  head = text.left(cut - 1);
  tail = text.from(cut);
}

Str DIM_PUNTO(int64_t number) {
  // The magnitude in unsigned arithmetic, so that the smallest value has one too.
  uint64_t magnitude = number < 0 ? 0 - static_cast<uint64_t>(number) : static_cast<uint64_t>(number);
  Str reversed;  // digits from the right, a dot after every third one
  int digits = 0;
  do {
    if (digits > 0 && digits % 3 == 0) reversed += '.';
    reversed += static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
    ++digits;
  } while (magnitude != 0);
  if (number < 0) reversed += '-';
  return FREVERSE(reversed);
}

Str FREVERSE(const Str& text) {
  Str result;
  for (int i = text.length(); i >= 1; --i) result += text.at(i);
  return result;
}

Str FREECHAR(const Str& remove, const Str& text) {
  Str result;
  for (int i = 1; i <= text.length(); ++i)
    if (!remove.contains(text.at(i))) result += text.at(i);
  return result;
}

Str SINGLE(const Str& text) {
  Str result;
  for (int i = 1; i <= text.length(); ++i)
    if (!result.contains(text.at(i))) result += text.at(i);
  return result;
}

Str FDELETE(const Str& text, int16_t position, int16_t count) {
  if (position < 1 || position > text.length() || count <= 0) return text;
  return text.left(position - 1) + text.from(position + count);
}

uint8_t POSRL(const Str& find, const Str& text, uint8_t limit) {
  int searched = limit < text.length() ? limit : text.length();
  if (find.empty() || find.length() > searched) return 0;
  for (int end = searched; end >= find.length(); --end) {
    int start = end - find.length() + 1;
    if (text.copy(start, find.length()) == find) return static_cast<uint8_t>(start);
  }
  return 0;
}

}  // namespace zelmo
