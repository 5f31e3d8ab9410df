// Program entry on POSIX: the console starts before the main routine runs.
#include <cstdio>

#include "main/zelmo.h"
#include "platform/console.h"
#include "platform/posix/process_posix.h"

int main(int argc, char** argv) {
  zelmo::SET_ARGUMENTS(argc, argv);
  switch (zelmo::con_start()) {
    case zelmo::ConsoleStart::kNoHandle:
      std::fputs("No way to get the console handle\n", stderr);
      return 1;
    case zelmo::ConsoleStart::kNoBufferInfo:
      std::fputs("No way to get console screen buffer info\n", stderr);
      return 1;
    case zelmo::ConsoleStart::kOk:
      break;
  }
  zelmo::ZELMO();
}
