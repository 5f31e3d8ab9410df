#include "main/params.h"

#include <gtest/gtest.h>

#include <vector>

#include "main/runstate.h"
#include "platform/filesys.h"

namespace zelmo {

namespace {

// The settings a command line leaves, compared as one text.
std::string settings_after(std::vector<Str> parameters) {
  RS.NOMEFILE = RS.NOMEFILE_TYPED = Str();
  RS.OUTFILE = RS.OUTFILE_TYPED = Str();
  RS.ACCODA = 'C';
  RS.ARCHIVIO = RS.LETTURA = RS.NASCOSTO = RS.SISTEMA = ' ';
  RS.IGNORA = RS.VISUALIZZA = RS.SUB = RS.YES = RS.SBS = false;
  PARAMETER_LOOP(parameters);
  std::string s = "mask=" + std::string(RS.NOMEFILE.view()) + " out=" + std::string(RS.OUTFILE.view()) +
                  " accoda=" + RS.ACCODA + " req=" + RS.ARCHIVIO + RS.LETTURA + RS.NASCOSTO + RS.SISTEMA +
                  " flags=";
  for (bool flag : {RS.IGNORA, RS.VISUALIZZA, RS.SUB, RS.YES, RS.SBS}) s += flag ? '1' : '0';
  return s;
}

}  // namespace

TEST(ParameterLoop, ReadsSettingsIntoTheRunState) {
  const struct {
    std::vector<Str> parameters;
    const char* settings;  // flags: I V S Y P
  } cases[] = {
      {{}, "mask= out= accoda=C req=     flags=00000"},
      {{"/s/y/i", "+a", "*.txt"}, "mask=*.TXT out= accoda=C req=+    flags=10110"},
      {{"*.txt/s"}, "mask=*.TXT out= accoda=C req=     flags=00100"},
      {{"+a+r"}, "mask= out=A+R accoda=C req=     flags=00000"},
      {{"+A/S"}, "mask= out= accoda=C req=+    flags=00100"},
      {{"-x"}, "mask=-X out= accoda=C req=     flags=00000"},
      {{"+out1.txt", "+out2.txt"}, "mask= out=OUT2.TXT accoda=C req=     flags=00000"},
      {{"/S", "/-S", "+A", "-A"}, "mask= out= accoda=C req=-    flags=00000"},
      {{"/aa", "/as", "-r", "+h", "-s", "/v/p"}, "mask= out= accoda=S req= -+- flags=01001"},
      {{"", "dati\\"}, "mask=DATI\\ out= accoda=C req=     flags=00000"},
      {{"+.\\a", "perché"}, "mask=PERCHé out=.\\A accoda=C req=     flags=00000"},
  };
  for (const auto& c : cases) {
    std::string line;
    for (const Str& p : c.parameters) line += std::string(p.view()) + " ";
    EXPECT_EQ(settings_after(c.parameters), c.settings) << "command line: " << line;
  }
}

// The mask and the output file keep the case typed beside their upper-cased
// text, cut at the same "/", where the platform's names have a case.
TEST(ParameterLoop, KeepsTheCaseTypedForTheFileSystem) {
  const struct {
    std::vector<Str> parameters;
    const char* mask;
    const char* out;
  } cases[] = {
      {{"abc\\*.Txt"}, "abc\\*.Txt", ""},
      {{"+report.txt", "Dati/s/y"}, "Dati", "report.txt"},
      {{"+a.txt/v", "+Out.Log"}, "", "Out.Log"},
      {{"+h", "perché"}, "perché", ""},
  };
  for (const auto& c : cases) {
    settings_after(c.parameters);
    Str mask(c.mask), out(c.out);
    EXPECT_EQ(RS.NOMEFILE_TYPED, CASE_MATTERS() ? mask : UPCASE(mask)) << c.mask;
    EXPECT_EQ(RS.OUTFILE_TYPED, CASE_MATTERS() ? out : UPCASE(out)) << c.out;
    EXPECT_EQ(UPCASE(RS.NOMEFILE_TYPED), RS.NOMEFILE) << c.mask;
    EXPECT_EQ(UPCASE(RS.OUTFILE_TYPED), RS.OUTFILE) << c.out;
  }
}

}  // namespace zelmo
