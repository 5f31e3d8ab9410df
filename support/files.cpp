#include "support/files.h"

#include "platform/filesys.h"
#include "support/names.h"
#include "support/strings.h"

namespace zelmo {

namespace {

// Files of any attributes; no directories, no volume labels.
constexpr uint32_t kFilesOnly = 102;

// The search of one file by its name; false when none is found.
bool find_file(const Str& name, SearchRec& entry) {
  if (name.last() == '.' || name.contains('*') || name.contains('?')) return false;
  bool found = FINDFIRST(name, kFilesOnly, entry) == 0;
  FINDCLOSE(entry);
  return found;
}

}  // namespace

int32_t EXIST(const Str& name) {
  SearchRec entry;
  return find_file(name, entry) ? entry.size : -1;
}

bool FILEEXISTS(const Str& name) {
  SearchRec entry;
  return find_file(name, entry);
}

bool ISDIR(const Str& name) {
  if (name.pos("\\\\", 2) != 0) return false;
  if (name == "\\\\") return false;
  uint32_t attr = 0;
  if (GETFATTR(name, attr) != 0) return false;
  return (attr & kDirectory) != 0;
}

int16_t NEWDIR(const Str& path) {
  uint8_t invalid = VALIDNAME(path);
  if (invalid > 0) return invalid;
  // A network path would be built as directories below the drive's root.
  if (path.starts_with("\\\\")) return -3;
  Str saved = GETDIR(0);
  Str rest = path;
  if (rest.length() >= 2 && rest.at(2) == ':') {
    if (CHDIR(rest.left(2)) != 0) {
      CHDIR(saved);
      return -1;
    }
    rest = rest.from(3);
  }
  bool made = false;
  bool first_part = true;
  while (!rest.empty()) {
    Str head, tail;
    TESTA_CODA(rest, "\\", head, tail);
    if (!first_part) head = head.from(2);
    first_part = false;
    if (CHDIR(head) != 0) {
      if (head == "..") {
        CHDIR(saved);
        return -2;
      }
      if (MKDIR(head) == 0) made = true;
      if (CHDIR(head) != 0) {
        CHDIR(saved);
        return -3;
      }
    }
    rest = tail;
  }
  CHDIR(saved);
  return made ? 0 : -4;
}

}  // namespace zelmo
