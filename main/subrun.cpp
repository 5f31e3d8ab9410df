#include "main/subrun.h"

#include "main/exits.h"
#include "main/passes.h"
#include "main/runstate.h"
#include "main/screen.h"
#include "platform/filesys.h"
#include "platform/process.h"
#include "support/files.h"
#include "support/paths.h"
#include "support/strings.h"
#include "support/subdir.h"

namespace zelmo {

namespace {

bool shows_progress() { return RS.OUTFILE.empty() || RS.VISUALIZZA; }

// The top directory of the scan: the mask's directory part, the shown one
// upper-cased; the current directory when the mask has none.
Twin tree_top() {
  Twin top{UPCASE(PATHOF(RS.NOMEFILE)), PATHOF(RS.NOMEFILE_TYPED)};
  if (!CASE_MATTERS()) top.typed = top.shown;
  if (top.shown.empty()) {
    top.shown = GETDIR(0);
    if (!top.shown.ends_with('\\')) top.shown += '\\';
    top.typed = top.shown;
  }
  return top;
}

// True when no part of a listed directory below the top directory is a link
// or gone now, where the platform's held top does not already make sure of
// it. The tree may have changed since it was listed, and a link put in place
// of a listed directory would lead a change out of the tree; a listing only
// reads, so it is spared the cost of the test.
bool still_in_tree(const Str& directory, int top_length) {
  if (HELD_TREE_SEALED() || !CHANGE_REQUESTED()) return true;
  for (int end = top_length + 1; end <= directory.length(); ++end) {
    if (end < directory.length() && directory.at(end + 1) != '\\') continue;
    uint32_t attr = 0;
    if (GETFATTR(directory.left(end), attr) != 0) return false;
    if ((attr & kReparsePoint) != 0 || (attr & kDirectory) == 0) return false;
  }
  return true;
}

// The list file's directories, each with the pattern, in record order. The
// list file is the one the scan wrote, still open: its records are the
// scan's own.
void run_listed_directories(const Twin& top) {
  SETFATTR(RS.TMPFILES, kArchive);
  Twin pattern = MASK_PATTERN();
  RS.NOMEFILE = pattern.shown;
  RS.NOMEFILE_TYPED = pattern.typed;
  int64_t records = 0;
  if (RS.NF.count(records) != 0) FATAL("fine del file temporaneo non verificabile");
  for (int64_t n = 0; n < records; ++n) {
    if (RS.NF.read(n, RS.PATH) != 0) ERR(6);
    RS.PATH = FREECHAR(Str("\0", 1), RS.PATH);
    // A record names a directory below the top, or none at all.
    if (!RS.PATH.starts_with(top.shown.view()) || RS.PATH.length() == top.shown.length()) continue;
    Str typed = top.typed + RS.PATH.from(top.shown.length() + 1);
    if (!still_in_tree(typed, top.typed.length())) continue;
    if (!ENDS_LIKE_DIRECTORY(RS.PATH)) {
      RS.PATH += '\\';
      typed += '\\';
    }
    RUN_PASS({PATHOF(RS.PATH), PATHOF(typed)}, pattern);
  }
}

}  // namespace

void SUBDIRECTORY_RUN() {
  if (ISDIR(RS.NOMEFILE_TYPED) && !ENDS_LIKE_DIRECTORY(RS.NOMEFILE)) {
    RS.NOMEFILE += '\\';
    RS.NOMEFILE_TYPED += '\\';
  }
  if (ENDS_LIKE_DIRECTORY(RS.NOMEFILE)) {
    RS.NOMEFILE += "*.*";
    RS.NOMEFILE_TYPED += "*.*";
  }
  if (shows_progress()) WRITE(Str("Creazione del file temporaneo in corso ... "));
  Twin top = tree_top();
  RS.CODA = top.shown;
  if (RS.NF.create(RS.TMPFILES) != 0) ERR(6);
  RS.LISTCREATED = true;
  SET_INTERRUPT_CLEANUP(RS.TMPFILES);
  // From here on every directory of the tree is reached from the top found
  // now, whatever is done to the names above it or in it meanwhile.
  HOLD_TOP(top.typed);
  SubdirOutcome outcome;
  uint8_t result = SUBDIR(top.typed, top.shown, RS.NF, outcome);
  if (result == kSubdirFileError) ERR(6);
  if (result == kSubdirEscape) ERR(3);
  if (shows_progress()) WRITELN(Str("fatto."));
  if (outcome.too_long > 0)
    WRITELN(Str("*** Directory non elaborate, percorso oltre 255 caratteri: ") + DIM_PUNTO(outcome.too_long));
  RUN_PASS(MASK_DIRECTORY(), MASK_PATTERN());
  run_listed_directories(top);
  REMOVE_LIST_FILE();
}

void REMOVE_LIST_FILE() {
  if (!RS.LISTCREATED) return;
  RS.NF.close_and_delete(RS.TMPFILES);
  RS.LISTCREATED = false;
  SET_INTERRUPT_CLEANUP(Str());
}

}  // namespace zelmo
