// The parameter loop: the command line read into the run state.
#pragma once

#include <vector>

#include "support/str.h"

namespace zelmo {

// Reads every parameter, left to right, into the run state. More than 255
// parameters is a fatal stop before any is read; "/?" shows the help screen;
// an unknown piece, a "+" without a name or a second mask is error 1.
void PARAMETER_LOOP(const std::vector<Str>& parameters);

// Whether a parameter that begins with "/" is a path, such as /home/ana/*.txt,
// on a platform whose paths begin so: not when each of its pieces is an
// option (/S/Y), and only when its first part names an existing directory
// (so /Q stays an unknown option).
bool SLASH_PATH(const Str& parameter);

// Acts on one piece of a parameter; "/?", and --help where the command line
// takes Unix habits, show the help screen.
void MATCH_PIECE(const Str& piece);

}  // namespace zelmo
