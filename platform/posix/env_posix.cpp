// Environment and current directory on POSIX. The tool sees the Linux tree in
// its own path syntax: /home/ana is \home\ana, and there are no drives.
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/envtext.h"
#include "platform/filesys.h"

extern char** environ;

namespace zelmo {

// A value holds an ordinary Linux path (TMP=/tmp/x): its "/" are read as
// "\", so the path is whole in the tool's syntax, also where a "/" would be
// refused as a reserved character (a missing TMP directory to create).
Str GETENV(const Str& name) {
  Str value;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    if (!ENV_ENTRY_IS(*entry, name, value)) continue;
    std::string text(value.view());
    for (char& c : text)
      if (c == '/') c = '\\';
    return Str(text);
  }
  return Str();
}

bool HAS_DRIVES() { return false; }

// Linux file systems keep "abc" and "ABC" apart.
bool CASE_MATTERS() { return true; }

Str GETDIR(uint8_t drive) {
  if (drive != 0) return Str();  // no drive letters on this platform
  std::string buffer(256, '\0');
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return Str();
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(buffer.find('\0'));
  for (char& c : buffer)
    if (c == '/') c = '\\';
  return Str(buffer);
}

}  // namespace zelmo
