// The ways the run ends: reported errors, the help screen, the fatal stop.
#pragma once

#include <cstdint>

namespace zelmo {

enum ExitCode : int {
  kExitDone = 0,     // a completed run
  kExitError = 1,    // a reported error or the help screen
  kExitFatal = 217,  // a failure the tool does not handle
};

// Writes the message of the error code on the console, closes the output
// file, closes and deletes this run's list file, and ends with exit code 1.
[[noreturn]] void ERR(uint8_t code);

// Shows the help screen and ends with exit code 1.
[[noreturn]] void HELP();

// The general fatal stop: one diagnostic line naming the failure on standard
// output, exit code 217.
[[noreturn]] void FATAL(const char* failure);

// Adds 1 to a counter; going past the signed 32-bit range is a fatal stop.
void INC(int32_t& counter);

}  // namespace zelmo
