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

constexpr uint8_t kPromptColumn = 60;
constexpr int kNameTooLong = 206;  // the platform's code for a name too long

// The attribute word with the requested changes applied and the directory
// bit taken out: what is written to the entry. Every other bit passes.
uint32_t requested(uint32_t old) {
  struct Request {
    char RunState::*setting;
    uint32_t bit;
  };
  static constexpr Request kRequests[] = {
      {&RunState::ARCHIVIO, kArchive},
      {&RunState::LETTURA, kReadOnly},
      {&RunState::NASCOSTO, kHidden},
      {&RunState::SISTEMA, kSystem},
  };
  uint32_t word = old & ~uint32_t{kDirectory};
  for (const Request& r : kRequests) {
    if (RS.*r.setting == '+') word |= r.bit;
    if (RS.*r.setting == '-') word &= ~r.bit;
  }
  return word;
}

Str arrow(uint32_t old, uint32_t shown) {
  return ATTRIBUTI(static_cast<uint8_t>(old)) + " --->" + ATTRIBUTI(static_cast<uint8_t>(shown));
}

// The confirmation question; its answer: Esc, N, S or T.
char confirm(const Str& change, const Str& full_name) {
  FRESHLINE();
  WRITE(change);
  WRITE(std::string_view("   Modificare "));
  WRITE(full_name);
  WRITE(std::string_view(" ?"));
  if (WHEREX() > kPromptColumn) WRITELN();
  GOTOXY(kPromptColumn, WHEREY());
  WRITE(std::string_view(" [Si,No,Tutti,Esc] "));
  char answer = ANSWER("\x1bNST");
  WRITE(Str(answer));
  FRESHLINE();
  return answer;
}

// Reports a failed write and asks what to do unless /I holds. True when the
// write is to be tried again.
bool retry_after_failure(const Str& change, const Str& full_name) {
  WRITELN2(Str());
  WRITELN2(change + " Impossibile accedere al file " + full_name);
  FRESHLINE();
  if (RS.IGNORA) return false;
  WRITE(std::string_view("Annulla, Riprova, Ignora, ignora Tutti ?  [A,R,I,T] "));
  char answer = ANSWER("ARIT");  // A first: no key left means abort
  WRITE(Str(answer));
  WRITELN();
  switch (answer) {
    case 'A':
      ERR(3);
    case 'R':
      return true;
    case 'T':
      RS.IGNORA = true;
      return false;
    default:
      return false;
  }
}

// Writes the word to the entry name of directory, as typed. A full name
// longer than a string holds cannot be written at all: cut, it could name
// another file.
int store(const Str& directory, const Str& name, uint32_t word) {
  if (directory.length() + name.length() > Str::kMax) return kNameTooLong;
  return SETFATTR(directory + name, word);
}

// Handles one entry that needs a change.
void change_entry(const Twin& directory, const Str& name, uint32_t old, uint32_t word) {
  Str full_name = directory.shown + name;
  Str change = arrow(old, word | (old & kDirectory));
  if (RS.YES) {
    WRITELN2(change + "   Modifica di " + full_name);
  } else {
    switch (confirm(change, full_name)) {
      case kEsc:
        ERR(3);
      case 'N':
        return;
      case 'T':
        RS.YES = true;
        break;
    }
  }
  int failed = store(directory.typed, name, word);
  while (failed != 0) {
    if (!retry_after_failure(change, full_name)) return;
    failed = store(directory.typed, name, word);
  }
  INC(RS.PROCESSATI_DIR);
  INC(RS.PROCESSATI_TOT);
}

}  // namespace

void IMPOSTAATTRIBUTI(Twin directory, const Twin& pattern) {
  RS.PROCESSATI_DIR = 0;
  RS.SKIP_DIR = 0;
  RS.TOTAL_DIR = 0;
  directory = DIRECTORY_PREFIX(directory);
  SearchRec entry;
  int found = SEARCHABLE(directory.typed, pattern.typed)
                  ? FINDFIRST(directory.typed + pattern.typed, kEveryEntry, entry)
                  : kNoMoreFiles;
  while (found == 0) {
    if (!(entry.name == "." || entry.name == "..")) {
      INC(RS.TOTAL_DIR);
      INC(RS.TOTAL_TOT);
      if (RS.TOTAL_DIR == 1)
        WRITELN2(Str("Attributi vecchi/nuovi  ---  Nomi dei files (") +
                 TRUNCPATH(directory.shown + pattern.shown, 33) + ")");
      uint32_t word = requested(entry.attr);
      if (word == (entry.attr & ~uint32_t{kDirectory})) {
        // Nothing to change: counted as skipped, silently, without a key poll.
        INC(RS.SKIP_DIR);
        INC(RS.SKIP_TOT);
        found = FINDNEXT(entry);
        continue;
      }
      change_entry(directory, entry.name, entry.attr, word);
    }
    found = FINDNEXT(entry);
    if (ESCPRESSED()) ERR(3);
  }
  FINDCLOSE(entry);
  if (RS.TOTAL_DIR != 0) {
    int32_t refused = RS.TOTAL_DIR - RS.SKIP_DIR - RS.PROCESSATI_DIR;
    WRITELN2(Str());
    WRITELN2(Str("*** File processati: ") + DIM_PUNTO(RS.PROCESSATI_DIR) + " su " + DIM_PUNTO(RS.TOTAL_DIR) +
             " ,saltati " + DIM_PUNTO(RS.SKIP_DIR) + "  ,accessi negati " + DIM_PUNTO(refused));
  }
}

}  // namespace zelmo
