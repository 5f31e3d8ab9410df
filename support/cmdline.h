// Cutting a whole command line into parameters.
#pragma once

#include <string_view>
#include <vector>

#include "support/str.h"

namespace zelmo {

// The parameters of a command line after the program's name: bytes 1 to 32
// separate them, "..." and '...' stretches keep separators, a doubled quote
// is dropped, and each parameter keeps its first 255 bytes. Empty parameters
// (a pair of quotes) are kept; the parameter loop ignores them.
std::vector<Str> CUTPARAMETERS(std::string_view line);

}  // namespace zelmo
