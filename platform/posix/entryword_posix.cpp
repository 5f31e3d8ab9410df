#include "platform/posix/entryword_posix.h"

#include <fcntl.h>
#include <sys/xattr.h>

#include "platform/filesys.h"
#include "platform/posix/xattrat_posix.h"

namespace zelmo::posix {

uint32_t ENTRY_WORD(int dirfd, const char* name, const std::string& full_path, const struct stat& st) {
  EntryFacts facts;
  facts.regular = S_ISREG(st.st_mode);
  facts.writable = (st.st_mode & 0222) != 0;
  facts.dot_name = IS_DOT_NAME(name);
  if (S_ISLNK(st.st_mode)) {
    // A link holds no user values of its own; only its target's type counts.
    struct stat target;
    facts.directory = fstatat(dirfd, name, &target, 0) == 0 && S_ISDIR(target.st_mode);
    return SHOWN_WORD(facts, DosAttrib()) | kReparsePoint;
  }
  facts.directory = S_ISDIR(st.st_mode);
  DosAttrib stored;
  // Only regular files and directories can hold user values.
  if (facts.regular || facts.directory) {
    std::string value;
    auto get = [&](void* buffer, size_t size) {
      return lgetxattr(full_path.c_str(), kDosAttribName, buffer, size);
    };
    int got = GET_VALUE_AT(dirfd, name, value);
    if (got == ENOSYS) got = READ_VALUE(get, value);
    if (got == 0) stored = DECODE_DOSATTRIB(value);
  }
  return SHOWN_WORD(facts, stored);
}

}  // namespace zelmo::posix
