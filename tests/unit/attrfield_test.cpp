#include "main/attrfield.h"

#include <gtest/gtest.h>

namespace zelmo {

TEST(Attributi, ShowsTheFiveFlagsOfTheLowByte) {
  const struct {
    uint8_t attributes;
    const char* field;
  } cases[] = {
      {0, " [     ]"},   {33, " [ AR  ]"}, {16, " [D    ]"}, {55, " [DARHS]"},
      {200, " [     ]"}, {2, " [   H ]"},  {4, " [    S]"},  {0xFF, " [DARHS]"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ATTRIBUTI(c.attributes), c.field) << "attributes " << int(c.attributes);
}

}  // namespace zelmo
