#include "support/cmdline.h"

#include <string>

namespace zelmo {

namespace {

bool is_separator(char c) {
  unsigned char code = static_cast<unsigned char>(c);
  return code >= 1 && code <= 32;
}

bool is_quote(char c) { return c == '"' || c == '\''; }

}  // namespace

std::vector<Str> CUTPARAMETERS(std::string_view line) {
  std::vector<Str> parameters;
  bool program_name = true;
  size_t i = 0;
  for (;;) {
    while (i < line.size() && is_separator(line[i])) ++i;
    if (i == line.size()) break;
    std::string parameter;
    char stretch = 0;  // the quote that opened the stretch we are in, or 0
    while (i < line.size() && (stretch != 0 || !is_separator(line[i]))) {
      char c = line[i];
      if (is_quote(c) && (stretch == 0 || stretch == c)) {
        if (i + 1 < line.size() && line[i + 1] == c) {
          i += 2;  // a doubled quote neither opens nor closes: both go
          continue;
        }
        stretch = stretch == 0 ? c : 0;
        ++i;
        continue;
      }
      parameter += c;
      ++i;
    }
    if (program_name)
      program_name = false;
    else
      parameters.emplace_back(parameter);
  }
  return parameters;
}

}  // namespace zelmo
