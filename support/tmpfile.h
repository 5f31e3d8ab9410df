// The name of the temporary list file.
#pragma once

#include "support/str.h"

namespace zelmo {

// A path for a file that does not exist yet, in the directory of TMP, else of
// TEMP (created when missing), else the current directory; the name itself or
// a numbered form of it. "" when no path can be chosen.
Str TMPFILE(const Str& name);

// The numbered form of name for k: ZELMO___.TMP and 12 give ZELMO_12.TMP.
Str NUMBEREDNAME(const Str& name, int32_t k);

}  // namespace zelmo
