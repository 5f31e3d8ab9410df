#include "support/recordfile.h"

#include <cstring>

namespace zelmo {

namespace {

constexpr int kShortRead = 38;  // the platform's code for reading past the end

}  // namespace

int RecordFile::create(const Str& name) {
  close();
  held_.count = 0;
  ahead_.count = 0;
  return FILE_CREATE_NEW(name, handle_);
}

int RecordFile::count(int64_t& records) {
  records = 0;
  int64_t size = 0;
  int failed = flush();
  if (failed == 0) failed = FILE_SIZE(handle_, size);
  records = size / kSize;
  return failed;
}

int RecordFile::write(int64_t n, const Str& path) {
  // Only a record that continues the held run joins it.
  if (held_.count > 0 && n != held_.first + held_.count) {
    if (int failed = flush()) return failed;
  }
  if (held_.count == 0) held_.first = n;
  ++held_.count;
  char* record = held_.record(n);
  std::memset(record, 0, kSize);
  record[0] = static_cast<char>(Str::kMax);
  std::memcpy(record + 1, path.data(), static_cast<size_t>(path.length()));
  // A copy read ahead of this record is no longer what the file holds.
  if (ahead_.holds(n)) ahead_.count = 0;
  return held_.count == kBlock ? flush() : 0;
}

int RecordFile::read(int64_t n, Str& text) {
  Block* from = held_.holds(n) ? &held_ : ahead_.holds(n) ? &ahead_ : nullptr;
  if (from == nullptr) {
    // The disk must hold every record written before it is read.
    if (int failed = flush()) return failed;
    size_t got = 0;
    ahead_.count = 0;
    if (int failed = FILE_READ_AT(handle_, n * kSize, ahead_.bytes, sizeof ahead_.bytes, got)) return failed;
    ahead_.first = n;
    ahead_.count = static_cast<int>(got / kSize);
    if (ahead_.count == 0) return kShortRead;
    from = &ahead_;
  }
  text = Str(from->record(n) + 1, kSize - 1);
  return 0;
}

int RecordFile::flush() {
  if (held_.count == 0) return 0;
  int count = held_.count;
  held_.count = 0;
  return FILE_WRITE_AT(handle_, held_.first * kSize, held_.bytes, static_cast<size_t>(count) * kSize);
}

int RecordFile::close_and_delete(const Str& name) {
  if (!is_open()) return 0;
  held_.count = 0;
  ahead_.count = 0;
  int failed = FILE_CLOSE_AND_DELETE(handle_, name);
  handle_ = kNoFile;
  return failed;
}

int RecordFile::close() {
  if (!is_open()) return 0;
  int failed = flush();
  int closed = FILE_CLOSE(handle_);
  handle_ = kNoFile;
  return failed != 0 ? failed : closed;
}

}  // namespace zelmo
