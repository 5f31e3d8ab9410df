// What the Win32 backend files share about paths and open files.
#pragma once

#include "support/str.h"

namespace zelmo {

// The path as the system calls take it: every "/" written as "\".
Str NATIVE_PATH(const Str& path);

// Closes every file that FILE_OPEN opened and FILE_CLOSE has not closed yet.
// An open file is held for exclusive use, so the end of the process must
// close it before it can delete it. Safe from the interrupt handler's thread.
void CLOSE_OPEN_FILES();

}  // namespace zelmo
