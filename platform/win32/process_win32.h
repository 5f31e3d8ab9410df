// What the Win32 end of the process does besides ending it, open for tests.
#pragma once

#include "platform/win32/system_win32.h"

namespace zelmo {

// The exit code after Ctrl+C, Ctrl+Break or a closed console window: the
// one the system itself gives a console program ended by Ctrl+C.
constexpr UINT kInterruptExitCode = STATUS_CONTROL_C_EXIT;

// Closes the open files, deletes the file registered with
// SET_INTERRUPT_CLEANUP and gives the console back. Does not end the process.
void INTERRUPT_CLEANUP();

}  // namespace zelmo
