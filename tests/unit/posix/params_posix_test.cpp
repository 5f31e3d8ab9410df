// Parameters that begin with "/" on Linux, where every path does.
#include <gtest/gtest.h>

#include <string>

#include "main/params.h"
#include "main/runstate.h"
#include "tests/unit/posix/tempdir_posix.h"

namespace zelmo {

namespace {

using SlashPath = PosixTempDir;

}  // namespace

TEST_F(SlashPath, IsAPathWhenItIsNoOptionAndItsFirstPartIsADirectory) {
  const struct {
    std::string parameter;
    bool path;
  } cases[] = {
      {at("*.txt"), true}, {at(""), true},
      {root_, true},       {"/tmp", true},
      {"/TMP/x", true},                      // found as the tool finds every name: a to z folded
      {"/tmp/s", true},    {"/s/y", false},  // options only, whatever the disk holds
      {"/S", false},       {"/?", false},
      {"/aa/-v", false},   {"/Q", false},  // no such directory: an unknown option
      {"/s/tmp", false},   {"/zelmo-no-such-directory/x", false},
      {"/", false},        {"//tmp", false},
      {"tmp/x", false},    {"--help", false},
  };
  for (const auto& c : cases) EXPECT_EQ(SLASH_PATH(Str(c.parameter)), c.path) << "parameter: " << c.parameter;
}

TEST_F(SlashPath, IsReadAsTheMaskInTheToolsSyntax) {
  RS.NOMEFILE = Str();
  RS.SUB = false;
  PARAMETER_LOOP({Str(at("*.txt")), "/s"});
  EXPECT_EQ(RS.NOMEFILE, UPCASE(tool("*.txt")));
  EXPECT_TRUE(RS.SUB);
}

}  // namespace zelmo
