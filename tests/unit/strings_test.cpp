#include "support/strings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace zelmo {

namespace {

struct CutCase {
  std::string text;
  std::string separators;
  std::string head;
  std::string tail;
};

}  // namespace

TEST(TestaCoda, CutsBeforeTheFirstSeparatorThatIsNotTheFirstByte) {
  const std::string long_text = std::string(254, 'x') + "/";
  const CutCase cases[] = {
      {"/S/Y/I", "/", "/S", "/Y/I"},
      {"/-V/P", "/", "/-V", "/P"},
      {"+A", "/", "+A", ""},
      {"/", "/", "/", ""},
      {"//", "/", "/", "/"},
      {"/S//Y", "/", "/S", "//Y"},
      {"AB/CD", "/", "AB", "/CD"},
      {"C:/DIR/X.TXT", "/", "C:", "/DIR/X.TXT"},
      {"", "/", "", ""},
      {"/S/Y", "//", "/S", "/Y"},
      {"/S/Y", "", "/S/Y", ""},
      {"/SY", "/", "/SY", ""},
      {"A", "A", "A", ""},
      {"A-B/C", "/-", "A", "-B/C"},
      {"-B/C", "/-", "-B", "/C"},
      {"\\DIR\\X", "\\", "\\DIR", "\\X"},
      {long_text, "/", std::string(254, 'x'), "/"},
  };
  for (const CutCase& c : cases) {
    Str head("junk"), tail("junk");
    TESTA_CODA(Str(c.text), Str(c.separators), head, tail);
    EXPECT_EQ(head.view(), c.head) << "text: " << c.text << " separators: " << c.separators;
    EXPECT_EQ(tail.view(), c.tail) << "text: " << c.text << " separators: " << c.separators;
  }
}

TEST(TestaCoda, TakesTheTextAsACopySoTheHeadMayBeTheSameVariable) {
  // The parameter loop passes its text as the head too.
  Str text("/S/Y/I"), tail;
  TESTA_CODA(text, "/", text, tail);
  EXPECT_EQ(text, "/S");
  EXPECT_EQ(tail, "/Y/I");
  Str sep("/"), head;
  TESTA_CODA("AB/CD", sep, head, sep);
  EXPECT_EQ(head, "AB");
  EXPECT_EQ(sep, "/CD");
}

TEST(TestaCoda, EndsTheParameterLoopBecauseTheTailShrinks) {
  Str text("/S//Y/-V/P");
  std::string heads;
  for (int rounds = 0; !text.empty(); ++rounds) {
    ASSERT_LT(rounds, 20);
    Str head, tail;
    TESTA_CODA(text, "/", head, tail);
    ASSERT_LT(tail.length(), text.length());
    heads += std::string(head.view()) + ",";
    text = tail;
  }
  EXPECT_EQ(heads, "/S,/,/Y,/-V,/P,");
}

TEST(DimPunto, PutsADotBetweenGroupsOfThreeDigits) {
  const struct {
    int64_t number;
    const char* text;
  } cases[] = {
      {0, "0"},
      {7, "7"},
      {100, "100"},
      {999, "999"},
      {1000, "1.000"},
      {12345, "12.345"},
      {100000, "100.000"},
      {123456, "123.456"},
      {1234567, "1.234.567"},
      {2147483647, "2.147.483.647"},
      {-1, "-1"},
      {-999, "-999"},
      {-1000, "-1.000"},
      {-1234567, "-1.234.567"},
      {-2147483648LL, "-2.147.483.648"},
      {std::numeric_limits<int64_t>::max(), "9.223.372.036.854.775.807"},
      {std::numeric_limits<int64_t>::min(), "-9.223.372.036.854.775.808"},
  };
  for (const auto& c : cases) EXPECT_EQ(DIM_PUNTO(c.number), c.text) << "number: " << c.number;
}

