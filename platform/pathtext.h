// The text logic of the full-path expansion, with the current directories
// given by the caller, so that it reads the same on every platform.
#pragma once

#include <cstdint>

#include "support/str.h"

namespace zelmo {

// Where FEXPAND_WITH takes current directories from: drive 0 is the current
// drive, 1 to 26 are A to Z; "" means the directory is not known (a platform
// without drives gives "" for every drive but 0). GETDIR is the real one.
using DirectoryOf = Str (*)(uint8_t drive);

// FEXPAND with the current directories that dir_of gives.
Str FEXPAND_WITH(const Str& path, DirectoryOf dir_of);

// FSPLIT on a platform with drives (a ":" ends the drive part) or without
// them (a ":" is an ordinary character of a name).
void FSPLIT_WITH(const Str& path, bool drives, Str& dir, Str& name, Str& ext);

}  // namespace zelmo
