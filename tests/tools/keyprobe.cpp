// Test tool: shows the code of every key the console layer reads, so the
// end-to-end tests can check key translation on a real terminal and under
// Wine. "q" ends it, unless it is the second code of a key without a
// character (Alt+F10 gives 0 and 113, which is "q").
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
  for (uint8_t previous = 1;;) {
    uint8_t key = zelmo::con_readkey();
    char line[64];
    std::snprintf(line, sizeof line, "key %d x=%d\r\n", key, zelmo::con_wherex());
    say(line);
    if (key == 'q' && previous != 0) break;
    previous = key;
  }
  zelmo::con_flush();
  zelmo::con_restore();
  return 0;
}
