// The subdirectory list file: every directory below a start directory, in
// breadth-first order, as records of 256 bytes.
#pragma once

#include <cstdint>

#include "support/str.h"

namespace zelmo {

constexpr int kRecordSize = 256;

enum : uint8_t { kSubdirDone = 0, kSubdirFileError = 1, kSubdirEscape = 2 };

// Writes the list of every directory below directory into list_file.
uint8_t SUBDIR(const Str& directory, const Str& list_file);

}  // namespace zelmo
