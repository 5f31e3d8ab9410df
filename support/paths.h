// Path expansion and mask splitting: %NAME% substitution, full paths, the
// directory and name parts of a path, and paths shortened for headings.
#pragma once

#include <cstdint>

#include "support/str.h"

namespace zelmo {

// Replaces %NAME% by the environment's values and, with full_path, makes the
// result an absolute path. A text that still holds a "%" after substitution
// comes back unchanged (and not expanded).
Str ESPANSIONE(const Str& text, bool full_path);

// ESPANSIONE with the full-path step.
Str FEXPAND2(const Str& text);

// True when a name pattern can follow path directly: it ends with "\" or,
// where paths have drives, with a drive's ":". Without drives a closing ":"
// is part of a name (a Linux directory may be called "data:").
bool ENDS_LIKE_DIRECTORY(const Str& path);

// The directory with its closing "\"; unchanged when it is empty (the
// current directory) or already ends like a directory.
Str DIRECTORY_PREFIX(Str directory);

// The directory part: through the last "\" (or the drive's ":"); "" for a bare name.
Str PATHOF(const Str& path);

// The name and extension: everything after the last "\" or the drive's ":".
Str NAMEOF(const Str& path);

// The path made absolute, never expanded as %NAME%, with leading directories
// put as "..." until it fits width.
Str TRUNCPATH(const Str& path, uint8_t width);

}  // namespace zelmo
