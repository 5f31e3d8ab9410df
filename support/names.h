// File-name validation: whether a text can name a file or directory.
#pragma once

#include <cstdint>

#include "support/str.h"

namespace zelmo {

// 0 when the name or path is acceptable, else a position near its first fault.
uint8_t VALIDNAME(const Str& name);
uint8_t VALIDNAMEWIN(const Str& name);

// True when the name part of the path is a reserved device name (CON, PRN,
// AUX, NUL, COM1 to COM4, LPT1 to LPT9), with or without an extension.
bool NAMERESERVED(const Str& path);

// True for A to Z and a to z.
bool LETTERS(char c);

}  // namespace zelmo
