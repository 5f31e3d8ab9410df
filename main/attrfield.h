// The attribute field shown before every name: " [DARHS]".
#pragma once

#include <cstdint>

#include "support/str.h"

namespace zelmo {

// Eight characters: a blank, "[", D A R H S or a blank each, "]".
Str ATTRIBUTI(uint8_t attributes);

}  // namespace zelmo
