#include "main/driver.h"

#include "main/channels.h"
#include "main/exits.h"
#include "main/outfile.h"
#include "main/passes.h"
#include "main/runstate.h"
#include "main/screen.h"
#include "main/subrun.h"
#include "platform/filesys.h"
#include "platform/process.h"
#include "support/paths.h"
#include "support/strings.h"

namespace zelmo {

namespace {

// The grand totals of a tree run: the listing's through the report
// channels, the change run's on the console alone.
void write_grand_total() {
  if (!CHANGE_REQUESTED()) {
    WRITELN2(Str("File trovati complessivamente: ") + DIM_PUNTO(RS.TOTAL_TOT));
    return;
  }
  int64_t refused = int64_t{RS.TOTAL_TOT} - RS.PROCESSATI_TOT - RS.SKIP_TOT;
  if (refused < INT32_MIN || refused > INT32_MAX) FATAL("contatore oltre il limite");
  WRITELN(Str("*** File processati complessivamente: ") + DIM_PUNTO(RS.PROCESSATI_TOT) + " su " +
          DIM_PUNTO(RS.TOTAL_TOT) + " ,saltati " + DIM_PUNTO(RS.SKIP_TOT) + "  ,accessi negati " +
          DIM_PUNTO(refused));
}

// The closing line, then the output file is closed. Lines still buffered
// are written here: a failure is error 4, never a silent loss.
void close_output_file() {
  if (RS.OUTFILE.empty()) return;
  WRITELN2(Str("--------------------FINE--------------------\r\n"));
  if (RS.TESTO.is_open() && RS.TESTO.flush() != 0) ERR(4);
  RS.TESTO.close();
}

}  // namespace

void COMPLETE_MASK() {
  if (RS.NOMEFILE.empty() && RS.SUB) {
    // The current directory is a name from the disk: only the text the user
    // typed is expanded as %NAME%.
    Str here = GETDIR(0);
    RS.NOMEFILE = FEXPAND(here + (ENDS_LIKE_DIRECTORY(here) ? "*.*" : "\\*.*"));
    return;
  }
  if (RS.NOMEFILE.empty()) RS.NOMEFILE = "*.*";
  if (ENDS_LIKE_DIRECTORY(RS.NOMEFILE)) RS.NOMEFILE += "*.*";
  RS.NOMEFILE = FEXPAND2(RS.NOMEFILE);
}

void RUN_DRIVER() {
  OUTPUT_FILE_POLICY();
  COMPLETE_MASK();
  if (RS.SUB)
    SUBDIRECTORY_RUN();
  else
    RUN_PASS(PATHOF(RS.NOMEFILE), NAMEOF(RS.NOMEFILE));
  if (RS.TOTAL_TOT == 0) ERR(2);
  if (RS.SUB) write_grand_total();
  close_output_file();
  EXIT_PROCESS(kExitDone);
}

}  // namespace zelmo
