// The one string type of the tool: a byte string of 0 to 255 bytes that keeps
// its length. Every way of building a longer text keeps the first 255 bytes,
// so no caller can overflow it. Positions count from 1, as the routines that
// speak of positions expect; 0 means "not found".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zelmo {

class Str {
 public:
  static constexpr int kMax = 255;

  Str() = default;
  Str(const char* text);  // NOLINT(google-explicit-constructor): literals read as texts
  Str(const char* bytes, size_t count);
  explicit Str(std::string_view bytes);
  explicit Str(char c);

  int length() const { return len_; }
  bool empty() const { return len_ == 0; }
  const char* data() const { return buf_; }
  // The bytes followed by a NUL, for the platform's calls.
  const char* c_str() const { return buf_; }
  std::string_view view() const { return {buf_, len_}; }

  // The byte at position pos (1 to length); 0 outside the text.
  char at(int pos) const { return pos >= 1 && pos <= len_ ? buf_[pos - 1] : '\0'; }
  char first() const { return at(1); }
  char last() const { return at(len_); }

  // count bytes from position pos on, as far as the text goes.
  Str copy(int pos, int count) const;
  // Everything from position pos to the end.
  Str from(int pos) const { return copy(pos, kMax); }
  // The first count bytes.
  Str left(int count) const { return copy(1, count); }

  // Position of the first c (or text) at or after position start; 0 when none.
  int pos(char c, int start = 1) const;
  int pos(std::string_view text, int start = 1) const;
  bool contains(char c) const { return pos(c) != 0; }
  bool ends_with(char c) const { return len_ > 0 && buf_[len_ - 1] == c; }
  bool starts_with(std::string_view text) const { return view().substr(0, text.size()) == text; }

  // Appending keeps the first 255 bytes of the result.
  Str& operator+=(const Str& other) { return append(other.buf_, other.len_); }
  Str& operator+=(const char* text);
  Str& operator+=(char c) { return append(&c, 1); }
  Str& append(const char* bytes, size_t count);

  // Keeps the first count bytes (no effect when count is not below the length).
  void truncate(int count);
  void set_at(int pos, char c);

  friend bool operator==(const Str& a, const Str& b) { return a.view() == b.view(); }
  friend bool operator==(const Str& a, const char* b) { return a.view() == std::string_view(b); }
  friend Str operator+(Str a, const Str& b) { return a += b; }
  friend Str operator+(Str a, const char* b) { return a += b; }
  friend Str operator+(Str a, char c) { return a += c; }

 private:
  uint8_t len_ = 0;
  char buf_[kMax + 1] = {};
};

// Upper-casing as the tool does it everywhere: only a to z change.
char UPCASE(char c);
Str UPCASE(const Str& text);

}  // namespace zelmo
