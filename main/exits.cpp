#include "main/exits.h"

#include <cstdio>

#include "main/runstate.h"
#include "main/screen.h"
#include "main/subrun.h"
#include "platform/console.h"
#include "platform/process.h"
#include "support/strings.h"

namespace zelmo {

namespace {

const char* const kMessages[] = {
    nullptr,
    "Troppi parametri o parametro sconosciuto: ",
    "Files non trovati",
    "Operazione interrotta dall' utente",
    "Errore in scrittura del file di output: ",
    nullptr,
    "Errore nell' accedere al file temporaneo. Operazione abortita.",
    "Il file di output esiste già: ",
    "Nome di file riservato: ",
};

// The message line of a code; empty for a code without a message.
Str message(uint8_t code) {
  if (code >= sizeof kMessages / sizeof kMessages[0] || kMessages[code] == nullptr) return Str();
  Str line(kMessages[code]);
  if (code == 1) line += RS.TESTA;
  if (code == 4 || code == 7 || code == 8) line += RS.OUTFILE;
  return line;
}

const char* const kHelp[] = {
    "ZELMO :  visualizza o cambia gli attributi di file e/o directory.",
    nullptr,  // the version line, built with the platform's name
    "     /?        Questa schermata",
    "     file      Gruppi di files o singolo file",
    "     /I        Ignora tutti gli accessi negati",
    "     /Y        Modifica gli attributi senza chiederne la conferma",
    "     /P        Mostra gli attributi una schermata alla volta",
    "     /V        Visualizza su video le informazioni anche se esiste +outfile",
    "               ( +outfile deve essere diverso da +NUL )",
    "     /S        Elabora anche le sottodirectory",
    "     + -       Imposta / Rimuove un attributo",
    "     S A R H   Attributo di file di Sistema, Archivio, Sola lettura, Nascosto",
    "     +outfile  Scrive le informazioni in outfile se sono presenti /Y e /I",
    "               oppure se non reimposta gli attributi. Se si indica +NUL,",
    "               non vi sarà alcuna descrizione al video sui files.",
    "     /AA       Se outfile esiste, accoda le informazioni",
    "     /AC       Se outfile esiste, chiede se accodare o sovrascrivere le",
    "               informazioni o uscire dal programma",
    "     /AS       Se outfile esiste, sovrascrive le informazioni",
    "     /AE       Se outfile esiste, il programma si chiude",
    "     /E        Esclude le informazioni sui files saltati: output più veloce",
    "Opzioni inverse:  /-I  /-Y  /-P  /-V  /-S  /-E",
    "Opzioni inizialmente abilitate:  /-I  /-Y  /-P  /-V  /-S  /AC  /E",
};

}  // namespace

void ERR(uint8_t code) {
  FRESHLINE();
  WRITELN(message(code));
  if (code == 3 && CHANGE_REQUESTED())
    WRITE(Str("*** File processati complessivamente: ") + DIM_PUNTO(RS.PROCESSATI_TOT));
  if (!RS.OUTFILE.empty()) RS.TESTO.close();
  REMOVE_LIST_FILE();
  EXIT_PROCESS(kExitError);
}

void HELP() {
  for (const char* line : kHelp) {
    if (line != nullptr) {
      WRITELN(Str(line));
      continue;
    }
    Str version("   ZELMO    [opzioni]  [ [+|-] [S|A|R|H] ]     Versione 1.20 per ");
    WRITELN(version + OS_PROG() + " " + DIM_PUNTO(OS_BITS()) + " bit");
  }
  EXIT_PROCESS(kExitError);
}

void FATAL(const char* failure) {
  con_flush();
  // Keep what the output file holds and leave no list file behind.
  RS.TESTO.close();
  REMOVE_LIST_FILE();
  std::printf("Errore irrecuperabile: %s\n", failure);
  std::fflush(stdout);
  EXIT_PROCESS(kExitFatal);
}

void INC(int32_t& counter) {
  if (counter == INT32_MAX) FATAL("contatore oltre il limite");
  ++counter;
}

}  // namespace zelmo
