// The terminal key decoder on arbitrary byte streams. The first byte chooses
// whether the bytes are all that came (complete) or more may follow.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/posix/keys_posix.h"
#include "tests/fuzz/check.h"

namespace zelmo {
namespace {

bool same(const KeyScan& a, const KeyScan& b) {
  return a.used == b.used && a.count == b.count && a.codes[0] == b.codes[0] && a.codes[1] == b.codes[1];
}

// A key's codes: one character, or 0 and an extended code.
void check_shape(const KeyScan& scan, size_t size, bool complete) {
  FUZZ_CHECK(scan.used <= size);
  FUZZ_CHECK(scan.count <= 2);
  if (scan.count == 2) FUZZ_CHECK(scan.codes[0] == 0);
  if (scan.count < 2) FUZZ_CHECK(scan.codes[1] == 0);
  if (scan.count == 0) FUZZ_CHECK(scan.codes[0] == 0);
  // Asking for more bytes is allowed only while more may come.
  if (scan.used == 0) FUZZ_CHECK(!complete && scan.count == 0);
}

// A key decided on the first bytes stays the same key when more bytes
// arrive: the console decodes whatever a read brought.
void check_prefixes(const uint8_t* bytes, size_t size, const KeyScan& whole) {
  size_t longest = std::min<size_t>(size, 40);
  for (size_t n = 1; n < longest; ++n) {
    KeyScan early = SCAN_KEY(bytes, n, false);
    check_shape(early, n, false);
    if (early.used > 0) FUZZ_CHECK(same(early, whole));
  }
}

}  // namespace
}  // namespace zelmo

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelmo;
  if (size < 2) return 0;
  bool complete = data[0] & 1;
  const uint8_t* bytes = data + 1;
  size_t left = size - 1;
  while (left > 0) {
    KeyScan scan = SCAN_KEY(bytes, left, complete);
    check_shape(scan, left, complete);
    KeyScan timed_out = SCAN_KEY(bytes, left, true);
    check_shape(timed_out, left, true);
    if (scan.used > 0) FUZZ_CHECK(same(scan, timed_out));
    check_prefixes(bytes, left, timed_out);
    if (scan.used == 0) break;
    bytes += scan.used;
    left -= scan.used;
  }
  return 0;
}
