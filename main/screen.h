// The console as the engine uses it: every write is checked (a failed one
// is the fatal stop), and the idioms of fresh lines, key polls and answers.
#pragma once

#include <cstdint>
#include <string_view>

#include "support/str.h"

namespace zelmo {

constexpr uint8_t kEsc = 27;

void WRITE(const Str& text);
void WRITE(std::string_view text);
void WRITELN(const Str& text = Str());
uint8_t READKEY();
bool KEYPRESSED();
uint8_t WHEREX();
uint8_t WHEREY();
uint8_t SCREEN_HEIGHT();
void GOTOXY(uint8_t x, uint8_t y);

// A line end when the cursor is not in column 1.
void FRESHLINE();

// Takes a waiting key, if any (both codes of a key without a character), and
// tells whether it was Esc.
bool ESCPRESSED();

// Reads keys, upper-cased, until one is among answers; a key without a
// character is no answer. When no key can come any more the first of the
// answers is taken: each question names its stopping answer first, so an
// unattended run ends instead of waiting for ever.
char ANSWER(std::string_view answers);

}  // namespace zelmo
