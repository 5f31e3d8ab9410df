// A text file written line by line with CR LF line ends, buffered.
#pragma once

#include "platform/filesys.h"
#include "support/str.h"

namespace zelmo {

class TextFile {
 public:
  TextFile() = default;
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;
  ~TextFile() { close(); }

  // Opens an existing file at its start, leaving it as it is, or creates
  // it; existed tells which (FILE_OPEN_OR_CREATE).
  int open(const Str& name, bool& existed);
  // Empties the open file.
  int truncate();
  // Goes to the end of the open file, where the next line is then added.
  int seek_end();
  bool is_open() const { return handle_ != kNoFile; }
  // Writes the text and CR LF. 0, or the error; a closed file is an error.
  int write_line(const Str& text);
  // Sends what is buffered to the file.
  int flush();
  // Flushes and closes; 0 or the first error met.
  int close();

 private:
  static constexpr int kBufferSize = 64 * 1024;
  FileHandle handle_ = kNoFile;
  int used_ = 0;
  char buffer_[kBufferSize];
};

}  // namespace zelmo
