#include "support/recordfile.h"

#include <cstring>

namespace zelmo {

namespace {

constexpr int kShortRead = 38;  // the platform's code for reading past the end

}  // namespace

int RecordFile::open(const Str& name, OpenMode mode) {
  close();
  return FILE_OPEN(name, mode, handle_);
}

int RecordFile::count(int64_t& records) {
  int64_t size = 0;
  int failed = FILE_SIZE(handle_, size);
  records = size / kSize;
  return failed;
}

int RecordFile::write(int64_t n, const Str& path) {
  char record[kSize] = {};
  record[0] = static_cast<char>(Str::kMax);
  std::memcpy(record + 1, path.data(), static_cast<size_t>(path.length()));
  int failed = FILE_SEEK(handle_, n * kSize);
  return failed != 0 ? failed : FILE_WRITE(handle_, record, sizeof record);
}

int RecordFile::read(int64_t n, Str& text) {
  char record[kSize];
  size_t got = 0;
  int failed = FILE_SEEK(handle_, n * kSize);
  if (failed == 0) failed = FILE_READ(handle_, record, sizeof record, got);
  if (failed != 0) return failed;
  if (got != sizeof record) return kShortRead;
  text = Str(record + 1, kSize - 1);
  return 0;
}

int RecordFile::close() {
  if (!is_open()) return 0;
  int failed = FILE_CLOSE(handle_);
  handle_ = kNoFile;
  return failed;
}

}  // namespace zelmo
