#include "main/attrfield.h"
#include "main/channels.h"
#include "main/exits.h"
#include "main/passes.h"
#include "main/runstate.h"
#include "main/screen.h"
#include "platform/filesys.h"
#include "support/strings.h"

namespace zelmo {

namespace {

// Every entry but volume labels: Hidden, System, Directory, Archive and 64.
constexpr uint32_t kEveryEntry = 118;

bool is_dot_entry(const Str& name) { return name == "." || name == ".."; }

}  // namespace

Str DIRECTORY_PREFIX(Str directory) {
  if (!directory.empty() && directory.last() != ':' && directory.last() != '\\') directory += '\\';
  return directory;
}

bool SEARCHABLE(const Str& directory, const Str& pattern) {
  return directory.length() + pattern.length() <= Str::kMax;
}

void RUN_PASS(const Str& directory, const Str& pattern) {
  if (CHANGE_REQUESTED())
    IMPOSTAATTRIBUTI(directory, pattern);
  else
    LISTA(directory, pattern);
}

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
