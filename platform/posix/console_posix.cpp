// The terminal as the console: text to /dev/tty, so that it reaches the
// screen when standard output is redirected, and keys from it. Without a
// controlling terminal (cron, CI, pipes) the console is standard output and
// standard input, and no question can wait for ever: end of input is Esc.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/console.h"
#include "platform/posix/keys_posix.h"
#include "platform/posix/screen_text_posix.h"
#include "platform/posix/terminal_posix.h"

namespace zelmo {

namespace {

// How long the bytes of one key may take to arrive: an Esc with nothing after
// it for this long is the Esc key, not the start of a sequence.
constexpr int kKeyTimeoutMs = 40;
// Output is sent when this much is buffered, and before any wait.
constexpr size_t kFlushSize = 4096;

int terminal = -1;  // the controlling terminal, or -1 without one
int out_fd = STDOUT_FILENO;
bool output_failed = false;  // a write failed; every later one reports it
bool input_ended = false;
ScreenCursor cursor;
std::string output;

// Bytes read from the terminal but not yet a whole key, and when the last of
// them came.
uint8_t input[64];
size_t input_size = 0;
int64_t input_time_ms = 0;

// Codes of a decoded key not yet handed out.
uint8_t codes[2];
size_t code_count = 0;
size_t code_next = 0;

int64_t now_ms() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

bool writable(int fd) {
  int flags = fcntl(fd, F_GETFL);
  return flags != -1 && (flags & O_ACCMODE) != O_RDONLY;
}

// Set by SIGWINCH: the window was resized since its size was last read.
volatile sig_atomic_t resized = 0;

void on_resize(int) { resized = 1; }

void read_screen_size() {
  winsize size{};
  if (ioctl(terminal, TIOCGWINSZ, &size) != 0) return;
  RESIZE_SCREEN(cursor, size.ws_col > 0 ? size.ws_col : cursor.width,
                size.ws_row > 0 ? size.ws_row : cursor.height, output);
}

// Reads the size again after a resize, before anything depends on it: where
// text wraps, the column-60 question, the moves of the cursor.
void follow_resize() {
  if (!resized) return;
  resized = 0;
  read_screen_size();
}

// Resizes are noted as they come; a wait for a key goes on through them.
void watch_resizes() {
  struct sigaction action {};
  action.sa_handler = on_resize;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGWINCH, &action, nullptr);
}

// Reads what the terminal has, waiting up to timeout_ms (-1: for ever).
// False when nothing came in time; at the end of input (hang-up) also
// input_ended.
bool read_input(int timeout_ms) {
  if (input_size == sizeof input) return false;  // the decoder takes bytes first
  pollfd ready{terminal, POLLIN, 0};
  int found = poll(&ready, 1, timeout_ms);
  if (found < 0 && errno != EINTR) input_ended = true;
  if (found <= 0) return false;
  ssize_t got = read(terminal, input + input_size, sizeof input - input_size);
  if (got <= 0) {
    if (got == 0 || (errno != EINTR && errno != EAGAIN)) input_ended = true;
    return false;
  }
  input_size += static_cast<size_t>(got);
  input_time_ms = now_ms();
  return true;
}

// Decodes the waiting bytes up to the first key; complete when no more bytes
// of it can come. True when a key's codes are ready.
bool decode_input(bool complete) {
  while (input_size > 0) {
    KeyScan scan = SCAN_KEY(input, input_size, complete);
    if (scan.used == 0) return false;
    input_size -= scan.used;
    std::memmove(input, input + scan.used, input_size);
    if (scan.count > 0) {
      std::copy(scan.codes, scan.codes + scan.count, codes);
      code_count = scan.count;
      code_next = 0;
      return true;
    }
  }
  return false;
}

bool key_ready() { return code_next < code_count; }

uint8_t next_code() { return codes[code_next++]; }

// Without a terminal: the next byte of standard input, Esc at its end.
uint8_t read_plain_key() {
  while (!input_ended) {
    unsigned char c;
    ssize_t got = read(STDIN_FILENO, &c, 1);
    if (got == 1) return c;
    if (got == 0 || errno != EINTR) input_ended = true;
  }
  return 27;
}

}  // namespace

ConsoleStart con_start() {
  int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd >= 0 && TERMINAL_ATTACH(fd)) {
    terminal = fd;
    out_fd = fd;
    watch_resizes();
    read_screen_size();
    return ConsoleStart::kOk;
  }
  if (fd >= 0) close(fd);
  // A pipe or a file has no width: lines are never broken there.
  cursor.edge = false;
  return writable(STDOUT_FILENO) ? ConsoleStart::kOk : ConsoleStart::kNoHandle;
}

bool con_write(const char* bytes, size_t count) {
  follow_resize();
  SHOW_TEXT(cursor, bytes, count, output);
  if (output.size() >= kFlushSize) return con_flush();
  return !output_failed;
}

bool con_flush() {
  size_t sent = 0;
  while (sent < output.size() && !output_failed) {
    ssize_t done = write(out_fd, output.data() + sent, output.size() - sent);
    if (done > 0) {
      sent += static_cast<size_t>(done);
    } else if (done == 0 || errno != EINTR) {
      output_failed = true;
    }
  }
  output.clear();
  return !output_failed;
}

uint8_t con_readkey() {
  con_flush();
  if (key_ready()) return next_code();
  if (terminal < 0) return read_plain_key();
  TERMINAL_RAW(true);
  while (!input_ended) {
    if (decode_input(false)) return next_code();
    if (input_size == 0) {
      read_input(-1);
      continue;
    }
    // Part of a key is here: the rest has until the time-out to come.
    int left = static_cast<int>(input_time_ms + kKeyTimeoutMs - now_ms());
    if (left > 0 && read_input(left)) continue;
    if (decode_input(true)) return next_code();
  }
  return 27;
}

bool con_keypressed() {
  if (key_ready()) return true;
  if (terminal < 0 || input_ended || !TERMINAL_RAW(false)) return false;
  read_input(0);
  if (decode_input(false)) return true;
  // A lone Esc or the start of a sequence is a key only once its time is up.
  return input_size > 0 && now_ms() - input_time_ms >= kKeyTimeoutMs && decode_input(true);
}

bool con_input_ended() { return input_ended; }

// A column beyond 255 (a wider terminal, or a long line without one) is
// given as 255: still not column 1, and beyond every column asked for.
uint8_t con_wherex() {
  follow_resize();
  return static_cast<uint8_t>(std::min(cursor.x, 255));
}

uint8_t con_wherey() {
  follow_resize();
  return static_cast<uint8_t>(cursor.y);
}

void con_gotoxy(uint8_t x, uint8_t y) {
  follow_resize();
  if (terminal >= 0) {
    MOVE_CURSOR(cursor, x, y, output);
    return;
  }
  // A pipe or a file cannot move a cursor: blanks carry a move to the right
  // on the same row, so the text keeps its layout; other moves are dropped.
  if (y == cursor.y && x > cursor.x) {
    std::string blanks(static_cast<size_t>(x - cursor.x), ' ');
    SHOW_TEXT(cursor, blanks.data(), blanks.size(), output);
  }
}

void con_restore() { TERMINAL_RESTORE(); }

}  // namespace zelmo
