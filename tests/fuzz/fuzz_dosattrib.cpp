// The reader and writer of user.DOSATTRIB values on arbitrary bytes: anyone
// who may write a file's extended attributes chooses this input, so no value
// may crash the tool or make it read or write past the value's end.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/posix/dosattrib.h"
#include "tests/fuzz/check.h"

namespace zelmo::posix {
namespace {

constexpr uint32_t kNotStored = ~kStoredBits;

size_t round_up(size_t off, size_t to) { return (off + to - 1) / to * to; }

// Where a record's structure begins: after its text, its NUL, the version and
// level, each part aligned as the record lays it out.
size_t struct_offset(std::string_view value) { return round_up(round_up(value.find('\0') + 1, 2) + 4, 4); }

uint32_t u32_at(std::string_view v, size_t off) {
  uint32_t x = 0;
  for (int i = 3; i >= 0; --i) x = x << 8 | uint8_t(v[off + i]);
  return x;
}

// A record rewritten with new bits keeps its version, every byte of its
// structure but the attribute (and, from version 3, the valid flag for it),
// and the bits of the attribute the tool does not own.
void check_record_rewrite(std::string_view old, const DosAttrib& d, std::string_view rewritten) {
  size_t old_at = struct_offset(old);
  size_t new_at = struct_offset(rewritten);
  FUZZ_CHECK(rewritten.size() - new_at == old.size() - old_at);
  std::string_view old_struct = old.substr(old_at);
  std::string_view new_struct = rewritten.substr(new_at);
  size_t kept_from = d.version == 1 ? 4 : 8;
  FUZZ_CHECK(old_struct.substr(kept_from) == new_struct.substr(kept_from));
  if (d.version == 2) FUZZ_CHECK(old_struct.substr(0, 4) == new_struct.substr(0, 4));
  if (d.version >= 3) FUZZ_CHECK(u32_at(new_struct, 0) == (u32_at(old_struct, 0) | 1));
}

void check_rewrite(std::string_view old, const DosAttrib& d, uint32_t bits) {
  std::string rewritten = ENCODE_DOSATTRIB(old, d, bits);
  DosAttrib again = DECODE_DOSATTRIB(rewritten);
  FUZZ_CHECK(again.has_attrib);
  FUZZ_CHECK((again.attrib & kStoredBits) == (bits & kStoredBits));
  if (d.form == DosAttrib::Form::kBlob) {
    FUZZ_CHECK(again.form == DosAttrib::Form::kBlob && again.version == d.version);
    FUZZ_CHECK((again.attrib & kNotStored) == (d.has_attrib ? d.attrib & kNotStored : 0));
    check_record_rewrite(old, d, rewritten);
  } else {
    FUZZ_CHECK(again.form == DosAttrib::Form::kText && again.attrib == (bits & kStoredBits));
  }
  // Writing the same bits again changes nothing.
  FUZZ_CHECK(ENCODE_DOSATTRIB(rewritten, again, bits) == rewritten);
}

void check_shown_word(const DosAttrib& d) {
  for (int facts = 0; facts < 16; ++facts) {
    EntryFacts f{(facts & 1) != 0, (facts & 2) != 0, (facts & 4) != 0, (facts & 8) != 0};
    uint32_t word = SHOWN_WORD(f, d);
    FUZZ_CHECK((word & kNotStored) == 0);
    FUZZ_CHECK(((word & 0x10) != 0) == f.directory);
  }
}

}  // namespace
}  // namespace zelmo::posix

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelmo::posix;
  std::string_view value(reinterpret_cast<const char*>(data), size);
  DosAttrib d = DECODE_DOSATTRIB(value);
  FUZZ_CHECK(d.form != DosAttrib::Form::kNone);
  if (d.form == DosAttrib::Form::kText) FUZZ_CHECK(d.has_attrib && value.starts_with("0"));
  if (d.form == DosAttrib::Form::kBlob) FUZZ_CHECK(d.version >= 1 && d.version <= 5);
  check_shown_word(d);
  for (uint32_t bits : {0u, kStoredBits, 0x21u, 0xffffffffu, d.attrib ^ kStoredBits})
    check_rewrite(value, d, bits);
  return 0;
}
