// Parameters, platform name and the end of the process on POSIX.
#include "platform/posix/process_posix.h"

#include <signal.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/console.h"
#include "platform/posix/resolve_posix.h"
#include "platform/posix/terminal_posix.h"
#include "platform/process.h"

namespace zelmo {

namespace {

int arg_count = 0;
char** arg_values = nullptr;

// The file an interruption deletes, kept where a signal handler can read it:
// the flag is cleared while the name changes.
char cleanup_path[4096];
volatile sig_atomic_t cleanup_set = 0;

void remove_cleanup_file() {
  if (cleanup_set) unlink(cleanup_path);
}

void set_action(int signal_number, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signal_number, &action, nullptr);
}

// Lets the signal do what it does by default (end or stop the process) now.
void take_default_action(int signal_number) {
  set_action(signal_number, SIG_DFL);
  sigset_t just_this;
  sigemptyset(&just_this);
  sigaddset(&just_this, signal_number);
  sigprocmask(SIG_UNBLOCK, &just_this, nullptr);
  raise(signal_number);
}

// Ctrl+C, Ctrl+\, a closed terminal, kill: the terminal as found, no list
// file left behind, and the end that the signal gives, so that the parent
// sees how the process ended.
void on_interrupt(int signal_number) {
  TERMINAL_RESTORE();
  remove_cleanup_file();
  take_default_action(signal_number);
}

// Ctrl+Z: the shell gets the terminal as found while the process stands.
void on_stop(int signal_number) {
  int saved_errno = errno;
  TERMINAL_SUSPEND();
  take_default_action(signal_number);
  set_action(signal_number, on_stop);
  errno = saved_errno;
}

// fg, bg: raw input again if it was on, once in the foreground.
void on_continue(int) {
  int saved_errno = errno;
  TERMINAL_RESUME();
  errno = saved_errno;
}

// A signal that was ignored when the process started stays ignored (nohup,
// a background job of a script).
void handle_unless_ignored(int signal_number, void (*handler)(int)) {
  struct sigaction old {};
  if (sigaction(signal_number, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) return;
  set_action(signal_number, handler);
}

}  // namespace

void SET_ARGUMENTS(int argc, char** argv) {
  arg_count = argc;
  arg_values = argv;
}

std::vector<Str> PARAMETERS() {
  std::vector<Str> result;
  for (int i = 1; i < arg_count; ++i) result.emplace_back(arg_values[i]);
  return result;
}

bool UNIX_COMMAND_LINE() { return true; }

Str OS_PROG() {
  utsname name{};
  uname(&name);
  return UPCASE(Str(name.sysname));
}

int OS_BITS() { return static_cast<int>(sizeof(void*) * 8); }

void EXIT_PROCESS(int code) {
  con_flush();
  con_restore();
  remove_cleanup_file();
  std::exit(code);
}

void SET_INTERRUPT_CLEANUP(const Str& path) {
  cleanup_set = 0;
  if (path.empty()) return;
  // Found now, outside the handler: the name on disk may differ in case from
  // the one the tool was given.
  posix::OpenDir dir;
  std::string name;
  if (posix::LOCATE(path, dir, name) != 0) return;
  std::string native = dir.path() + "/" + name;
  if (native.size() >= sizeof cleanup_path) return;
  std::memcpy(cleanup_path, native.c_str(), native.size() + 1);
  cleanup_set = 1;
}

void INSTALL_INTERRUPT_HANDLERS() {
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
    handle_unless_ignored(signal_number, on_interrupt);
  handle_unless_ignored(SIGTSTP, on_stop);
  handle_unless_ignored(SIGCONT, on_continue);
  // A write to a closed pipe fails with EPIPE and is reported as a failed
  // console write instead of ending the process unseen.
  set_action(SIGPIPE, SIG_IGN);
}

}  // namespace zelmo
