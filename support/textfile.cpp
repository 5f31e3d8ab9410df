#include "support/textfile.h"

#include <cstring>

namespace zelmo {

namespace {

constexpr int kNotOpen = 6;  // the platform's code for an invalid handle

}  // namespace

int TextFile::open(const Str& name, bool& existed) {
  close();
  used_ = 0;
  return FILE_OPEN_OR_CREATE(name, handle_, existed);
}

int TextFile::truncate() {
  if (!is_open()) return kNotOpen;
  used_ = 0;
  return FILE_TRUNCATE(handle_);
}

int TextFile::seek_end() {
  if (!is_open()) return kNotOpen;
  int64_t size = 0;
  if (int failed = flush()) return failed;
  if (int failed = FILE_SIZE(handle_, size)) return failed;
  return FILE_SEEK(handle_, size);
}

int TextFile::write_line(const Str& text) {
  if (!is_open()) return kNotOpen;
  if (used_ + text.length() + 2 > kBufferSize) {
    int failed = flush();
    if (failed != 0) return failed;
  }
  std::memcpy(buffer_ + used_, text.data(), static_cast<size_t>(text.length()));
  used_ += text.length();
  buffer_[used_++] = '\r';
  buffer_[used_++] = '\n';
  return 0;
}

int TextFile::flush() {
  if (!is_open()) return kNotOpen;
  int failed = used_ > 0 ? FILE_WRITE(handle_, buffer_, static_cast<size_t>(used_)) : 0;
  used_ = 0;
  return failed;
}

int TextFile::close() {
  if (!is_open()) return kNotOpen;
  int failed = flush();
  int closed = FILE_CLOSE(handle_);
  handle_ = kNoFile;
  return failed != 0 ? failed : closed;
}

}  // namespace zelmo