TEST(Freverse, ReversesTheBytes) {
  EXPECT_EQ(FREVERSE(""), "");
  EXPECT_EQ(FREVERSE("a"), "a");
  EXPECT_EQ(FREVERSE("abc"), "cba");
  std::string all(255, ' ');
  for (int i = 0; i < 255; ++i) all[i] = static_cast<char>(i + 1);
  std::string backwards(all.rbegin(), all.rend());
  EXPECT_EQ(FREVERSE(Str(all)).view(), backwards);
}

TEST(Freechar, RemovesEveryByteOfTheSet) {
  const Str nul("", 1);
  const struct {
    Str remove;
    Str text;
    Str result;
  } cases[] = {
      {nul, Str("C:\\DIR\0\0\0", 9), "C:\\DIR"},
      {nul, "C:\\DIR", "C:\\DIR"},
      {"", "abc", "abc"},
      {"ac", "abcabc", "bb"},
      {"xyz", "", ""},
      {"abc", "cab", ""},
      {Str("\0a", 2), Str("\0ba\0c", 5), "bc"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FREECHAR(c.remove, c.text), c.result)
        << "remove: " << c.remove.view() << " text: " << c.text.view();
}

TEST(Single, KeepsTheFirstOccurrenceOfEachByte) {
  const struct {
    const char* text;
    const char* result;
  } cases[] = {
      {"", ""}, {"/", "/"}, {"//", "/"}, {"abcab", "abc"}, {"aaaa", "a"}, {"baab", "ba"}, {"a/b/c/", "a/bc"},
  };
  for (const auto& c : cases) EXPECT_EQ(SINGLE(c.text), c.result) << "text: " << c.text;
  std::string distinct(255, ' ');
  for (int i = 0; i < 255; ++i) distinct[i] = static_cast<char>(i + 1);
  EXPECT_EQ(SINGLE(Str(distinct)).view(), distinct);
}

TEST(Fdelete, RemovesCountBytesFromPosition) {
  const struct {
    const char* text;
    int16_t position;
    int16_t count;
    const char* result;
  } cases[] = {
      {"ABC", 2, 1, "AC"},   {"ABC", 4, 1, "ABC"}, {"ABC", 2, 10, "A"},    {"ABC", 0, 1, "ABC"},
      {"ABC", -5, 2, "ABC"}, {"ABC", 1, 0, "ABC"}, {"ABC", 1, -1, "ABC"},  {"ABC", 1, 3, ""},
      {"ABC", 3, 1, "AB"},   {"", 1, 1, ""},       {"ABC", 2, 32767, "A"}, {"ABC", 32767, 1, "ABC"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FDELETE(c.text, c.position, c.count), c.result)
        << "text: " << c.text << " position: " << c.position << " count: " << c.count;
}

TEST(Posrl, FindsTheLastOccurrenceWithinTheLimit) {
  const struct {
    const char* find;
    const char* text;
    uint8_t limit;
    int position;
  } cases[] = {
      {"\\", "C:\\DIR\\FILE", 255, 7},
      {"\\", "C:\\DIR\\FILE", 6, 3},
      {"\\", "C:\\DIR\\FILE", 7, 7},
      {"\\", "C:\\DIR\\FILE", 2, 0},
      {"\\", "C:\\DIR\\FILE", 0, 0},
      {"ab", "xxabxxab", 255, 7},
      {"ab", "xxabxxab", 7, 3},
      {"ab", "xxba", 255, 0},
      {"abc", "ab", 255, 0},
      {"ab", "ab", 255, 1},
      {"aa", "aaa", 255, 2},
      {"", "abc", 255, 0},
      {"\\", "", 255, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(POSRL(c.find, c.text, c.limit), c.position)
        << "find: " << c.find << " text: " << c.text << " limit: " << int(c.limit);
}

TEST(Posrl, ReachesPosition255) {
  Str text(std::string(254, 'x') + "\\");
  EXPECT_EQ(POSRL("\\", text, 255), 255);
  EXPECT_EQ(POSRL("\\", text, 254), 0);
}

}  // namespace zelmo
