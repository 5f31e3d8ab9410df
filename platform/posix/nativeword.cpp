#include "platform/posix/nativeword.h"

#include <cstring>

#include "platform/filesys.h"

namespace zelmo::posix {

namespace {

constexpr uint32_t kNormal = 0x80;

}  // namespace

bool WORD_OF_VALUE(Store store, std::string_view value, uint32_t& word) {
  if (value.size() != 4) return false;
  if (store == Store::kNtfs) {
    std::memcpy(&word, value.data(), 4);
    return true;
  }
  word = 0;
  for (int i = 3; i >= 0; --i) word = word << 8 | uint8_t(value[size_t(i)]);
  return true;
}

std::string VALUE_OF_WORD(Store store, uint32_t word) {
  std::string value(4, '\0');
  if (store == Store::kNtfs) {
    std::memcpy(value.data(), &word, 4);
  } else {
    for (size_t i = 0; i < 4; ++i) value[i] = char(word >> (8 * i));
  }
  return value;
}

uint32_t MERGED_WORD(Store store, uint32_t stored, uint32_t word) {
  uint32_t merged = (stored & ~kChangeableBits) | (word & kChangeableBits);
  if (store == Store::kFat) return merged;
  merged &= ~kNormal;
  return merged == 0 && store == Store::kSmb ? kNormal : merged;
}

uint32_t SHOWN_NATIVE_WORD(uint32_t stored, bool directory) {
  uint32_t word = stored & ~uint32_t(kDirectory | kVolumeLabel | kReparsePoint);
  return directory ? word | kDirectory : word;
}

}  // namespace zelmo::posix
