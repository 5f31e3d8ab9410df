// The two passes over one directory.
#pragma once

#include <cstdint>

#include "support/str.h"

namespace zelmo {

// The attribute mask of the passes' searches: every entry but volume labels
// (Hidden, System, Directory, Archive and 64).
constexpr uint32_t kEveryEntry = 118;

// A directory or pattern of the run in its two spellings, of one length:
// shown, as the report writes it (the parameters upper-cased), and typed,
// as the file system is asked for it (RS.NOMEFILE_TYPED).
struct Twin {
  Str shown;
  Str typed;
};

// Lists the attributes of every entry of directory that matches pattern.
void LISTA(Twin directory, const Twin& pattern);

// Sets and clears the requested attributes on every matching entry, asking
// unless /Y, and asking what to do with a failure unless /I.
void IMPOSTAATTRIBUTI(Twin directory, const Twin& pattern);

// The pass of the run kind: the change pass when a change is requested.
void RUN_PASS(const Twin& directory, const Twin& pattern);

// The directory part and the name part of the mask (RS.NOMEFILE).
Twin MASK_DIRECTORY();
Twin MASK_PATTERN();

// DIRECTORY_PREFIX of both spellings.
Twin DIRECTORY_PREFIX(const Twin& directory);

// Whether the search mask of a directory and a pattern fits in a string: a
// cut mask would search another directory or another pattern, so a pass
// finds nothing where it does not fit.
bool SEARCHABLE(const Str& directory, const Str& pattern);

}  // namespace zelmo
