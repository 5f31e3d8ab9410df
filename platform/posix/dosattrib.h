// The value of the extended attribute user.DOSATTRIB, where Samba keeps the
// attributes of its shares' files and Wine reads them: either the text
// "0x.." (hex of the bits) or Samba's binary record. Pure byte work, no I/O.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelmo::posix {

// The bits this value may carry for the tool: R, H, S, D and A.
constexpr uint32_t kStoredBits = 0x37;

struct DosAttrib {
  enum class Form {
    kNone,        // no value stored
    kUnreadable,  // a value that cannot be decoded
    kText,        // "0x.." with or without a closing NUL
    kBlob,        // Samba's binary record, versions 1 to 5
  };
  Form form = Form::kNone;
  // Whether attrib counts: false for a record whose valid flags lack it.
  bool has_attrib = false;
  uint32_t attrib = 0;
  uint16_t version = 0;  // of a record
};

// Decodes a stored value; every length is checked before it is read, and
// whatever cannot be decoded is kUnreadable.
DosAttrib DECODE_DOSATTRIB(std::string_view value);

// The value to store so that bits (R H S D A) replace the stored ones.
// A record (old decoded as kBlob) is rewritten in its own version with only
// those bits changed, the valid flag for them set, and every other byte kept;
// otherwise the text "0x%x" without a NUL.
// REQUIRES: decoded == DECODE_DOSATTRIB(old).
std::string ENCODE_DOSATTRIB(std::string_view old, const DosAttrib& decoded, uint32_t bits);

// The attribute word shown for an entry: Directory from its type; Read-only
// when stored or for a regular file without any write permission bit; Hidden,
// System and Archive as stored. Without a stored attribute (none, unreadable,
// or a record whose valid flags lack it): no Archive, and Hidden for a name
// that begins with "." (but not "." and "..").
struct EntryFacts {
  bool directory = false;
  bool regular = false;
  bool writable = false;  // any write permission bit
  bool dot_name = false;  // begins with "." and is neither "." nor ".."
};
uint32_t SHOWN_WORD(const EntryFacts& facts, const DosAttrib& stored);

// Whether a name begins with "." and is neither "." nor "..".
bool IS_DOT_NAME(std::string_view name);

}  // namespace zelmo::posix
