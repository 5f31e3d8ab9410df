// The string type and the string and number routines on arbitrary bytes and
// numbers, each checked against what it promises.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "support/str.h"
#include "support/strings.h"
#include "tests/fuzz/check.h"

namespace zelmo {
namespace {

Str consume_str(FuzzedDataProvider& in) { return Str(in.ConsumeRandomLengthString(300)); }

bool is_subsequence(const Str& part, const Str& whole) {
  int at = 1;
  for (int i = 1; i <= part.length(); ++i) {
    while (at <= whole.length() && whole.at(at) != part.at(i)) ++at;
    if (at > whole.length()) return false;
    ++at;
  }
  return true;
}

void check_str(const Str& a, const Str& b, int pos, int count, char c) {
  // copy(pos, count): the bytes of the text that lie in [pos, pos + count).
  Str piece = a.copy(pos, count);
  int from = std::max(pos, 1);
  std::string expected;
  if (count > 0 && from <= a.length())
    expected = std::string(a.view().substr(from - 1, static_cast<size_t>(count)));
  FUZZ_CHECK(piece.view() == expected);
  FUZZ_CHECK(piece.c_str()[piece.length()] == '\0');

  int found = a.pos(c, pos);
  FUZZ_CHECK(found == 0 || (found >= std::max(pos, 1) && a.at(found) == c));
  for (int i = std::max(pos, 1); i <= a.length() && (found == 0 || i < found); ++i) FUZZ_CHECK(a.at(i) != c);

  int text_found = a.pos(b.view(), pos);
  FUZZ_CHECK(text_found == 0 || a.copy(text_found, b.length()) == b);

  Str joined = a + b;
  FUZZ_CHECK(joined.length() == std::min(Str::kMax, a.length() + b.length()));
  FUZZ_CHECK(joined.left(a.length()) == a);
  FUZZ_CHECK(joined.from(a.length() + 1) == b.left(joined.length() - a.length()));

  Str upper = UPCASE(a);
  FUZZ_CHECK(upper.length() == a.length());
  for (int i = 1; i <= a.length(); ++i) {
    char x = a.at(i);
    FUZZ_CHECK(upper.at(i) == (x >= 'a' && x <= 'z' ? x - 'a' + 'A' : x));
  }
}

void check_testa_coda(const Str& text, const Str& separators) {
  Str head, tail;
  TESTA_CODA(text, separators, head, tail);
  FUZZ_CHECK(head + tail == text);
  FUZZ_CHECK(text.empty() || !head.empty());
  FUZZ_CHECK(tail.length() < text.length() || text.empty());
  FUZZ_CHECK(tail.empty() || separators.contains(tail.first()));
  for (int i = 2; i <= head.length(); ++i) FUZZ_CHECK(!separators.contains(head.at(i)));
  if (text.length() < 2 || separators.empty()) FUZZ_CHECK(head == text);
  // The parameter loop passes its text as the head too.
  Str same = text, other;
  TESTA_CODA(same, separators, same, other);
  FUZZ_CHECK(same == head && other == tail);
}

void check_dim_punto(int64_t number) {
  Str text = DIM_PUNTO(number);
  std::string digits = std::to_string(number);
  std::string plain;
  for (char c : text.view())
    if (c != '.') plain += c;
  FUZZ_CHECK(plain == digits);
  // Dots only between groups of three digits, counted from the right.
  int sign = number < 0 ? 1 : 0;
  int group = 0;
  for (int i = text.length(); i > sign; --i) {
    if (text.at(i) == '.') {
      FUZZ_CHECK(group == 3 && i > sign + 1);
      group = 0;
    } else {
      FUZZ_CHECK(group < 3);
      ++group;
    }
  }
}

void check_small_routines(const Str& text, const Str& other, int16_t position, int16_t count, uint8_t limit) {
  FUZZ_CHECK(FREVERSE(FREVERSE(text)) == text);
  FUZZ_CHECK(FREVERSE(text).length() == text.length());

  Str kept = FREECHAR(other, text);
  FUZZ_CHECK(is_subsequence(kept, text));
  int expected = 0;
  for (int i = 1; i <= text.length(); ++i) expected += other.contains(text.at(i)) ? 0 : 1;
  FUZZ_CHECK(kept.length() == expected);

  Str single = SINGLE(text);
  FUZZ_CHECK(is_subsequence(single, text));
  FUZZ_CHECK(SINGLE(single) == single);
  for (int i = 1; i <= text.length(); ++i) FUZZ_CHECK(single.contains(text.at(i)));
  for (int i = 1; i <= single.length(); ++i) FUZZ_CHECK(single.pos(single.at(i), i + 1) == 0);

  std::string erased(text.view());
  if (position >= 1 && position <= text.length() && count > 0) erased.erase(position - 1, count);
  FUZZ_CHECK(FDELETE(text, position, count).view() == erased);

  uint8_t last = POSRL(other, text, limit);
  std::string_view searched = text.view().substr(0, limit);
  size_t found = other.empty() ? std::string_view::npos : searched.rfind(other.view());
  FUZZ_CHECK(last == (found == std::string_view::npos ? 0 : found + 1));
}

}  // namespace
}  // namespace zelmo

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelmo;
  FuzzedDataProvider in(data, size);
  int64_t number = in.ConsumeIntegral<int64_t>();
  int pos = in.ConsumeIntegralInRange<int>(-300, 300);
  int count = in.ConsumeIntegralInRange<int>(-300, 300);
  int16_t position = in.ConsumeIntegral<int16_t>();
  int16_t delete_count = in.ConsumeIntegral<int16_t>();
  uint8_t limit = in.ConsumeIntegral<uint8_t>();
  char c = in.ConsumeIntegral<char>();
  Str separators = consume_str(in);
  Str other = consume_str(in);
  Str text(in.ConsumeRemainingBytesAsString());

  check_str(text, other, pos, count, c);
  check_testa_coda(text, separators);
  check_dim_punto(number);
  check_small_routines(text, other, position, delete_count, limit);
  return 0;
}
