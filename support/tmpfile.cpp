#include "support/tmpfile.h"

#include <string>

#include "platform/filesys.h"
#include "support/files.h"
#include "support/names.h"
#include "support/paths.h"

namespace zelmo {

namespace {

constexpr int32_t kLastNumber = 99999999;

Str with_separator(Str directory) {
  if (!directory.ends_with('\\')) directory += '\\';
  return directory;
}

// The candidate path, or "" when it would not fit in a string: a cut path
// would name another file.
Str candidate(const Str& prefix, const Str& name) {
  if (prefix.length() + name.length() > Str::kMax) return Str();
  return prefix + name;
}

// A free path for name in directory; a missing directory is created first.
Str free_path_in(const Str& directory, const Str& name) {
  if (!ISDIR(directory)) return NEWDIR(directory) == 0 ? candidate(with_separator(directory), name) : Str();
  Str prefix = with_separator(directory);
  Str path = candidate(prefix, name);
  if (path.empty() || !FILEEXISTS(path)) return path;
  for (int32_t k = 0; k <= kLastNumber; ++k) {
    path = candidate(prefix, NUMBEREDNAME(name, k));
    if (path.empty() || !FILEEXISTS(path)) return path;
  }
  return Str();
}

}  // namespace

Str NUMBEREDNAME(const Str& name, int32_t k) {
  std::string digits = std::to_string(k);
  int dot = name.pos('.');
  Str stem = dot == 0 ? name : name.left(dot - 1);
  Str extension = dot == 0 ? Str() : name.copy(dot + 1, 3);
  while (stem.length() < 8) stem += '0';
  stem = stem.left(8 - static_cast<int>(digits.size())) + digits.c_str();
  return extension.empty() ? stem : stem + "." + extension;
}

Str TMPFILE(const Str& name) {
  if (!(NAMEOF(name) == name) || VALIDNAME(name) > 0 || name.contains('*') || name.contains('?'))
    return Str();
  Str path = free_path_in(GETENV("TMP"), name);
  if (path.empty()) path = free_path_in(GETENV("TEMP"), name);
  if (path.empty()) path = free_path_in(with_separator(GETDIR(0)), name);
  return path;
}

}  // namespace zelmo
