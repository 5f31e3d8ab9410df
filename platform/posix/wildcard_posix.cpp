#include "platform/posix/wildcard_posix.h"

namespace zelmo::posix {

namespace {

char fold(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// The rest of a pattern matches an ended name: "*" any number of times, at
// most one ".", and "*" again.
bool matches_end(std::string_view rest) {
  size_t stars = rest.find_first_not_of('*');
  if (stars == std::string_view::npos) return true;
  rest.remove_prefix(stars);
  if (rest[0] == '.') rest.remove_prefix(1);
  return rest.find_first_not_of('*') == std::string_view::npos;
}

}  // namespace

bool HAS_WILDCARDS(std::string_view pattern) { return pattern.find_first_of("*?") != std::string_view::npos; }

bool SAME_NAME(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (fold(a[i]) != fold(b[i])) return false;
  return true;
}

bool NAME_MATCHES(std::string_view pattern, std::string_view name) {
  if (name.find('\\') != std::string_view::npos) return false;
  // Greedy match with one back-tracking point: the last "*" seen, which takes
  // one more character of the name each time the rest fails.
  size_t p = 0, n = 0;
  size_t star = std::string_view::npos, star_n = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_n = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || fold(pattern[p]) == fold(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      // A "*" before a closing "." stops at a dot: "*." takes the names
      // without an extension.
      if (star + 2 == pattern.size() && pattern[star + 1] == '.' && name[star_n] == '.') return false;
      p = star + 1;
      n = ++star_n;
    } else {
      return false;
    }
  }
  return matches_end(pattern.substr(p));
}

}  // namespace zelmo::posix
