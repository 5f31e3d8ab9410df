#include "main/passes.h"

#include "main/runstate.h"
#include "support/paths.h"

namespace zelmo {

Twin DIRECTORY_PREFIX(const Twin& directory) {
  return {DIRECTORY_PREFIX(directory.shown), DIRECTORY_PREFIX(directory.typed)};
}

Twin MASK_DIRECTORY() { return {PATHOF(RS.NOMEFILE), PATHOF(RS.NOMEFILE_TYPED)}; }

Twin MASK_PATTERN() { return {NAMEOF(RS.NOMEFILE), NAMEOF(RS.NOMEFILE_TYPED)}; }

bool SEARCHABLE(const Str& directory, const Str& pattern) {
  return directory.length() + pattern.length() <= Str::kMax;
}

void RUN_PASS(const Twin& directory, const Twin& pattern) {
  if (CHANGE_REQUESTED())
    IMPOSTAATTRIBUTI(directory, pattern);
  else
    LISTA(directory, pattern);
}

}  // namespace zelmo
