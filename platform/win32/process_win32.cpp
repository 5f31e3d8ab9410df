// Parameters, platform name and the end of the process on Win32.
#include <windows.h>

#include "platform/console.h"
#include "platform/process.h"

namespace zelmo {

std::vector<Str> PARAMETERS() { return {}; }

Str OS_PROG() { return Str("WIN"); }

int OS_BITS() { return 32; }

void EXIT_PROCESS(int code) {
  con_flush();
  con_restore();
  ExitProcess(static_cast<UINT>(code));
}

void SET_INTERRUPT_CLEANUP(const Str&) {}
void INSTALL_INTERRUPT_HANDLERS() {}

}  // namespace zelmo
