// Translation of a console key record into the bytes a key gives as on the PC
// keyboard BIOS: a key with a character gives that byte; a key without one
// gives 0 and then its extended code.
#pragma once

#include <cstdint>

#include "platform/win32/system_win32.h"

namespace zelmo {

struct KeyBytes {
  uint8_t count = 0;  // 0: the record is no key; 1: a character; 2: 0 and a code
  uint8_t bytes[2] = {0, 0};
};

// The bytes of one key record. Key-up records, modifier and lock keys alone,
// and keys with neither a character nor an extended code give no bytes.
KeyBytes TRANSLATE_KEY(const KEY_EVENT_RECORD& key);

}  // namespace zelmo
