#include "platform/posix/wildcard_posix.h"

#include <gtest/gtest.h>

namespace zelmo::posix {

namespace {

struct MatchCase {
  const char* pattern;
  const char* name;
  bool matches;
};

}  // namespace

TEST(Wildcard, MatchesByTheWindowsRules) {
  const MatchCase cases[] = {
      {"*.*", "readme", true},
      {"*.*", "a.b.c", true},
      {"*.*", ".", true},
      {"*.*", "..", true},
      {"*.*", ".profile", true},
      {"*", "readme", true},
      {"*.TXT", "x.txt", true},
      {"*.TXT", "x.txt.bak", false},
      {"*.TXT", "a.b.txt", true},
      {"*.TXT", "txt", false},
      {"*.TX", "x.txt", false},
      {"A*.*", "abc", true},
      {"ABC.*", "abc", true},
      {"ABC.*", "abcd", false},
      {"ABC.", "abc", true},
      {"?", "a", true},
      {"?", "", false},
      {"?", "ab", false},
      {"A?C", "abc", true},
      {"A?C", "ac", false},
      {"??.TXT", "ab.txt", true},
      {"??.TXT", "a.txt", false},
      {"*B*", "abc", true},
      {"*B", "abab", true},
      {"*AB", "aab", true},
      {"README", "readme", true},
      {"README", "README", true},
      {"readme", "READMEX", false},
      {"read", "readme", false},
      {"\xe0.TXT", "\xe0.txt", true},
      {"\xc0.TXT", "\xe0.txt", false},
      {"*", "a\\b", false},
      {"A\\B", "a\\b", false},
      {"A*.*", "a", true},
      {"A*.", "abc", true},
      {"A*.", "abc.txt", false},
      {"*.", "readme", true},
      {"*.", "read.me", false},
      {"*.", ".profile", false},
      {"A.*.*", "a", false},
  };
  for (const MatchCase& c : cases)
    EXPECT_EQ(NAME_MATCHES(c.pattern, c.name), c.matches) << "pattern " << c.pattern << " name " << c.name;
}

TEST(Wildcard, FoldsOnlyAToZ) {
  EXPECT_TRUE(SAME_NAME("Read.Me", "READ.ME"));
  EXPECT_FALSE(SAME_NAME("\xe9", "\xc9"));
  EXPECT_FALSE(SAME_NAME("a", "ab"));
  EXPECT_FALSE(SAME_NAME("@", "`"));
}

TEST(Wildcard, TellsPatternsFromNames) {
  EXPECT_TRUE(HAS_WILDCARDS("*.TXT"));
  EXPECT_TRUE(HAS_WILDCARDS("A?"));
  EXPECT_FALSE(HAS_WILDCARDS("A.TXT"));
}

}  // namespace zelmo::posix
