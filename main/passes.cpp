#include "main/passes.h"

#include "main/runstate.h"

namespace zelmo {

bool SEARCHABLE(const Str& directory, const Str& pattern) {
  return directory.length() + pattern.length() <= Str::kMax;
}

void RUN_PASS(const Str& directory, const Str& pattern) {
  if (CHANGE_REQUESTED())
    IMPOSTAATTRIBUTI(directory, pattern);
  else
    LISTA(directory, pattern);
}

}  // namespace zelmo
