// Reading and setting the attribute word of a named entry.
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "platform/filesys.h"
#include "platform/posix/attrstore_posix.h"
#include "platform/posix/dosattrib.h"
#include "platform/posix/entryword_posix.h"
#include "platform/posix/nativestore_posix.h"
#include "platform/posix/resolve_posix.h"
#include "platform/posix/storechoice_posix.h"

namespace zelmo {

using posix::OpenDir;

int GETFATTR(const Str& name, uint32_t& attr) {
  attr = 0;
  OpenDir dir;
  std::string entry;
  struct stat st;
  if (int error = posix::LOCATE(name, dir, entry, &st)) return error;
  posix::Store store = posix::ENTRY_STORE(dir.fd(), entry.c_str(), st);
  attr = posix::ENTRY_WORD(dir.fd(), entry.c_str(), dir.path() + "/" + entry, st, store);
  return 0;
}

int SETFATTR(const Str& name, uint32_t attr) {
  OpenDir dir;
  std::string entry;
  struct stat st;
  if (int error = posix::LOCATE(name, dir, entry, &st)) return error;
  posix::Store store = posix::ENTRY_STORE(dir.fd(), entry.c_str(), st);
  if (store != posix::Store::kSamba) return posix::STORE_NATIVE_WORD(store, dir.fd(), entry, st, attr);
  // Most changes touch the value alone and need no descriptor of the entry.
  int stored = posix::STORE_WORD_AT(dir.fd(), entry, st, attr);
  if (stored != posix::kNeedsTarget) return stored;
  posix::Target target;
  if (int error = target.open(dir.fd(), entry, st)) return error;
  return posix::STORE_WORD(target, attr, posix::IS_DOT_NAME(entry));
}

}  // namespace zelmo
