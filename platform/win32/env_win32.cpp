// Environment and current directories on Win32.
#include <cstring>
#include <string>

#include "platform/envtext.h"
#include "platform/filesys.h"
#include "platform/win32/system_win32.h"

namespace zelmo {

namespace {

// Calls fill(buffer, size) as the ...A calls that give the length they need
// when the buffer is too small; "" when the call fails.
template <typename Fill>
Str grown_text(Fill fill) {
  std::string buffer(MAX_PATH + 1, '\0');
  DWORD length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length >= buffer.size()) {
    buffer.resize(length + 1);
    length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
  }
  if (length == 0 || length >= buffer.size()) return Str();
  return Str(buffer.data(), length);
}

// Only a root ends with "\": some systems give the directory of a drive
// other than the current one with a closing "\" (C:\WINDOWS\).
Str without_closing_backslash(Str dir) {
  if (dir.length() > 3 && dir.at(2) == ':' && dir.ends_with('\\')) dir.truncate(dir.length() - 1);
  return dir;
}

}  // namespace

Str GETENV(const Str& name) {
  // The process environment block, as the platform keeps it (it may differ
  // from the C library's copy).
  char* block = GetEnvironmentStringsA();
  if (block == nullptr) return Str();
  Str value;
  bool found = false;
  for (const char* entry = block; *entry != '\0' && !found; entry += strlen(entry) + 1)
    found = ENV_ENTRY_IS(entry, name, value);
  FreeEnvironmentStringsA(block);
  return found ? value : Str();
}

bool HAS_DRIVES() { return true; }

// Windows finds a name whatever the case it is asked in.
bool CASE_MATTERS() { return false; }

Str GETDIR(uint8_t drive) {
  if (drive == 0)
    return grown_text([](char* buffer, DWORD size) { return GetCurrentDirectoryA(size, buffer); });
  if (drive > 26) return Str();
  // "X:" alone names that drive's current directory; the platform keeps it.
  const char bare_drive[] = {static_cast<char>('A' + drive - 1), ':', '\0'};
  return without_closing_backslash(grown_text([&bare_drive](char* buffer, DWORD size) {
    return GetFullPathNameA(bare_drive, size, buffer, nullptr);
  }));
}

}  // namespace zelmo
