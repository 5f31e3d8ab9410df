// Reading one entry of an environment, the same way on every platform.
#pragma once

#include "support/str.h"

namespace zelmo {

// True when the environment entry (a NUL-ended NAME=VALUE text) is the
// variable name, letters a to z matching either case; value is then the text
// after its first "=". The entry is read as cut to 255 bytes. An empty name
// matches no entry: entries that begin with "=" are the platform's own.
bool ENV_ENTRY_IS(const char* entry, const Str& name, Str& value);

}  // namespace zelmo
