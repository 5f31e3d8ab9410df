#include <windows.h>

#include "tests/unit/testenv.h"

namespace zelmo {

// The process environment block, which GETENV reads (not the C library's copy).
void TEST_SETENV(const char* name, const char* value) { SetEnvironmentVariableA(name, value); }
void TEST_UNSETENV(const char* name) { SetEnvironmentVariableA(name, nullptr); }
bool TEST_CHDIR(const char* dir) { return SetCurrentDirectoryA(dir) != 0; }

}  // namespace zelmo
