#include "platform/posix/entryword_posix.h"

#include <fcntl.h>
#include <sys/xattr.h>

#include "platform/filesys.h"
#include "platform/posix/nativestore_posix.h"
#include "platform/posix/xattrat_posix.h"

namespace zelmo::posix {

uint32_t ENTRY_WORD(int dirfd, const char* name, const std::string& full_path, const struct stat& st,
                    Store store) {
  EntryFacts facts;
  facts.regular = S_ISREG(st.st_mode);
  facts.writable = (st.st_mode & 0222) != 0;
  // Hidden for a dot name is what Samba and Wine show; a file system that
  // keeps its own attributes shows only those.
  facts.dot_name = store == Store::kSamba && IS_DOT_NAME(name);
  if (S_ISLNK(st.st_mode)) {
    // A link holds no user values of its own; only its target's type counts.
    struct stat target;
    facts.directory = fstatat(dirfd, name, &target, 0) == 0 && S_ISDIR(target.st_mode);
    return SHOWN_WORD(facts, DosAttrib()) | kReparsePoint;
  }
  facts.directory = S_ISDIR(st.st_mode);
  // Only regular files and directories hold attributes.
  if (!facts.regular && !facts.directory) return SHOWN_WORD(facts, DosAttrib());
  if (store != Store::kSamba) return NATIVE_ENTRY_WORD(store, dirfd, name, full_path, st);
  DosAttrib stored;
  std::string value;
  auto get = [&](void* buffer, size_t size) {
    return lgetxattr(full_path.c_str(), kDosAttribName, buffer, size);
  };
  int got = GET_VALUE_AT(dirfd, name, kDosAttribName, value);
  if (got == ENOSYS) got = READ_VALUE(get, value);
  if (got == 0) stored = DECODE_DOSATTRIB(value);
  return SHOWN_WORD(facts, stored);
}

}  // namespace zelmo::posix
