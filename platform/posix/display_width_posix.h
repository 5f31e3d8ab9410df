// Display width of characters on a terminal, as terminals count it.
#pragma once

#include <cstdint>

namespace zelmo {

// Columns a printable code point takes on a terminal: 0 for a combining mark
// or a format character, 2 for a wide (East Asian) character, else 1.
int DISPLAY_WIDTH(uint32_t code_point);

}  // namespace zelmo
