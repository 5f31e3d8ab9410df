// Key decoding for xterm-like terminals: the bytes a terminal sends for a key
// become the key codes of the PC keyboard BIOS that the console hands out. A
// pure routine, so that every sequence can be tested without a terminal.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zelmo {

// What the front of the waiting input bytes means.
struct KeyScan {
  size_t used = 0;        // bytes taken from the front; 0: the key is not
                          // complete yet and more bytes must be waited for
  uint8_t codes[2] = {};  // the key's codes, from codes[0]
  size_t count = 0;       // 1: a character; 2: 0 and an extended code;
                          // 0: the bytes were no known key and are dropped
};

// Decodes the first key of bytes[0..size), size > 0. With complete false,
// bytes that may be the start of a longer sequence (a lone Esc, "Esc [1;")
// give used 0; with complete true (no more bytes came within the time-out)
// every call takes at least one byte: a lone Esc is the Esc key, and an
// unfinished sequence is dropped whole. An unknown sequence is dropped whole;
// Esc followed by a character is that character with Alt. Bytes of a UTF-8
// character come one by one, as they are.
KeyScan SCAN_KEY(const uint8_t* bytes, size_t size, bool complete);

}  // namespace zelmo
