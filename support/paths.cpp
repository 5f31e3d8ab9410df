// Interim versions until the full routines land.
#include "support/paths.h"

#include "platform/filesys.h"

namespace zelmo {

Str FEXPAND2(const Str& text) { return FEXPAND(text); }

Str PATHOF(const Str& path) {
  int last = 0;
  for (int i = 1; i <= path.length(); ++i)
    if (path.at(i) == '\\' || path.at(i) == ':') last = i;
  return path.left(last);
}

Str NAMEOF(const Str& path) { return path.from(PATHOF(path).length() + 1); }

Str TRUNCPATH(const Str& path, uint8_t) { return FEXPAND2(path); }

}  // namespace zelmo
