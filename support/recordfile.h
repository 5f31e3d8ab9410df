// A file of fixed 256-byte records: the subdirectory list.
#pragma once

#include <cstdint>

#include "platform/filesys.h"
#include "support/str.h"

namespace zelmo {

// Records travel to and from the disk in blocks, so that a long list costs
// one system call per block rather than one or two per record. The blocks
// are of a fixed size: memory does not grow with the list.
class RecordFile {
 public:
  static constexpr int kSize = 256;

  RecordFile() = default;
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;
  ~RecordFile() { close(); }

  // Creates the file, which must not exist (FILE_CREATE_NEW), for writing and
  // reading back through this one object.
  int create(const Str& name);
  bool is_open() const { return handle_ != kNoFile; }
  // The number of whole records in the file, those still held back included.
  int count(int64_t& records);
  // Writes a record at record number n: 255, the path, NUL padding. The
  // record may be held back until its block is full, a read or the count
  // needs the disk, or the file is closed: a failure to store it is
  // reported by that call.
  int write(int64_t n, const Str& path);
  // Reads record n; the 255 bytes after the length byte, NULs included.
  // Records held back are read as written.
  int read(int64_t n, Str& text);
  // Stores the records held back.
  int flush();
  // Stores what is held back and closes the file; the first failure counts.
  int close();
  // Drops what is held back, closes the file and deletes it, only while name
  // still names it (FILE_CLOSE_AND_DELETE).
  int close_and_delete(const Str& name);

 private:
  static constexpr int kBlock = 32;  // records

  // A run of consecutive records, from record first on.
  struct Block {
    int64_t first = 0;
    int count = 0;
    char bytes[kBlock * kSize];
    bool holds(int64_t n) const { return n >= first && n < first + count; }
    char* record(int64_t n) { return bytes + (n - first) * kSize; }
  };

  FileHandle handle_ = kNoFile;
  Block held_;   // written, not yet on disk
  Block ahead_;  // read from disk ahead of need
};

}  // namespace zelmo
