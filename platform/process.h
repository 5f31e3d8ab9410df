// The process: its parameters, its platform's name, and its end.
#pragma once

#include <vector>

#include "support/str.h"

namespace zelmo {

// The parameters after the program name, each cut to 255 bytes. Their number
// is not limited here: the caller refuses more than 255.
std::vector<Str> PARAMETERS();

// Whether the command line also takes the habits of the system's own tools:
// a parameter such as /home/ana/*.txt may be a path, and --help asks for the
// help screen. False where a "/" always begins an option.
bool UNIX_COMMAND_LINE();

// The platform word and word size of the help screen's second line.
Str OS_PROG();
int OS_BITS();

// Ends the process with the exit code: flushes the console, gives the
// terminal back and removes the interrupt cleanup file if one is registered.
[[noreturn]] void EXIT_PROCESS(int code);

// The file that an interruption (Ctrl+C, a closed terminal) must delete
// before the process ends; an empty name registers none.
void SET_INTERRUPT_CLEANUP(const Str& path);

// Installs the handlers for interruptions. Called once at start-up.
void INSTALL_INTERRUPT_HANDLERS();

}  // namespace zelmo
