// The command line: cutting it into parameters, each parameter into pieces,
// and the parameter loop that reads them into the run state. The loop ends
// the process for "/?" (and --help on Linux) and for error 1, so a command line that would end it
// is recognised here first and then only cut and split, never run: the
// target keeps its own copy of the option table as the model to compare with.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "main/params.h"
#include "main/runstate.h"
#include "platform/process.h"
#include "support/cmdline.h"
#include "support/str.h"
#include "support/strings.h"
#include "tests/fuzz/check.h"

namespace zelmo {
namespace {

// What the loop should leave in the run state.
struct Model {
  bool visualizza = false, sub = false, ignora = false, sbs = false, yes = false;
  char accoda = 'C', archivio = ' ', lettura = ' ', nascosto = ' ', sistema = ' ';
  Str outfile, nomefile;
};

// Applies a piece to the model; false when the loop would end the process.
bool apply(const Str& piece, Model& m) {
  struct Flag {
    const char* piece;
    bool Model::*flag;
  };
  static const Flag kFlags[] = {{"/V", &Model::visualizza},
                                {"/S", &Model::sub},
                                {"/I", &Model::ignora},
                                {"/P", &Model::sbs},
                                {"/Y", &Model::yes}};
  for (const Flag& f : kFlags) {
    std::string_view on = f.piece;
    std::string off = "/-" + std::string(on.substr(1));
    if (piece.view() == on) m.*f.flag = true;
    if (piece.view() == off) m.*f.flag = false;
    if (piece.view() == on || piece.view() == off) return true;
  }
  struct Request {
    char letter;
    char Model::*setting;
  };
  static const Request kRequests[] = {
      {'A', &Model::archivio}, {'R', &Model::lettura}, {'H', &Model::nascosto}, {'S', &Model::sistema}};
  for (const Request& r : kRequests) {
    if (piece.length() == 2 && (piece.first() == '+' || piece.first() == '-') && piece.at(2) == r.letter) {
      m.*r.setting = piece.first();
      return true;
    }
  }
  if (piece.length() == 3 && piece.starts_with("/A") && Str("ACES").contains(piece.at(3))) {
    m.accoda = piece.at(3);
    return true;
  }
  if (piece == "--HELP" && UNIX_COMMAND_LINE()) return false;  // the help screen
  // A parameter that the loop reads as a path (/home/ana/*.txt) holds an
  // unknown option here, so it is never run.
  switch (piece.first()) {
    case '/':  // "/?" and every unknown option
      return false;
    case '+':
      m.outfile = piece.from(2);
      return !m.outfile.empty();
    default:
      if (!m.nomefile.empty()) return false;
      m.nomefile = piece;
      return true;
  }
}

// Without quotes, the parameters are the runs of bytes that are not 1 to 32
// (byte 0 is no separator), after the program's name.
void check_unquoted_cut(std::string_view line, const std::vector<Str>& parameters) {
  std::vector<Str> expected;
  bool program_name = true;
  std::string current;
  bool in_parameter = false;
  for (char c : line) {
    unsigned char code = static_cast<unsigned char>(c);
    if (code >= 1 && code <= 32) {
      if (in_parameter) {
        if (!program_name) expected.emplace_back(current);
        program_name = false;
      }
      current.clear();
      in_parameter = false;
    } else {
      current += c;
      in_parameter = true;
    }
  }
  if (in_parameter && !program_name) expected.emplace_back(current);
  FUZZ_CHECK(parameters == expected);
}

// Splits every parameter as the loop does and applies its pieces to the
// model; false when the loop would end the process on one of them.
bool split_and_apply(const std::vector<Str>& parameters, Model& model) {
  bool runs_through = true;
  for (const Str& parameter : parameters) {
    Str text = UPCASE(parameter);
    while (!text.empty()) {
      Str head, tail;
      TESTA_CODA(text, "/", head, tail);
      FUZZ_CHECK(!head.empty() && head + tail == text);
      FUZZ_CHECK(head.length() == 1 || head.pos('/', 2) == 0);
      if (runs_through) runs_through = apply(head, model);
      text = tail;
    }
  }
  return runs_through;
}

void reset_run_state() {
  RS.I = 0;
  RS.ACCODA = 'C';
  RS.IGNORA = RS.VISUALIZZA = RS.SUB = RS.YES = RS.SBS = false;
  RS.NOMEFILE = Str();
  RS.ARCHIVIO = RS.LETTURA = RS.NASCOSTO = RS.SISTEMA = ' ';
  RS.OUTFILE = Str();
}

void check_run_state(const Model& m, size_t count) {
  FUZZ_CHECK(RS.I == count);
  FUZZ_CHECK(RS.VISUALIZZA == m.visualizza && RS.SUB == m.sub && RS.IGNORA == m.ignora);
  FUZZ_CHECK(RS.SBS == m.sbs && RS.YES == m.yes);
  FUZZ_CHECK(RS.ACCODA == m.accoda && RS.ARCHIVIO == m.archivio && RS.LETTURA == m.lettura);
  FUZZ_CHECK(RS.NASCOSTO == m.nascosto && RS.SISTEMA == m.sistema);
  FUZZ_CHECK(RS.OUTFILE == m.outfile && RS.NOMEFILE == m.nomefile);
  FUZZ_CHECK(RS.TESTA.empty());
}

}  // namespace
}  // namespace zelmo

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelmo;
  std::string_view line(reinterpret_cast<const char*>(data), size);
  std::vector<Str> parameters = CUTPARAMETERS(line);
  if (line.find_first_of("\"'") == std::string_view::npos) check_unquoted_cut(line, parameters);

  Model model;
  bool runs_through = split_and_apply(parameters, model);
  // More than 255 parameters is a fatal stop before the loop reads any.
  if (!runs_through || parameters.size() > 255) return 0;
  reset_run_state();
  PARAMETER_LOOP(parameters);
  check_run_state(model, parameters.size());
  return 0;
}
