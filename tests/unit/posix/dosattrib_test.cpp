#include "platform/posix/dosattrib.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/filesys.h"

namespace zelmo::posix {

namespace {

using Form = DosAttrib::Form;

std::string bytes(std::initializer_list<int> list) {
  std::string out;
  for (int b : list) out += char(b);
  return out;
}

// Samba 4.17's record for +rhsa, as smbclient setmode stored it, with a creation time.
const std::string kV5 = bytes({0, 0, 5, 0, 5, 0, 0, 0, 0x11, 0, 0, 0, 0x27, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8});
const std::string kV5NoAttrib =
    bytes({0, 0, 5, 0, 5, 0, 0, 0, 0x10, 0, 0, 0, 0x27, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8});
const std::string kV4 =
    bytes({0, 0, 4, 0, 4, 0, 0, 0, 0x51, 0, 0, 0, 0x20, 0, 0, 0}) + std::string(16, '\x09');
// "0x21\0", padding, version 3, level 3, padding, then 44 bytes.
const std::string kV3 = std::string("0x21\0", 5) +
                        bytes({0, 3, 0, 3, 0, 0, 0, 0x11, 0, 0, 0, 0x21, 0, 0, 0}) + std::string(36, '\x07');
// "0x1\0", version 1, level 1, then attrib and 36 bytes.
const std::string kV1 = std::string("0x1\0", 4) + bytes({1, 0, 1, 0, 1, 0, 0, 0}) + std::string(36, '\x05');
// "0x2\0", version 2, level 2, flags 0, attrib 2, then 44 bytes.
const std::string kV2 =
    std::string("0x2\0", 4) + bytes({2, 0, 2, 0, 0, 0, 0, 0, 2, 0, 0, 0}) + std::string(44, '\x06');

std::string with_byte(std::string value, size_t at, int byte) {
  value[at] = char(byte);
  return value;
}

struct DecodeCase {
  const char* what;
  std::string value;
  Form form;
  bool has_attrib;
  uint32_t attrib;
};

}  // namespace

TEST(DosAttrib, DecodesEveryStoredForm) {
  const DecodeCase cases[] = {
      {"text", "0x2", Form::kText, true, 2},
      {"text with NUL", std::string("0x27\0", 5), Form::kText, true, 0x27},
      {"upper-case X and digits", "0X1F", Form::kText, true, 0x1f},
      {"text of 8 digits", "0x00000020", Form::kText, true, 0x20},
      {"empty", "", Form::kUnreadable, false, 0},
      {"no digits", "0x", Form::kUnreadable, false, 0},
      {"no 0x", "27", Form::kUnreadable, false, 0},
      {"not hex", "0x2g", Form::kUnreadable, false, 0},
      {"9 digits", "0x000000020", Form::kUnreadable, false, 0},
      {"NUL alone", std::string("\0", 1), Form::kUnreadable, false, 0},
      {"v5", kV5, Form::kBlob, true, 0x27},
      {"v5 without the attribute flag", kV5NoAttrib, Form::kBlob, false, 0x27},
      {"v4", kV4, Form::kBlob, true, 0x20},
      {"v3", kV3, Form::kBlob, true, 0x21},
      {"v3 without the attribute flag", with_byte(kV3, 12, 0x10), Form::kBlob, false, 0x21},
      {"v2 counts the attribute whatever its flags", kV2, Form::kBlob, true, 2},
      {"v1", kV1, Form::kBlob, true, 1},
      {"v5 with trailing bytes", kV5 + "xyz", Form::kBlob, true, 0x27},
      {"version 6", with_byte(with_byte(kV5, 2, 6), 4, 6), Form::kUnreadable, false, 0},
      {"version 0", with_byte(with_byte(kV5, 2, 0), 4, 0), Form::kUnreadable, false, 0},
      {"level differs from version", with_byte(kV5, 4, 4), Form::kUnreadable, false, 0},
      {"high byte of version", with_byte(with_byte(kV5, 3, 1), 5, 1), Form::kUnreadable, false, 0},
  };
  for (const DecodeCase& c : cases) {
    DosAttrib d = DECODE_DOSATTRIB(c.value);
    EXPECT_EQ(d.form, c.form) << c.what;
    EXPECT_EQ(d.has_attrib, c.has_attrib) << c.what;
    if (c.has_attrib || c.form == Form::kBlob) {
      EXPECT_EQ(d.attrib, c.attrib) << c.what;
    }
  }
}

TEST(DosAttrib, NeverReadsACutRecordAsARecord) {
  for (const std::string* record : {&kV1, &kV2, &kV3, &kV4, &kV5}) {
    for (size_t len = 0; len < record->size(); ++len) {
      std::string cut = record->substr(0, len);
      DosAttrib d = DECODE_DOSATTRIB(cut);
      EXPECT_NE(d.form, Form::kBlob) << "length " << len << " of a record of " << record->size();
      // A cut that leaves only the leading text reads as that text.
      if (d.form == Form::kText) {
        EXPECT_LE(len, 5u);
      }
    }
  }
  for (size_t len = 0; len < kV5.size(); ++len)
    EXPECT_EQ(DECODE_DOSATTRIB(kV5.substr(0, len)).form, Form::kUnreadable) << "length " << len;
}

struct EncodeCase {
  const char* what;
  std::string old;
  uint32_t bits;
  std::string expected;
};

TEST(DosAttrib, EncodesInTheFormFound) {
  std::string v5_hr = kV5;
  v5_hr[12] = 0x03;
  std::string v5_flag_set = kV5NoAttrib;
  v5_flag_set[8] = 0x11;
  v5_flag_set[12] = 0x01;
  std::string v5_high = with_byte(kV5, 13, 0x04);  // attrib 0x427: reparse bit kept
  std::string v5_high_r = with_byte(with_byte(kV5, 13, 0x04), 12, 0x01);
  std::string v4_a = kV4;
  v4_a[12] = 0x24;
  // The text of a v3 record follows the attribute; a shorter text moves the structure.
  std::string v3_r =
      std::string("0x1\0", 4) + bytes({3, 0, 3, 0, 0x11, 0, 0, 0, 1, 0, 0, 0}) + std::string(36, '\x07');
  std::string v1_hs = std::string("0x6\0", 4) + bytes({1, 0, 1, 0, 6, 0, 0, 0}) + std::string(36, '\x05');
  const EncodeCase cases[] = {
      {"nothing stored", "", 0, "0x0"},
      {"text with NUL becomes text without", std::string("0x20\0", 5), 0x22, "0x22"},
      {"bits other than R H S D A are not stored", "0x0", 0x1ff, "0x37"},
      {"directory", "0x10", 0x12, "0x12"},
      {"v5 keeps its creation time", kV5, 0x03, v5_hr},
      {"v5 without the flag gets it", kV5NoAttrib, 0x01, v5_flag_set},
      {"v5 keeps bits it does not show", v5_high, 0x01, v5_high_r},
      {"v4", kV4, 0x24, v4_a},
      {"v3 rewrites its text", kV3, 0x01, v3_r},
      {"v1", kV1, 0x06, v1_hs},
  };
  for (const EncodeCase& c : cases) {
    DosAttrib d = c.old.empty() ? DosAttrib() : DECODE_DOSATTRIB(c.old);
    EXPECT_EQ(ENCODE_DOSATTRIB(c.old, d, c.bits), c.expected) << c.what;
  }
}

TEST(DosAttrib, EveryRecordReadsBackWhatWasStored) {
  for (const std::string* record : {&kV1, &kV2, &kV3, &kV4, &kV5, &kV5NoAttrib}) {
    for (uint32_t bits : {0u, 1u, 0x12u, 0x27u}) {
      DosAttrib before = DECODE_DOSATTRIB(*record);
      DosAttrib after = DECODE_DOSATTRIB(ENCODE_DOSATTRIB(*record, before, bits));
      EXPECT_EQ(after.form, Form::kBlob) << "version " << before.version << " bits " << bits;
      EXPECT_EQ(after.version, before.version);
      EXPECT_TRUE(after.has_attrib);
      EXPECT_EQ(after.attrib & kStoredBits, bits) << "version " << before.version;
    }
  }
}

struct ShownCase {
  const char* what;
  EntryFacts facts;
  DosAttrib stored;
  uint32_t word;
};

TEST(DosAttrib, ShowsTheWordOfAnEntry) {
  const EntryFacts file{false, true, true, false};
  const EntryFacts unwritable{false, true, false, false};
  const EntryFacts dot_file{false, true, true, true};
  const EntryFacts dir{true, false, true, false};
  const EntryFacts unwritable_dir{true, false, false, false};
  const EntryFacts other{false, false, false, false};  // a fifo, say
  const DosAttrib none;
  const DosAttrib zero{Form::kText, true, 0, 0};
  const DosAttrib all{Form::kText, true, 0x37, 0};
  const DosAttrib bad{Form::kUnreadable, false, 0, 0};
  const DosAttrib flag_off{Form::kBlob, false, 0x27, 5};
  const DosAttrib high{Form::kBlob, true, 0x420, 5};
  const ShownCase cases[] = {
      {"plain file: no Archive", file, none, 0},
      {"file without write bits", unwritable, none, kReadOnly},
      {"stored Read-only on a writable file", file, DosAttrib{Form::kText, true, 1, 0}, kReadOnly},
      {"dot-file", dot_file, none, kHidden},
      {"dot-file with 0 stored", dot_file, zero, 0},
      {"dot-file with an unreadable value", dot_file, bad, kHidden},
      {"dot-file whose record lacks the attribute", dot_file, flag_off, kHidden},
      {"stored D on a file is not shown", file, all, kReadOnly | kHidden | kSystem | kArchive},
      {"directory", dir, none, kDirectory},
      {"directory without write bits", unwritable_dir, none, kDirectory},
      {"directory with everything stored", dir, all, 0x37},
      {"bits beyond R H S A are not shown", file, high, kArchive},
      {"neither file nor directory", other, none, 0},
  };
  for (const ShownCase& c : cases) EXPECT_EQ(SHOWN_WORD(c.facts, c.stored), c.word) << c.what;
}

TEST(DosAttrib, TellsDotNames) {
  EXPECT_TRUE(IS_DOT_NAME(".profile"));
  EXPECT_TRUE(IS_DOT_NAME("..."));
  EXPECT_FALSE(IS_DOT_NAME("."));
  EXPECT_FALSE(IS_DOT_NAME(".."));
  EXPECT_FALSE(IS_DOT_NAME("a.b"));
  EXPECT_FALSE(IS_DOT_NAME(""));
}

}  // namespace zelmo::posix
