// The parameter loop: the command line read into the run state.
#pragma once

#include <vector>

#include "support/str.h"

namespace zelmo {

// Reads every parameter, left to right, into the run state. More than 255
// parameters is a fatal stop before any is read; "/?" shows the help screen;
// an unknown piece, a "+" without a name or a second mask is error 1.
void PARAMETER_LOOP(const std::vector<Str>& parameters);

// Acts on one piece of a parameter, upper-cased; typed is the same piece as
// it is to reach the file system (NOMEFILE_TYPED, OUTFILE_TYPED).
void MATCH_PIECE(const Str& piece, const Str& typed);

}  // namespace zelmo
