// The two passes over one directory.
#pragma once

#include <cstdint>

#include "support/str.h"

namespace zelmo {

// The attribute mask of the passes' searches: every entry but volume labels
// (Hidden, System, Directory, Archive and 64).
constexpr uint32_t kEveryEntry = 118;

// Lists the attributes of every entry of directory that matches pattern.
void LISTA(Str directory, const Str& pattern);

// Sets and clears the requested attributes on every matching entry, asking
// unless /Y, and asking what to do with a failure unless /I.
void IMPOSTAATTRIBUTI(Str directory, const Str& pattern);

// The pass of the run kind: the change pass when a change is requested.
void RUN_PASS(const Str& directory, const Str& pattern);

// Whether the search mask of a directory and a pattern fits in a string: a
// cut mask would search another directory or another pattern, so a pass
// finds nothing where it does not fit.
bool SEARCHABLE(const Str& directory, const Str& pattern);

}  // namespace zelmo
