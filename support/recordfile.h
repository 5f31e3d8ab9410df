// A file of fixed 256-byte records: the subdirectory list.
#pragma once

#include <cstdint>

#include "platform/filesys.h"
#include "support/str.h"

namespace zelmo {

class RecordFile {
 public:
  static constexpr int kSize = 256;

  RecordFile() = default;
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;
  ~RecordFile() { close(); }

  // kCreateNew for a new list, kReadOnly to read one back.
  int open(const Str& name, OpenMode mode);
  bool is_open() const { return handle_ != kNoFile; }
  // The number of whole records in the file.
  int count(int64_t& records);
  // Writes a record at record number n: 255, the path, NUL padding.
  int write(int64_t n, const Str& path);
  // Reads record n; the 255 bytes after the length byte, NULs included.
  int read(int64_t n, Str& text);
  int close();

 private:
  FileHandle handle_ = kNoFile;
};

}  // namespace zelmo
