#include "platform/posix/keys_posix.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace zelmo {
namespace {

const uint8_t* bytes_of(std::string_view text) { return reinterpret_cast<const uint8_t*>(text.data()); }

// The codes that the console hands out for bytes that all arrived together,
// with the time-out passing after the last of them.
std::vector<int> codes_of(std::string_view input) {
  std::vector<int> codes;
  size_t at = 0;
  while (at < input.size()) {
    KeyScan scan = SCAN_KEY(bytes_of(input) + at, input.size() - at, false);
    if (scan.used == 0) scan = SCAN_KEY(bytes_of(input) + at, input.size() - at, true);
    if (scan.used == 0) {
      ADD_FAILURE() << "no progress at byte " << at;
      break;
    }
    at += scan.used;
    for (size_t i = 0; i < scan.count; ++i) codes.push_back(scan.codes[i]);
  }
  return codes;
}

struct KeyCase {
  const char* name;
  std::string_view input;
  std::vector<int> codes;
};

const KeyCase kKeyCases[] = {
    {"letter", "a", {'a'}},
    {"Enter", "\r", {13}},
    {"Ctrl+Enter (LF)", "\n", {10}},
    {"Tab", "\t", {9}},
    {"Backspace as DEL", "\x7f", {8}},
    {"Backspace as BS", "\x08", {8}},
    {"lone Esc", "\x1b", {27}},
    {"Esc Esc", "\x1b\x1b", {27, 27}},
    {"UTF-8 bytes one by one", "\xc3\xa0", {0xc3, 0xa0}},
    {"Esc before UTF-8 drops only the Esc", "\x1b\xc3\xa0", {0xc3, 0xa0}},
    {"F1 SS3", "\x1bOP", {0, 59}},
    {"F2 SS3", "\x1bOQ", {0, 60}},
    {"F3 SS3", "\x1bOR", {0, 61}},
    {"F4 SS3", "\x1bOS", {0, 62}},
    {"F1 old xterm", "\x1b[11~", {0, 59}},
    {"F4 old xterm", "\x1b[14~", {0, 62}},
    {"F5", "\x1b[15~", {0, 63}},
    {"F6", "\x1b[17~", {0, 64}},
    {"F7", "\x1b[18~", {0, 65}},
    {"F8", "\x1b[19~", {0, 66}},
    {"F9", "\x1b[20~", {0, 67}},
    {"F10", "\x1b[21~", {0, 68}},
    {"F11", "\x1b[23~", {0, 133}},
    {"F12", "\x1b[24~", {0, 134}},
    {"F1 Linux console", "\x1b[[A", {0, 59}},
    {"F5 Linux console", "\x1b[[E", {0, 63}},
    {"Shift+F1", "\x1b[1;2P", {0, 84}},
    {"Shift+F4", "\x1b[1;2S", {0, 87}},
    {"Shift+F1 SS3 with modifier", "\x1bO2P", {0, 84}},
    {"Shift+F5", "\x1b[15;2~", {0, 88}},
    {"Shift+F10", "\x1b[21;2~", {0, 93}},
    {"Ctrl+F1", "\x1b[1;5P", {0, 94}},
    {"Ctrl+F10", "\x1b[21;5~", {0, 103}},
    {"Alt+F1", "\x1b[1;3P", {0, 104}},
    {"Alt+F10", "\x1b[21;3~", {0, 113}},
    {"Shift+F11", "\x1b[23;2~", {0, 135}},
    {"Shift+F12", "\x1b[24;2~", {0, 136}},
    {"Ctrl+F11", "\x1b[23;5~", {0, 137}},
    {"Ctrl+F12", "\x1b[24;5~", {0, 138}},
    {"Alt+F11", "\x1b[23;3~", {0, 139}},
    {"Alt+F12", "\x1b[24;3~", {0, 140}},
    {"Up", "\x1b[A", {0, 72}},
    {"Down", "\x1b[B", {0, 80}},
    {"Right", "\x1b[C", {0, 77}},
    {"Left", "\x1b[D", {0, 75}},
    {"Home", "\x1b[H", {0, 71}},
    {"End", "\x1b[F", {0, 79}},
    {"Up SS3", "\x1bOA", {0, 72}},
    {"Down SS3", "\x1bOB", {0, 80}},
    {"Right SS3", "\x1bOC", {0, 77}},
    {"Left SS3", "\x1bOD", {0, 75}},
    {"Home SS3", "\x1bOH", {0, 71}},
    {"End SS3", "\x1bOF", {0, 79}},
    {"Home 1~", "\x1b[1~", {0, 71}},
    {"Home 7~", "\x1b[7~", {0, 71}},
    {"End 4~", "\x1b[4~", {0, 79}},
    {"End 8~", "\x1b[8~", {0, 79}},
    {"Insert", "\x1b[2~", {0, 82}},
    {"Delete", "\x1b[3~", {0, 83}},
    {"PgUp", "\x1b[5~", {0, 73}},
    {"PgDn", "\x1b[6~", {0, 81}},
    {"Shift+Up is Up", "\x1b[1;2A", {0, 72}},
    {"Ctrl+Left", "\x1b[1;5D", {0, 115}},
    {"Ctrl+Right", "\x1b[1;5C", {0, 116}},
    {"Ctrl+End", "\x1b[1;5F", {0, 117}},
    {"Ctrl+PgDn", "\x1b[6;5~", {0, 118}},
    {"Ctrl+Home", "\x1b[1;5H", {0, 119}},
    {"Ctrl+PgUp", "\x1b[5;5~", {0, 132}},
    {"Ctrl+Up", "\x1b[1;5A", {0, 141}},
    {"Ctrl+Down", "\x1b[1;5B", {0, 145}},
    {"Ctrl+Insert", "\x1b[2;5~", {0, 146}},
    {"Ctrl+Delete", "\x1b[3;5~", {0, 147}},
    {"Alt+Home", "\x1b[1;3H", {0, 151}},
    {"Alt+Up", "\x1b[1;3A", {0, 152}},
    {"Alt+PgUp", "\x1b[5;3~", {0, 153}},
    {"Alt+Left", "\x1b[1;3D", {0, 155}},
    {"Alt+Right", "\x1b[1;3C", {0, 157}},
    {"Alt+End", "\x1b[1;3F", {0, 159}},
    {"Alt+Down", "\x1b[1;3B", {0, 160}},
    {"Alt+PgDn", "\x1b[6;3~", {0, 161}},
    {"Alt+Insert", "\x1b[2;3~", {0, 162}},
    {"Alt+Delete", "\x1b[3;3~", {0, 163}},
    {"Ctrl+Alt+Up counts as Alt", "\x1b[1;7A", {0, 152}},
    {"Meta+Up counts as Alt", "\x1b[1;9A", {0, 152}},
    {"Shift+Tab", "\x1b[Z", {0, 15}},
    {"Alt+Q", "\x1bq", {0, 16}},
    {"Alt+P", "\x1bp", {0, 25}},
    {"Alt+A",
     "\x1b"
     "a",
     {0, 30}},
    {"Alt+L", "\x1bl", {0, 38}},
    {"Alt+Z", "\x1bz", {0, 44}},
    {"Alt+M", "\x1bm", {0, 50}},
    {"Alt+Shift+Q", "\x1bQ", {0, 16}},
    {"Alt+1",
     "\x1b"
     "1",
     {0, 120}},
    {"Alt+9",
     "\x1b"
     "9",
     {0, 128}},
    {"Alt+0",
     "\x1b"
     "0",
     {0, 129}},
    {"Alt+-", "\x1b-", {0, 130}},
    {"Alt+=", "\x1b=", {0, 131}},
    {"Alt+Backspace", "\x1b\x7f", {0, 14}},
    {"Alt+Enter", "\x1b\r", {0, 28}},
    {"Esc [ then nothing is Alt+[", "\x1b[", {0, 26}},
    {"Esc O then nothing is Alt+O", "\x1bO", {0, 24}},
    {"keypad Enter", "\x1bOM", {13}},
    {"keypad 0", "\x1bOp", {'0'}},
    {"keypad +", "\x1bOk", {'+'}},
    {"keys in one read", "\x1b[Aa\x1bOP\r", {0, 72, 'a', 0, 59, 13}},
    {"unknown ~ code dropped whole", "\x1b[99~x", {'x'}},
    {"private sequence dropped whole", "\x1b[?1;2cx", {'x'}},
    {"mouse report dropped whole", "\x1b[<0;10;5Mx", {'x'}},
    {"three parameters dropped whole", "\x1b[27;5;9~x", {'x'}},
    {"unknown final dropped whole", "\x1b[1;5Jx", {'x'}},
    {"unknown SS3 dropped whole", "\x1bOzx", {'x'}},
    {"unknown Linux console key dropped", "\x1b[[Zx", {'x'}},
    {"Esc and a control byte dropped", "\x1b\x01x", {'x'}},
    {"Shift+Tab with parameters dropped", "\x1b[2Zx", {'x'}},
    {"cursor key with a count dropped", "\x1b[2Ax", {'x'}},
    {"broken sequence dropped, next key kept", "\x1b[1\x1b[A", {0, 72}},
    {"unfinished sequence dropped at time-out", "\x1b[1;5", {}},
    {"unfinished SS3 dropped at time-out", "\x1bO5", {}},
};

TEST(ScanKey, GivesTheCodesOfEachKey) {
  for (const KeyCase& c : kKeyCases) EXPECT_EQ(codes_of(c.input), c.codes) << c.name;
}

// Every proper start of a sequence waits for more bytes while they may come,
// so a sequence split over several reads still gives its key.
TEST(ScanKey, WaitsForTheRestOfASplitSequence) {
  const std::string_view kSequences[] = {"\x1b[1;5C", "\x1b[24;3~", "\x1bOP", "\x1b[[A", "\x1bO2P"};
  for (std::string_view sequence : kSequences) {
    for (size_t cut = 1; cut < sequence.size(); ++cut) {
      KeyScan scan = SCAN_KEY(bytes_of(sequence), cut, false);
      EXPECT_EQ(scan.used, 0u) << "first " << cut << " bytes of " << sequence.substr(1);
    }
    KeyScan whole = SCAN_KEY(bytes_of(sequence), sequence.size(), false);
    EXPECT_EQ(whole.used, sequence.size()) << sequence.substr(1);
    EXPECT_EQ(whole.count, 2u) << sequence.substr(1);
  }
}

TEST(ScanKey, LoneEscIsEscOnlyAfterTheTimeOut) {
  const uint8_t esc = 27;
  EXPECT_EQ(SCAN_KEY(&esc, 1, false).used, 0u);
  KeyScan scan = SCAN_KEY(&esc, 1, true);
  EXPECT_EQ(scan.used, 1u);
  ASSERT_EQ(scan.count, 1u);
  EXPECT_EQ(scan.codes[0], 27);
}

TEST(ScanKey, NeverWaitsForAnOverlongSequence) {
  std::string junk = "\x1b[" + std::string(40, '1');
  KeyScan scan = SCAN_KEY(bytes_of(junk), junk.size(), false);
  EXPECT_GT(scan.used, 0u);
  EXPECT_EQ(scan.count, 0u);
}

}  // namespace
}  // namespace zelmo
