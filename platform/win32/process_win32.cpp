// Parameters, platform name and the end of the process on Win32.
#include "platform/win32/process_win32.h"

#include <atomic>
#include <cstring>

#include "platform/console.h"
#include "platform/process.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/system_win32.h"
#include "support/cmdline.h"

namespace zelmo {

namespace {

// The file an interruption deletes, already in the system's path form. It
// is read by the control handler's thread: armed is cleared while the name
// changes.
char cleanup_name[Str::kMax + 1];
std::atomic<bool> cleanup_armed{false};

// One ending at a time: the control handler and the main thread may both
// try to end the process; the second waits until ExitProcess ends it.
SRWLOCK ending = SRWLOCK_INIT;

void begin_ending() { AcquireSRWLockExclusive(&ending); }

BOOL WINAPI on_control(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      begin_ending();
      INTERRUPT_CLEANUP();
      ExitProcess(kInterruptExitCode);
  }
  return FALSE;
}

}  // namespace

void INTERRUPT_CLEANUP() {
  CLOSE_OPEN_FILES();
  if (cleanup_armed) DeleteFileA(cleanup_name);
  con_restore();
}

std::vector<Str> PARAMETERS() { return CUTPARAMETERS(GetCommandLineA()); }

bool UNIX_COMMAND_LINE() { return false; }

Str OS_PROG() { return Str("WIN"); }

int OS_BITS() { return 32; }

void EXIT_PROCESS(int code) {
  begin_ending();
  con_flush();
  INTERRUPT_CLEANUP();
  ExitProcess(static_cast<UINT>(code));
}

void SET_INTERRUPT_CLEANUP(const Str& path) {
  cleanup_armed = false;
  const Str native = NATIVE_PATH(path);
  std::memcpy(cleanup_name, native.c_str(), native.length() + 1);
  cleanup_armed = !native.empty();
}

void INSTALL_INTERRUPT_HANDLERS() { SetConsoleCtrlHandler(on_control, TRUE); }

}  // namespace zelmo
