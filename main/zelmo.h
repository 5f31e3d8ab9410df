// The main routine: start-up, the parameter loop and the run driver.
#pragma once

namespace zelmo {

// Runs the tool on the process's parameters; every way through it ends the
// process with its exit code.
[[noreturn]] void ZELMO();

}  // namespace zelmo
