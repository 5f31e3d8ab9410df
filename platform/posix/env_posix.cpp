// Environment and current directory on POSIX. The tool sees the Linux tree in
// its own path syntax: /home/ana is \home\ana, and there are no drives.
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/envtext.h"
#include "platform/filesys.h"

extern char** environ;

namespace zelmo {

Str GETENV(const Str& name) {
  Str value;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry)
    if (ENV_ENTRY_IS(*entry, name, value)) return value;
  return Str();
}

bool HAS_DRIVES() { return false; }

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
