// Interim versions until the full routines land.
#include "support/strings.h"

#include <string>

namespace zelmo {

void TESTA_CODA(Str text, Str separators, Str& head, Str& tail) {
  head = Str();
  tail = Str();
  int p = 0;
  for (int i = 1; i <= text.length() && p == 0; ++i)
    if (separators.contains(text.at(i)) && i > 1) p = i;
  if (text.length() < 2 || separators.empty() || p == 0) {
    head = text;
    return;
  }
  head = text.left(p - 1);
  tail = text.from(p);
}

Str DIM_PUNTO(int64_t number) {
  std::string digits = std::to_string(number);
  return Str(digits.c_str());
}

Str FREECHAR(const Str& remove, const Str& text) {
  Str result;
  for (int i = 1; i <= text.length(); ++i)
    if (!remove.contains(text.at(i))) result += text.at(i);
  return result;
}

}  // namespace zelmo
