#include <stdlib.h>
#include <unistd.h>

#include "tests/unit/testenv.h"

namespace zelmo {

void TEST_SETENV(const char* name, const char* value) { setenv(name, value, 1); }
void TEST_UNSETENV(const char* name) { unsetenv(name); }
bool TEST_CHDIR(const char* dir) { return chdir(dir) == 0; }

}  // namespace zelmo
