// Directory search, attributes, directories and raw files.
#include "platform/filesys.h"

namespace zelmo {

int FINDFIRST(const Str&, uint32_t, SearchRec&, SearchDetail) { return kNoMoreFiles; }
int FINDNEXT(SearchRec&) { return kNoMoreFiles; }
void FINDCLOSE(SearchRec&) {}
int GETFATTR(const Str&, uint32_t& attr) {
  attr = 0;
  return 2;
}
int SETFATTR(const Str&, uint32_t) { return 5; }
int MKDIR(const Str&) { return 5; }
int CHDIR(const Str&) { return 5; }
int DELETEFILE(const Str&) { return 2; }
int FILE_OPEN(const Str&, OpenMode, FileHandle& handle) {
  handle = kNoFile;
  return 5;
}
int FILE_WRITE(FileHandle, const void*, size_t) { return 5; }
int FILE_READ(FileHandle, void*, size_t, size_t& got) {
  got = 0;
  return 5;
}
int FILE_SEEK(FileHandle, int64_t) { return 5; }
int FILE_SIZE(FileHandle, int64_t& size) {
  size = 0;
  return 5;
}
int FILE_CLOSE(FileHandle) { return 5; }

}  // namespace zelmo
