#include "support/cmdline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelmo {

namespace {

std::vector<std::string> cut(std::string_view line) {
  std::vector<std::string> result;
  for (const Str& p : CUTPARAMETERS(line)) result.emplace_back(p.view());
  return result;
}

struct CutCase {
  const char* line;
  std::vector<std::string> parameters;
};

}  // namespace

TEST(CutParameters, FollowsTheQuotingRules) {
  const CutCase cases[] = {
      {"", {}},
      {"zelmo.exe", {}},
      {"   zelmo.exe   ", {}},
      {"zelmo /s/y/i +a *.txt", {"/s/y/i", "+a", "*.txt"}},
      {"zelmo\t a \x01\x1f b", {"a", "b"}},
      {"\"C:\\Program Files\\zelmo.exe\" /?", {"/?"}},
      {"zelmo \"a b\" c", {"a b", "c"}},
      {"zelmo x\"a b\"y", {"xa by"}},
      {"zelmo 'a b' \"it's\"", {"a b", "it's"}},
      {"zelmo \"L'ELENCO.TXT\"", {"L'ELENCO.TXT"}},
      {"zelmo L'ELENCO.TXT /S", {"LELENCO.TXT /S"}},
      {"zelmo \"\"", {""}},
      {"zelmo a\"\"b", {"ab"}},
      {"zelmo \"a\"\"b c\"", {"ab c"}},
      {"zelmo ''x", {"x"}},
      {"zelmo \"it''s\"", {"it''s"}},
      {"zelmo 'say \"hi\"'", {"say \"hi\""}},
      {"zelmo \"unclosed stretch", {"unclosed stretch"}},
  };
  for (const CutCase& c : cases) EXPECT_EQ(cut(c.line), c.parameters) << "line: " << c.line;
}

TEST(CutParameters, KeepsTheFirst255BytesOfAParameter) {
  std::string line = "zelmo " + std::string(300, 'x') + " y";
  std::vector<Str> parameters = CUTPARAMETERS(line);
  ASSERT_EQ(parameters.size(), 2u);
  EXPECT_EQ(parameters[0].length(), 255);
  EXPECT_EQ(parameters[1], "y");
}

TEST(CutParameters, DoesNotLimitTheirNumber) {
  std::string line = "zelmo";
  for (int i = 0; i < 300; ++i) line += " p";
  EXPECT_EQ(CUTPARAMETERS(line).size(), 300u);
}

}  // namespace zelmo
