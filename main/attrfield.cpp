#include "main/attrfield.h"

#include "platform/filesys.h"

namespace zelmo {

Str ATTRIBUTI(uint8_t attributes) {
  struct Flag {
    uint8_t bit;
    char letter;
  };
  static constexpr Flag kFlags[] = {
      {kDirectory, 'D'}, {kArchive, 'A'}, {kReadOnly, 'R'}, {kHidden, 'H'}, {kSystem, 'S'},
  };
  Str field(" [");
  for (const Flag& f : kFlags) field += (attributes & f.bit) ? f.letter : ' ';
  field += ']';
  return field;
}

}  // namespace zelmo
