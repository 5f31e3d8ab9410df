#include "main/channels.h"

#include "main/exits.h"
#include "main/runstate.h"
#include "main/screen.h"
#include "support/paths.h"

namespace zelmo {

bool DISCARDING() { return !RS.OUTFILE.empty() && NAMEOF(RS.OUTFILE) == "NUL"; }

void WRITELN2(const Str& text) {
  if (RS.OUTFILE.empty()) {
    WRITELN(text);
    return;
  }
  if (DISCARDING()) return;
  if (RS.VISUALIZZA) WRITELN(text);
  if (RS.TESTO.write_line(text) != 0) ERR(4);
}

Str LISTING_HEADING(const Str& directory, const Str& pattern) {
  return Str("Attributi  ---  Nomi dei files (") + TRUNCPATH(directory + pattern, 40) + ")";
}

void PRESSKEY(const Str& directory, const Str& pattern) {
  if (RS.RIGA < 24 || !RS.SBS) return;
  WRITE(Str("Premere un tasto per continuare . . ."));
  uint8_t key = READKEY();
  if (key == kEsc) ERR(3);
  if (key == 0) READKEY();
  WRITELN();
  WRITELN2(LISTING_HEADING(directory, pattern));
  RS.RIGA = 1;
}

}  // namespace zelmo
