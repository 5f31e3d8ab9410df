// The run driver: from the settled command line to the end of the run.
#pragma once

namespace zelmo {

// Settles the output file, completes the mask, runs the passes on one
// directory or a tree, writes the totals and ends the process.
[[noreturn]] void RUN_DRIVER();

// Completes the file mask and makes it a full path; only a mask the user
// typed is expanded as %NAME%.
void COMPLETE_MASK();

}  // namespace zelmo
