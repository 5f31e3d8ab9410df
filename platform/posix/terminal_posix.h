// The terminal's modes: key input without echo and line editing while the
// console waits for or polls keys, and the modes as found on every way out.
// Every routine here is async-signal-safe except TERMINAL_ATTACH.
#pragma once

namespace zelmo {

// Takes fd as the terminal and keeps its modes as found. Returns false when
// fd is no terminal.
bool TERMINAL_ATTACH(int fd);

// Sets raw input (no echo, no line editing; Ctrl+C still interrupts) unless
// it is on. With may_stop false, a process in the background leaves the
// modes alone and gets false, since touching them would stop it; with true
// the system stops it until it is in the foreground. True when raw input is on.
bool TERMINAL_RAW(bool may_stop);

// Gives the terminal the modes it was found with, when raw input is on.
void TERMINAL_RESTORE();

// Before the process stops (Ctrl+Z): gives the modes back and remembers
// whether raw input was on.
void TERMINAL_SUSPEND();

// After it goes on: raw input again if it was on before the stop, once the
// process is in the foreground.
void TERMINAL_RESUME();

}  // namespace zelmo
