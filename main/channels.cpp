#include "main/channels.h"

#include "main/exits.h"
#include "main/runstate.h"
#include "main/screen.h"
#include "support/paths.h"

namespace zelmo {

namespace {

// The lines of one page: the 24 of a 25-row console, with the pause on the
// row below them; a smaller window holds fewer, so that no line scrolls away
// before it was seen.
uint8_t page_lines() {
  uint8_t rows = SCREEN_HEIGHT();
  return rows > 25 ? 24 : rows > 2 ? rows - 1 : 1;
}

}  // namespace

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
  if (!RS.SBS || RS.RIGA < page_lines()) return;
  WRITE(Str("Premere un tasto per continuare . . ."));
  uint8_t key = READKEY();
  if (key == kEsc) ERR(3);
  if (key == 0) READKEY();
  WRITELN();
  WRITELN2(LISTING_HEADING(directory, pattern));
  RS.RIGA = 1;
}

}  // namespace zelmo
