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

// True when no part of a listed directory below the top directory is a link
// or gone now. The tree may have changed since it was listed, and a link put
// in place of a listed directory would lead a change out of the tree; a
// listing only reads, so it is spared the cost of the test.
bool still_in_tree(const Str& directory) {
  if (!CHANGE_REQUESTED()) return true;
  for (int end = RS.CODA.length() + 1; end <= directory.length(); ++end) {
    if (end < directory.length() && directory.at(end + 1) != '\\') continue;
    uint32_t attr = 0;
    if (GETFATTR(directory.left(end), attr) != 0) return false;
    if ((attr & kReparsePoint) != 0 || (attr & kDirectory) == 0) return false;
  }
  return true;
}

// The list file's directories, each with the pattern, in record order.
void run_listed_directories() {
  SETFATTR(RS.TMPFILES, kArchive);
  if (RS.NF.open(RS.TMPFILES, OpenMode::kReadOnly) != 0) ERR(6);
  RS.NOMEFILE = NAMEOF(RS.NOMEFILE);
  int64_t records = 0;
  if (RS.NF.count(records) != 0) FATAL("fine del file temporaneo non verificabile");
  for (int64_t n = 0; n < records; ++n) {
    if (RS.NF.read(n, RS.PATH) != 0) ERR(6);
    RS.PATH = FREECHAR(Str("\0", 1), RS.PATH);
    if (!still_in_tree(RS.PATH)) continue;
    if (!ENDS_LIKE_DIRECTORY(RS.PATH)) RS.PATH += '\\';
    RUN_PASS(PATHOF(RS.PATH), RS.NOMEFILE);
  }
}

}  // namespace

void SUBDIRECTORY_RUN() {
  if (ISDIR(RS.NOMEFILE) && !ENDS_LIKE_DIRECTORY(RS.NOMEFILE)) RS.NOMEFILE += '\\';
  if (ENDS_LIKE_DIRECTORY(RS.NOMEFILE)) RS.NOMEFILE += "*.*";
  if (shows_progress()) WRITE(Str("Creazione del file temporaneo in corso ... "));
  RS.CODA = UPCASE(PATHOF(RS.NOMEFILE));
  if (RS.CODA.empty()) {
    RS.CODA = GETDIR(0);
    if (!RS.CODA.ends_with('\\')) RS.CODA += '\\';
  }
  SubdirOutcome outcome;
  uint8_t result = SUBDIR(RS.CODA, RS.TMPFILES, outcome);
  RS.LISTCREATED = outcome.created;
  if (result == kSubdirFileError) ERR(6);
  if (result == kSubdirEscape) ERR(3);
  if (shows_progress()) WRITELN(Str("fatto."));
  if (outcome.too_long > 0)
    WRITELN(Str("*** Directory non elaborate, percorso oltre 255 caratteri: ") + DIM_PUNTO(outcome.too_long));
  RUN_PASS(PATHOF(RS.NOMEFILE), NAMEOF(RS.NOMEFILE));
  run_listed_directories();
  REMOVE_LIST_FILE();
}

void REMOVE_LIST_FILE() {
  if (RS.NF.is_open()) RS.NF.close();
  if (!RS.LISTCREATED) return;
  // A pass may have made it read-only, which would keep it from going.
  SETFATTR(RS.TMPFILES, kArchive);
  DELETEFILE(RS.TMPFILES);
  RS.LISTCREATED = false;
  SET_INTERRUPT_CLEANUP(Str());
}

}  // namespace zelmo
