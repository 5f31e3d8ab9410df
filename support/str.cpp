#include "support/str.h"

#include <cstring>

namespace zelmo {

Str::Str(const char* text) { *this += text; }

Str::Str(const char* bytes, size_t count) { append(bytes, count); }

Str::Str(std::string_view bytes) { append(bytes.data(), bytes.size()); }

Str::Str(char c) { append(&c, 1); }

Str Str::copy(int pos, int count) const {
  if (pos < 1) pos = 1;
  if (pos > len_ || count <= 0) return {};
  int available = len_ - pos + 1;
  return Str(buf_ + pos - 1, static_cast<size_t>(count < available ? count : available));
}

int Str::pos(char c, int start) const {
  for (int i = start < 1 ? 1 : start; i <= len_; ++i)
    if (buf_[i - 1] == c) return i;
  return 0;
}

int Str::pos(std::string_view text, int start) const {
  if (start < 1) start = 1;
  if (start > len_ + 1) return 0;
  size_t found = view().find(text, static_cast<size_t>(start - 1));
  return found == std::string_view::npos ? 0 : static_cast<int>(found) + 1;
}

Str& Str::operator+=(const char* text) { return append(text, std::strlen(text)); }

Str& Str::append(const char* bytes, size_t count) {
  size_t room = static_cast<size_t>(kMax - len_);
  if (count > room) count = room;
  std::memmove(buf_ + len_, bytes, count);
  len_ = static_cast<uint8_t>(len_ + count);
  buf_[len_] = '\0';
  return *this;
}

void Str::truncate(int count) {
  if (count < 0) count = 0;
  if (count >= len_) return;
  len_ = static_cast<uint8_t>(count);
  buf_[len_] = '\0';
}

void Str::set_at(int pos, char c) {
  if (pos >= 1 && pos <= len_) buf_[pos - 1] = c;
}

char UPCASE(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

Str UPCASE(const Str& text) {
  Str result = text;
  for (int i = 1; i <= result.length(); ++i) result.set_at(i, UPCASE(result.at(i)));
  return result;
}

}  // namespace zelmo
