#include "main/attrfield.h"
#include "main/channels.h"
#include "main/exits.h"
#include "main/passes.h"
#include "main/runstate.h"
#include "main/screen.h"
#include "platform/filesys.h"
#include "support/paths.h"
#include "support/strings.h"

namespace zelmo {

namespace {

bool is_dot_entry(const Str& name) { return name == "." || name == ".."; }

}  // namespace

void LISTA(Str directory, const Str& pattern) {
  RS.TOTAL_DIR = 0;
  directory = DIRECTORY_PREFIX(directory);
  PRESSKEY(directory, pattern);
  SearchRec entry;
  int found =
      SEARCHABLE(directory, pattern) ? FINDFIRST(directory + pattern, kEveryEntry, entry) : kNoMoreFiles;
  while (found == 0) {
    if (!is_dot_entry(entry.name)) {
      if (RS.SBS) ++RS.RIGA;
      INC(RS.TOTAL_TOT);
      INC(RS.TOTAL_DIR);
      if (ESCPRESSED()) ERR(3);
      if (RS.TOTAL_DIR == 1) {
        WRITELN2(LISTING_HEADING(directory, pattern));
        if (RS.SBS) ++RS.RIGA;
      }
      WRITELN2(ATTRIBUTI(static_cast<uint8_t>(entry.attr)) + "    " + entry.name);
    }
    found = FINDNEXT(entry);
    PRESSKEY(directory, pattern);
  }
  FINDCLOSE(entry);
  if (RS.TOTAL_DIR != 0) {
    WRITELN2(Str("*** File trovati: ") + DIM_PUNTO(RS.TOTAL_DIR));
    if (RS.SBS) ++RS.RIGA;
    PRESSKEY(directory, pattern);
  }
}

}  // namespace zelmo
