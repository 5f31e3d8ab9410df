// Interim versions until the full routines land.
#include "support/names.h"

namespace zelmo {

uint8_t VALIDNAME(const Str& name) { return name.empty() ? 1 : 0; }

bool NAMERESERVED(const Str&) { return false; }

}  // namespace zelmo
