// The output-file policy: whether the named output file is used, and how
// it is opened when it exists already.
#pragma once

namespace zelmo {

// Settles OUTFILE and opens TESTO. A change run keeps an output file only
// with both /Y and /I; a reserved device name is error 8; NUL opens nothing.
void OUTPUT_FILE_POLICY();

}  // namespace zelmo
