// String and number routines: cutting a text at a separator, numbers with
// dot group separators, and small text operations. Pure; every string
// argument is a copy, so a caller may pass one variable as input and output.
#pragma once

#include <cstdint>

#include "support/str.h"

namespace zelmo {

// Cuts text just before its first separator that is not its first byte:
// head is the part before it (a leading separator stays with it), tail the
// rest from that separator on. Fewer than 2 bytes, an empty separator set or
// no separator: head is the whole text, tail empty.
void TESTA_CODA(Str text, Str separators, Str& head, Str& tail);

// A number in decimal with "." between groups of three digits: 12.345, -1.000.
Str DIM_PUNTO(int64_t number);

// The text in reverse order.
Str FREVERSE(const Str& text);

// The text without any byte that occurs in remove.
Str FREECHAR(const Str& remove, const Str& text);

// The text with every repeat of a byte removed; first occurrences keep their order.
Str SINGLE(const Str& text);

// The text with count bytes removed from position on; a position outside the
// text or a count below 1 leaves it unchanged.
Str FDELETE(const Str& text, int16_t position, int16_t count);

// Start position of the last occurrence of find within the first limit bytes
// of text; 0 when there is none or find is empty.
uint8_t POSRL(const Str& find, const Str& text, uint8_t limit);

}  // namespace zelmo
