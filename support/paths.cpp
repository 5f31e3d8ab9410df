#include "support/paths.h"

#include <string>
#include <vector>

#include "platform/filesys.h"

namespace zelmo {

namespace {

// Variables whose values name each other never leave a text free of "%";
// after this many substitutions the text is given up and comes back as it
// was. A text of 255 bytes holds at most 127 pairs, so no real text needs more.
constexpr int kMaxSubstitutions = 255;

// Replaces %NAME% pairs from the start, again and again; stops at the first
// pair whose variable has no value.
Str substituted(Str text) {
  for (int done = 0; done < kMaxSubstitutions; ++done) {
    int open = text.pos('%');
    int close = open == 0 ? 0 : text.pos('%', open + 1);
    if (close == 0) break;
    Str value = GETENV(text.copy(open + 1, close - open - 1));
    if (value.empty()) break;
    text = text.left(open - 1) + value + text.from(close + 1);
  }
  return text;
}

}  // namespace

Str ESPANSIONE(const Str& text, bool full_path) {
  Str result = substituted(text);
  if (result.contains('%')) return text;
  // FEXPAND keeps "\\server\share" whole, so a network path comes back
  // beginning with its "\\" and needs no cutting.
  return full_path ? FEXPAND(result) : result;
}

Str FEXPAND2(const Str& text) { return ESPANSIONE(text, true); }

bool ENDS_LIKE_DIRECTORY(const Str& path) {
  return path.ends_with('\\') || (HAS_DRIVES() && path.ends_with(':'));
}

Str DIRECTORY_PREFIX(Str directory) {
  if (!directory.empty() && !ENDS_LIKE_DIRECTORY(directory)) directory += '\\';
  return directory;
}

Str PATHOF(const Str& path) {
  Str dir, name, ext;
  FSPLIT(path, dir, name, ext);
  return dir;
}

Str NAMEOF(const Str& path) {
  Str dir, name, ext;
  FSPLIT(path, dir, name, ext);
  return name + ext;
}

Str TRUNCPATH(const Str& path, uint8_t width) {
  // Only made absolute: the directories in it were read from the disk, and a
  // directory named %HOME% is shown as it is called. What the user typed was
  // expanded once already, when the mask was completed.
  Str full = FEXPAND(path);
  if (full.length() <= width || !full.contains('\\')) return full;
  // full = head \ D1 \ ... \ Dn \ last
  std::vector<Str> parts;
  int start = 1;
  for (int sep = full.pos('\\'); sep != 0; sep = full.pos('\\', start)) {
    parts.push_back(full.copy(start, sep - start));
    start = sep + 1;
  }
  Str last = full.from(start);
  size_t n = parts.size() - 1;  // the directories between head and last
  if (n == 0) return full;
  Str candidate;
  for (size_t k = 1; k <= n; ++k) {
    candidate = parts[0] + "\\...\\";
    for (size_t i = k + 1; i <= n; ++i) candidate += parts[i] + "\\";
    candidate += last;
    if (candidate.length() <= width) break;
  }
  return candidate;
}

}  // namespace zelmo
