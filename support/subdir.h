// The subdirectory list file: every directory below a start directory, in
// breadth-first order, as records of 256 bytes.
#pragma once

#include <cstdint>

#include "support/recordfile.h"
#include "support/str.h"

namespace zelmo {

enum : uint8_t { kSubdirDone = 0, kSubdirFileError = 1, kSubdirEscape = 2 };

struct SubdirOutcome {
  int32_t too_long = 0;  // directories left out: their path passes 255 bytes
};

// Writes the list of every directory below directory into list_file, a
// file just created and still empty, which stays open: it is read back
// through the same object, so no one can put other records in its place.
// The records begin with listed_as, the same directory as the report writes
// it (of the same length; the file system is asked for directory). Links to
// directories are listed by no one: the scan never enters them. Esc stops
// the scan. Returns kSubdirDone with the list complete, kSubdirFileError when
// the list file could not be written or read, or kSubdirEscape.
uint8_t SUBDIR(const Str& directory, const Str& listed_as, RecordFile& list_file, SubdirOutcome& outcome);

}  // namespace zelmo
