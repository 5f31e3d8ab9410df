// Existence and directory tests, and creation of a directory path.
#pragma once

#include <cstdint>

#include "support/str.h"

namespace zelmo {

// The size of the file (low 32 bits, signed), or -1 when no file of that name
// is found. Directories are not files. A name ending with "." or holding a
// wildcard is never found.
int32_t EXIST(const Str& name);

// Whether a file of that name exists, whatever its size: unlike EXIST, a file
// whose size reads as -1 still counts.
bool FILEEXISTS(const Str& name);

// True when the name is an existing directory.
bool ISDIR(const Str& name);

// Creates the directory path part by part. 0: at least one directory was
// made; above 0: the VALIDNAME code; -1 drive, -2 "..", -3 a part could be
// neither entered nor made, -4 nothing was made. The current directory is
// the same afterwards.
int16_t NEWDIR(const Str& path);

}  // namespace zelmo
