// Environment and current directory.
#include "platform/filesys.h"

namespace zelmo {

Str GETENV(const Str&) { return Str(); }

Str GETDIR(uint8_t) { return Str("\\"); }

}  // namespace zelmo
