#include "main/outfile.h"

#include "main/channels.h"
#include "main/exits.h"
#include "main/runstate.h"
#include "main/screen.h"
#include "support/names.h"

namespace zelmo {

namespace {

// The question for an existing output file. Letters in either case; a key
// without a character counts by its extended code (Delete is S, F7 is A).
char ask_about_existing_file() {
  FRESHLINE();
  WRITELN();
  WRITELN(Str("Il file di output esiste già"));
  WRITE(Str("Sovrascrivi, Accoda, Esci ?  [S,A,E] "));
  for (;;) {
    uint8_t key = static_cast<uint8_t>(UPCASE(static_cast<char>(READKEY())));
    if (key == 0) key = READKEY();
    RS.ACCODA = static_cast<char>(key);
    if (key == kEsc || key == 'A' || key == 'E' || key == 'S') break;
  }
  WRITE(Str(RS.ACCODA));
  WRITELN();
  return RS.ACCODA;
}

}  // namespace

void OUTPUT_FILE_POLICY() {
  if (CHANGE_REQUESTED() && !(RS.YES && RS.IGNORA)) RS.OUTFILE = Str();
  if (RS.OUTFILE.empty()) return;
  RS.SBS = false;
  if (DISCARDING()) return;
  if (NAMERESERVED(RS.OUTFILE)) ERR(8);
  // Whether a file of exactly that name exists is asked of the open itself:
  // a missing file is created at once, and an existing one is held, as it
  // is, while the policy decides, so that nothing can take its place
  // between the test and the writing. A failed open is not reported here:
  // the first report line meets a closed file and ends the run with error 4.
  bool existed = false;
  RS.TESTO.open(RS.OUTFILE_TYPED, existed);
  if (!existed) return;
  char policy = RS.ACCODA;
  if (policy == 'E') ERR(7);
  if (policy == 'C') policy = ask_about_existing_file();
  if (policy != 'A' && policy != 'S') ERR(3);  // E or Esc at the question
  int failed = policy == 'A' ? RS.TESTO.seek_end() : RS.TESTO.truncate();
  if (failed != 0) RS.TESTO.close();
}

}  // namespace zelmo
