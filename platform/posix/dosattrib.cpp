// Samba's record, little-endian: a NUL-terminated text ("0x.." in versions 1
// to 3, empty in 4 and 5), padding to an even offset, a 16-bit version and a
// 16-bit level equal to it, padding to a multiple of 4, then the version's
// structure. Version 1 begins with the attribute; versions 2 to 5 with valid
// flags and then the attribute, which in 3 to 5 counts only under flag 0x01.
#include "platform/posix/dosattrib.h"

#include <cstdio>

#include "platform/filesys.h"

namespace zelmo::posix {

namespace {

constexpr uint32_t kValidAttrib = 0x01;

// The smallest structure each version can have; a shorter record is cut off.
constexpr size_t kStructSize[] = {0, 40, 52, 44, 24, 16};

uint32_t read_u16(std::string_view v, size_t off) {
  return uint8_t(v[off]) | uint32_t(uint8_t(v[off + 1])) << 8;
}

uint32_t read_u32(std::string_view v, size_t off) { return read_u16(v, off) | read_u16(v, off + 2) << 16; }

void write_u32(std::string& v, size_t off, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[off + i] = char(x >> (8 * i));
}

size_t round_up(size_t off, size_t to) { return (off + to - 1) / to * to; }

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "0x" and 1 to 8 hex digits, nothing else.
bool parse_hex_text(std::string_view text, uint32_t& value) {
  if (text.size() < 3 || text.size() > 10 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
    return false;
  value = 0;
  for (char c : text.substr(2)) {
    int d = hex_digit(c);
    if (d < 0) return false;
    value = value << 4 | uint32_t(d);
  }
  return true;
}

// Where the record's structure begins, after its text, version and level;
// 0 when the record is too short for them.
size_t struct_offset(std::string_view value, size_t text_len) {
  size_t off = round_up(text_len + 1, 2);
  if (off + 4 > value.size()) return 0;
  return round_up(off + 4, 4);
}

std::string hex_text(uint32_t bits) {
  char text[16];
  int n = std::snprintf(text, sizeof text, "0x%x", bits);
  return std::string(text, size_t(n));
}

}  // namespace

DosAttrib DECODE_DOSATTRIB(std::string_view value) {
  DosAttrib out;
  out.form = DosAttrib::Form::kUnreadable;
  size_t nul = value.find('\0');
  std::string_view text = value.substr(0, nul);
  if (nul == std::string_view::npos || nul + 1 == value.size()) {
    if (parse_hex_text(text, out.attrib)) {
      out.form = DosAttrib::Form::kText;
      out.has_attrib = true;
    }
    return out;
  }
  size_t ver_off = round_up(nul + 1, 2);
  size_t off = struct_offset(value, nul);
  if (off == 0) return out;
  uint32_t version = read_u16(value, ver_off);
  if (version < 1 || version > 5 || read_u16(value, ver_off + 2) != version) return out;
  if (off + kStructSize[version] > value.size()) return out;
  out.form = DosAttrib::Form::kBlob;
  out.version = uint16_t(version);
  if (version == 1) {
    out.attrib = read_u32(value, off);
    out.has_attrib = true;
  } else {
    out.attrib = read_u32(value, off + 4);
    out.has_attrib = version == 2 || (read_u32(value, off) & kValidAttrib) != 0;
  }
  return out;
}

std::string ENCODE_DOSATTRIB(std::string_view old, const DosAttrib& decoded, uint32_t bits) {
  bits &= kStoredBits;
  if (decoded.form != DosAttrib::Form::kBlob) return hex_text(bits);
  uint32_t attrib = (decoded.has_attrib ? decoded.attrib & ~kStoredBits : 0) | bits;
  size_t old_text_len = old.find('\0');
  size_t old_struct = struct_offset(old, old_text_len);
  // The text mirrors the attribute where the record carries one (versions 1
  // to 3, read by programs that know only the text form).
  std::string out = old_text_len == 0 ? std::string() : hex_text(attrib);
  out += '\0';
  out.resize(round_up(out.size(), 2), '\0');
  size_t ver_off = round_up(old_text_len + 1, 2);
  out += old.substr(ver_off, 4);
  out.resize(round_up(out.size(), 4), '\0');
  size_t off = out.size();
  out += old.substr(old_struct);
  if (decoded.version == 1) {
    write_u32(out, off, attrib);
  } else {
    if (decoded.version >= 3) write_u32(out, off, read_u32(out, off) | kValidAttrib);
    write_u32(out, off + 4, attrib);
  }
  return out;
}

bool IS_DOT_NAME(std::string_view name) {
  return !name.empty() && name[0] == '.' && name != "." && name != "..";
}

uint32_t SHOWN_WORD(const EntryFacts& facts, const DosAttrib& stored) {
  uint32_t word = facts.directory ? uint32_t(kDirectory) : 0u;
  if (facts.regular && !facts.writable) word |= kReadOnly;
  bool has = stored.has_attrib && stored.form != DosAttrib::Form::kUnreadable;
  if (has) {
    word |= stored.attrib & (kReadOnly | kHidden | kSystem | kArchive);
  } else if (facts.dot_name) {
    word |= kHidden;
  }
  return word;
}

}  // namespace zelmo::posix
