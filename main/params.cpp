#include "main/params.h"

#include "main/exits.h"
#include "main/runstate.h"
#include "platform/process.h"
#include "support/files.h"
#include "support/strings.h"

namespace zelmo {

namespace {

struct FlagPiece {
  const char* piece;
  bool RunState::*flag;
  bool value;
};

const FlagPiece kFlagPieces[] = {
    {"/V", &RunState::VISUALIZZA, true}, {"/-V", &RunState::VISUALIZZA, false},
    {"/S", &RunState::SUB, true},        {"/-S", &RunState::SUB, false},
    {"/I", &RunState::IGNORA, true},     {"/-I", &RunState::IGNORA, false},
    {"/P", &RunState::SBS, true},        {"/-P", &RunState::SBS, false},
    {"/Y", &RunState::YES, true},        {"/-Y", &RunState::YES, false},
};

struct CharPiece {
  const char* piece;
  char RunState::*setting;
  char value;
};

const CharPiece kCharPieces[] = {
    {"+A", &RunState::ARCHIVIO, '+'}, {"-A", &RunState::ARCHIVIO, '-'}, {"+R", &RunState::LETTURA, '+'},
    {"-R", &RunState::LETTURA, '-'},  {"+H", &RunState::NASCOSTO, '+'}, {"-H", &RunState::NASCOSTO, '-'},
    {"+S", &RunState::SISTEMA, '+'},  {"-S", &RunState::SISTEMA, '-'},  {"/AA", &RunState::ACCODA, 'A'},
    {"/AC", &RunState::ACCODA, 'C'},  {"/AE", &RunState::ACCODA, 'E'},  {"/AS", &RunState::ACCODA, 'S'},
};

bool known_piece(const Str& piece) {
  if (piece == "/?") return true;
  for (const FlagPiece& p : kFlagPieces)
    if (piece == p.piece) return true;
  for (const CharPiece& p : kCharPieces)
    if (piece == p.piece) return true;
  return false;
}

// True when every piece the parameter is cut into is in the tables.
bool only_known_pieces(Str parameter) {
  Str piece;
  while (!parameter.empty()) {
    TESTA_CODA(parameter, "/", piece, parameter);
    if (!known_piece(piece)) return false;
  }
  return true;
}

// The parameter as a path in the tool's syntax.
Str backslashed(Str text) {
  for (int at = text.pos('/'); at != 0; at = text.pos('/', at + 1)) text.set_at(at, '\\');
  return text;
}

}  // namespace

bool SLASH_PATH(const Str& parameter) {
  if (!UNIX_COMMAND_LINE() || parameter.first() != '/' || only_known_pieces(UPCASE(parameter))) return false;
  Str first, rest;
  TESTA_CODA(parameter, "/", first, rest);
  return first.length() > 1 && ISDIR(first);
}

void MATCH_PIECE(const Str& piece) {
  if (piece == "/?" || (piece == "--HELP" && UNIX_COMMAND_LINE())) HELP();
  for (const FlagPiece& p : kFlagPieces) {
    if (piece == p.piece) {
      RS.*p.flag = p.value;
      return;
    }
  }
  for (const CharPiece& p : kCharPieces) {
    if (piece == p.piece) {
      RS.*p.setting = p.value;
      return;
    }
  }
  switch (piece.first()) {
    case '/':
      ERR(1);
    case '+':
      RS.OUTFILE = piece.from(2);
      if (RS.OUTFILE.empty()) ERR(1);
      return;
    default:
      if (!RS.NOMEFILE.empty()) ERR(1);
      RS.NOMEFILE = piece;
  }
}

void PARAMETER_LOOP(const std::vector<Str>& parameters) {
  if (parameters.size() > 255) FATAL("più di 255 parametri");
  for (size_t i = 0; i < parameters.size(); ++i) {
    RS.I = static_cast<uint8_t>(i + 1);
    RS.TESTA = UPCASE(parameters[i]);
    // With no "/" left, the path is one piece: the mask.
    if (SLASH_PATH(parameters[i])) RS.TESTA = backslashed(RS.TESTA);
    while (!RS.TESTA.empty()) {
      TESTA_CODA(RS.TESTA, "/", RS.TESTA, RS.CODA);
      MATCH_PIECE(RS.TESTA);
      RS.TESTA = RS.CODA;
    }
  }
}

}  // namespace zelmo
