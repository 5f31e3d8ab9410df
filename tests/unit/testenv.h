// Test helpers that set the process's environment and current directory, for
// tests of routines that read them. One implementation per platform.
#pragma once

#include "support/str.h"

namespace zelmo {

// Sets (or, with unset, removes) an environment variable of this process,
// where the tool's GETENV reads it.
void TEST_SETENV(const char* name, const char* value);
void TEST_UNSETENV(const char* name);

// Makes a directory (in the platform's own syntax) the current one; true on success.
bool TEST_CHDIR(const char* dir);

// Sets a variable for the life of the object and removes it afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) { TEST_SETENV(name, value); }
  ~ScopedEnv() { TEST_UNSETENV(name_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
};

}  // namespace zelmo
