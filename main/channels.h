// The output channels of the report lines, and the pause of /P.
#pragma once

#include "support/str.h"

namespace zelmo {

// Sends a report line to the screen, the output file, both or nowhere, by
// OUTFILE and VISUALIZZA. A failed write to the output file is error 4.
void WRITELN2(const Str& text);

// True when the report lines are thrown away: the output file's name part
// is NUL (also with a directory, as in \TMP\NUL).
bool DISCARDING();

// The heading of a directory's listing.
Str LISTING_HEADING(const Str& directory, const Str& pattern);

// Under /P, once 24 lines are on the page: waits for a key (Esc is error 3)
// and starts the next page with the listing heading.
void PRESSKEY(const Str& directory, const Str& pattern);

}  // namespace zelmo
