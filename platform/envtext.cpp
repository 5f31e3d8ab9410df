#include "platform/envtext.h"

namespace zelmo {

bool ENV_ENTRY_IS(const char* entry, const Str& name, Str& value) {
  if (name.empty()) return false;
  Str text(entry);  // keeps the first 255 bytes
  int equals = text.pos('=');
  if (equals == 0 || UPCASE(text.left(equals - 1)) != UPCASE(name)) return false;
  value = text.from(equals + 1);
  return true;
}

}  // namespace zelmo
