// The run state: the program-wide variables of the main routine. Every
// routine of the engine reads and writes it directly; it lives for the whole
// process.
#pragma once

#include <cstdint>

#include "support/recordfile.h"
#include "support/str.h"
#include "support/textfile.h"

namespace zelmo {

struct RunState {
  uint8_t I = 0;     // number of the parameter being read
  uint8_t RIGA = 0;  // lines on the current screen page (/P)
  Str TMPFILES;      // path of the subdirectory list file
  Str OUTFILE;       // output file as typed, upper-cased; "NUL" discards
  Str TESTA;         // the piece of the parameter being matched
  Str CODA;          // the rest of the parameter; later the top directory
  Str PATH;          // directory read back from the list file
  Str NOMEFILE;      // the file mask; later its name part alone
  // NOMEFILE and OUTFILE in the case the user typed them, completed and cut
  // as they are: what the file system is asked for, so that "abc" finds abc
  // before ABC and a new file takes the case typed. Where the platform finds
  // names whatever their case, the same texts as NOMEFILE and OUTFILE.
  Str NOMEFILE_TYPED;
  Str OUTFILE_TYPED;
  char ACCODA = 0;    // existing output file: A append, C ask, E end, S overwrite
  char ARCHIVIO = 0;  // requests: blank leave, "+" set, "-" clear
  char LETTURA = 0;
  char NASCOSTO = 0;
  char SISTEMA = 0;
  bool IGNORA = false;         // /I: pass over access failures without asking
  bool VISUALIZZA = false;     // /V: report lines on the screen too
  bool SUB = false;            // /S: the directories below as well
  bool YES = false;            // /Y: change without asking
  bool SBS = false;            // /P: pause at each full screen
  int32_t PROCESSATI_DIR = 0;  // entries changed, in this directory and in the run
  int32_t PROCESSATI_TOT = 0;
  int32_t TOTAL_DIR = 0;  // entries found
  int32_t TOTAL_TOT = 0;
  int32_t SKIP_DIR = 0;  // entries that needed no change
  int32_t SKIP_TOT = 0;
  TextFile TESTO;  // the output file
  RecordFile NF;   // the list file while it is read back
  // Whether this run created the list file: only then may it delete it, so a
  // user's file that happens to bear its name is never removed.
  bool LISTCREATED = false;
};

extern RunState RS;

// Gives the run state its start values.
void START_UP();

// True when any attribute change is requested.
bool CHANGE_REQUESTED();

}  // namespace zelmo
