// Path text routines shared by both builds.
#include "platform/filesys.h"

namespace zelmo {

void FSPLIT(const Str& path, Str& dir, Str& name, Str& ext) {
  dir = Str();
  name = path;
  ext = Str();
}

Str FEXPAND(const Str& path) { return path; }

}  // namespace zelmo
