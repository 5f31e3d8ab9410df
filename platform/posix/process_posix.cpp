// Parameters, platform name and the end of the process on POSIX.
#include "platform/posix/process_posix.h"

#include <sys/utsname.h>

#include <cstdlib>

#include "platform/console.h"
#include "platform/process.h"

namespace zelmo {

static int arg_count = 0;
static char** arg_values = nullptr;

void SET_ARGUMENTS(int argc, char** argv) {
  arg_count = argc;
  arg_values = argv;
}

std::vector<Str> PARAMETERS() {
  std::vector<Str> result;
  for (int i = 1; i < arg_count; ++i) result.emplace_back(arg_values[i]);
  return result;
}

Str OS_PROG() {
  utsname name{};
  uname(&name);
  return UPCASE(Str(name.sysname));
}

int OS_BITS() { return static_cast<int>(sizeof(void*) * 8); }

void EXIT_PROCESS(int code) {
  con_flush();
  con_restore();
  std::exit(code);
}

void SET_INTERRUPT_CLEANUP(const Str&) {}
void INSTALL_INTERRUPT_HANDLERS() {}

}  // namespace zelmo
