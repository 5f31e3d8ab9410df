#include "main/runstate.h"

#include "support/tmpfile.h"

namespace zelmo {

RunState RS;

void START_UP() {
  RS.PROCESSATI_TOT = 0;
  RS.TOTAL_TOT = 0;
  RS.SKIP_TOT = 0;
  RS.RIGA = 0;
  RS.TMPFILES = TMPFILE("ZELMO___.TMP");
  RS.ACCODA = 'C';
  RS.IGNORA = false;
  RS.VISUALIZZA = false;
  RS.SUB = false;
  RS.YES = false;
  RS.SBS = false;
  RS.NOMEFILE = Str();
  RS.NOMEFILE_TYPED = Str();
  RS.ARCHIVIO = ' ';
  RS.LETTURA = ' ';
  RS.NASCOSTO = ' ';
  RS.SISTEMA = ' ';
  RS.OUTFILE = Str();
  RS.OUTFILE_TYPED = Str();
}

bool CHANGE_REQUESTED() {
  Str requests;
  requests += RS.ARCHIVIO;
  requests += RS.LETTURA;
  requests += RS.NASCOSTO;
  requests += RS.SISTEMA;
  return !(requests == "    ");
}

}  // namespace zelmo
