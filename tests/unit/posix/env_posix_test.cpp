// Environment values on Linux: an ordinary Linux path reads in the tool's syntax.
#include <gtest/gtest.h>

#include "platform/filesys.h"
#include "tests/unit/testenv.h"

namespace zelmo {
namespace {

TEST(GetenvPosix, ReadsEverySlashOfAValueAsABackslash) {
  struct Case {
    const char* value;
    const char* read;
  };
  const Case cases[] = {
      {"/tmp/zelmo/new", "\\tmp\\zelmo\\new"},
      {"/", "\\"},
      {"rel/dir/", "rel\\dir\\"},
      {"no slash", "no slash"},
      {"\\already\\tool", "\\already\\tool"},
  };
  for (const Case& c : cases) {
    ScopedEnv set("ZELMO_TEST_SLASH", c.value);
    EXPECT_EQ(GETENV("ZELMO_TEST_SLASH"), c.read) << c.value;
  }
}

}  // namespace
}  // namespace zelmo
