// The terminal's modes, kept so that a signal handler can give them back.
#include "platform/posix/terminal_posix.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

namespace zelmo {

namespace {

int terminal = -1;
termios found{};  // written once, before raw input can be on
termios raw{};
volatile sig_atomic_t raw_on = 0;
volatile sig_atomic_t raw_before_stop = 0;

bool in_foreground() { return tcgetpgrp(terminal) == getpgrp(); }

}  // namespace

bool TERMINAL_ATTACH(int fd) {
  if (tcgetattr(fd, &found) != 0) return false;
  terminal = fd;
  raw = found;
  // Enter arrives as CR and Backspace as its own byte; Ctrl+S and Ctrl+Q are
  // keys as on the PC keyboard, not flow control. Output is left as it is,
  // so LF still goes to column 1.
  raw.c_iflag &= ~(ICRNL | INLCR | IGNCR | ISTRIP | IXON);
  raw.c_lflag &= ~(ICANON | ECHO | IEXTEN);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  return true;
}

bool TERMINAL_RAW(bool may_stop) {
  if (raw_on) return true;
  if (terminal < 0 || (!may_stop && !in_foreground())) return false;
  // The flag goes first: a signal that comes during the call restores.
  raw_on = 1;
  if (tcsetattr(terminal, TCSANOW, &raw) != 0) raw_on = 0;
  return raw_on;
}

void TERMINAL_RESTORE() {
  if (!raw_on) return;
  raw_on = 0;
  tcsetattr(terminal, TCSANOW, &found);
}

void TERMINAL_SUSPEND() {
  raw_before_stop = raw_on;
  TERMINAL_RESTORE();
}

void TERMINAL_RESUME() {
  // Continued in the background (bg): the modes stay as they are until the
  // process is continued in the foreground.
  if (!raw_before_stop || !in_foreground()) return;
  raw_before_stop = 0;
  TERMINAL_RAW(false);
}

}  // namespace zelmo
