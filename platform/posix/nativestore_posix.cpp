#include "platform/posix/nativestore_posix.h"

#include "platform/filesys.h"
#include "platform/posix/attrstore_posix.h"
#include "platform/posix/dosattrib.h"

namespace zelmo::posix {

uint32_t MODE_WORD(const struct stat& st) {
  EntryFacts facts{S_ISDIR(st.st_mode), S_ISREG(st.st_mode), (st.st_mode & 0222) != 0, false};
  return SHOWN_WORD(facts, DosAttrib());
}

uint32_t NATIVE_ENTRY_WORD(Store store, int dirfd, const char* name, const std::string& full_path,
                           const struct stat& st) {
  switch (store) {
    case Store::kNtfs:
    case Store::kSmb:
      return XATTR_ENTRY_WORD(store, dirfd, name, full_path, st);
    case Store::kFat:
      return FAT_ENTRY_WORD(dirfd, name, st);
    default:
      return MODE_WORD(st);
  }
}

int STORE_NATIVE_WORD(Store store, int dirfd, const std::string& name, const struct stat& st, uint32_t word) {
  switch (store) {
    case Store::kNtfs:
    case Store::kSmb:
      return STORE_XATTR_WORD(store, dirfd, name, st, word);
    case Store::kFat:
      return STORE_FAT_WORD(dirfd, name, st, word);
    default: {
      // Nothing keeps Hidden, System or Archive here: only Read-only of a
      // regular file, as its write permission bits; on exFAT only the
      // setting of it lasts.
      if (store == Store::kExfat && (MODE_WORD(st) & ~word & kReadOnly) != 0) return ENOTSUP;
      Target target;
      if (int error = target.open(dirfd, name, st, Reach::kPathOnly)) return error;
      return STORE_MODE_WORD(target, word, false);
    }
  }
}

}  // namespace zelmo::posix
