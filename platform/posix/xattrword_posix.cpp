// NTFS's word (system.ntfs_attrib, on ntfs-3g and the kernel's ntfs3) and
// an SMB server's word (user.cifs.dosattrib, on a cifs mount): each the
// whole word in one extended attribute. Read-only is a bit of the word like
// the others; the driver shows it in the permission bits where it does.
#include <sys/xattr.h>

#include <cerrno>

#include "platform/posix/attrstore_posix.h"
#include "platform/posix/nativestore_posix.h"
#include "platform/posix/xattrat_posix.h"

namespace zelmo::posix {

namespace {

const char* value_name(Store store) { return store == Store::kNtfs ? kNtfsWordName : kSmbWordName; }

}  // namespace

uint32_t XATTR_ENTRY_WORD(Store store, int dirfd, const char* name, const std::string& full_path,
                          const struct stat& st) {
  const char* xattr = value_name(store);
  std::string value;
  int got = GET_VALUE_AT(dirfd, name, xattr, value);
  if (got == ENOSYS) {
    auto get = [&](void* buffer, size_t size) { return lgetxattr(full_path.c_str(), xattr, buffer, size); };
    got = READ_VALUE(get, value);
  }
  uint32_t stored = 0;
  if (got != 0 || !WORD_OF_VALUE(store, value, stored)) stored = 0;
  return SHOWN_NATIVE_WORD(stored, S_ISDIR(st.st_mode));
}

int STORE_XATTR_WORD(Store store, int dirfd, const std::string& name, const struct stat& st, uint32_t word) {
  const char* xattr = value_name(store);
  // By path only: on a share, opening the file would open it on the server,
  // where another client's share mode may refuse it; a change of attributes
  // needs no such opening there.
  Target target;
  if (int error = target.open(dirfd, name, st, Reach::kPathOnly)) return error;
  std::string value;
  if (int error = target.get(value, xattr)) return error == ENODATA ? ENOTSUP : error;
  uint32_t stored = 0;
  // A value of another size is no word this tool knows: never overwritten.
  if (!WORD_OF_VALUE(store, value, stored)) return EILSEQ;
  uint32_t merged = MERGED_WORD(store, stored, word);
  if (merged == stored) return 0;
  return target.set(VALUE_OF_WORD(store, merged), xattr);
}

}  // namespace zelmo::posix
