// Directory search, attributes, directories and raw files through the 8-bit
// ("A") calls: names go to and come from the system as the same bytes.
#include <atomic>
#include <cstring>

#include "platform/filesys.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/system_win32.h"

namespace zelmo {

// An open search: its handle and the mask that FINDNEXT filters with.
struct SearchState {
  HANDLE find;
  uint32_t attrmask;
};

namespace {

// Files opened and not yet closed; 0 marks a free slot. Atomic because the
// interrupt handler runs on a thread of its own.
constexpr int kOpenSlots = 16;
std::atomic<intptr_t> open_files[kOpenSlots];

void remember_open(HANDLE file) {
  for (std::atomic<intptr_t>& slot : open_files) {
    intptr_t free_slot = 0;
    if (slot.compare_exchange_strong(free_slot, reinterpret_cast<intptr_t>(file))) return;
  }
}

void forget_open(HANDLE file) {
  for (std::atomic<intptr_t>& slot : open_files) {
    intptr_t held = reinterpret_cast<intptr_t>(file);
    if (slot.compare_exchange_strong(held, 0)) return;
  }
}

int last_error() { return static_cast<int>(GetLastError()); }

// The result of a call that reports failure as FALSE.
int outcome(BOOL ok) { return ok ? 0 : last_error(); }

HANDLE as_handle(FileHandle handle) { return reinterpret_cast<HANDLE>(handle); }

// Seconds since 1970 from a FILETIME (100 ns steps since 1601).
int64_t unix_seconds(const FILETIME& time) {
  constexpr int64_t kEpochDifference = 116444736000000000LL;
  const int64_t ticks = (static_cast<int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return (ticks - kEpochDifference) / 10000000;
}

// An entry with Hidden, System or Directory passes only when the mask holds
// that bit; a volume label never passes.
bool passes(DWORD attr, uint32_t attrmask) {
  if (attr & kVolumeLabel) return false;
  return (attr & (kHidden | kSystem | kDirectory) & ~attrmask) == 0;
}

// A name that holds a path separator cannot be named by a path: joined to its
// directory it would name another file. Windows never returns one; Wine does
// for a Linux name that holds a backslash.
bool nameable(const char* name) { return std::strpbrk(name, "\\/") == nullptr; }

// Moves on from the entry in data (already read when have_entry) to the
// first one that passes the mask.
int next_passing(HANDLE find, uint32_t attrmask, WIN32_FIND_DATAA& data, bool have_entry) {
  for (;;) {
    if (!have_entry && !FindNextFileA(find, &data)) return last_error();
    if (passes(data.dwFileAttributes, attrmask) && nameable(data.cFileName)) return 0;
    have_entry = false;
  }
}

void fill(SearchRec& rec, const WIN32_FIND_DATAA& data) {
  rec.name = Str(data.cFileName);
  rec.attr = data.dwFileAttributes;
  rec.size = static_cast<int32_t>(data.nFileSizeLow);
  rec.time = unix_seconds(data.ftLastWriteTime);
}

// The handles are synchronous: an offset in OVERLAPPED makes ReadFile and
// WriteFile work at that offset and return when done.
OVERLAPPED at_offset(int64_t offset) {
  OVERLAPPED where{};
  where.Offset = static_cast<DWORD>(static_cast<uint64_t>(offset) & 0xFFFFFFFFu);
  where.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
  return where;
}

}  // namespace

Str NATIVE_PATH(const Str& path) {
  Str result = path;
  for (int i = 1; i <= result.length(); ++i) {
    if (result.at(i) == '/') result.set_at(i, '\\');
  }
  return result;
}

void CLOSE_OPEN_FILES() {
  for (std::atomic<intptr_t>& slot : open_files) {
    const intptr_t held = slot.exchange(0);
    if (held != 0) CloseHandle(reinterpret_cast<HANDLE>(held));
  }
}

// A search that finds nothing is closed at once; one that found an entry
// stays open until FINDCLOSE, also after FINDNEXT has reached the end.
int FINDFIRST(const Str& mask, uint32_t attrmask, SearchRec& rec, SearchDetail) {
  rec.state = nullptr;
  WIN32_FIND_DATAA data;
  const HANDLE find = FindFirstFileA(NATIVE_PATH(mask).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return last_error();
  const int error = next_passing(find, attrmask, data, true);
  if (error != 0) {
    FindClose(find);
    return error;
  }
  fill(rec, data);
  rec.state = new SearchState{find, attrmask};
  return 0;
}

int FINDNEXT(SearchRec& rec) {
  if (rec.state == nullptr) return ERROR_NO_MORE_FILES;
  WIN32_FIND_DATAA data;
  const int error = next_passing(rec.state->find, rec.state->attrmask, data, false);
  if (error == 0) fill(rec, data);
  return error;
}

void FINDCLOSE(SearchRec& rec) {
  if (rec.state == nullptr) return;
  FindClose(rec.state->find);
  delete rec.state;
  rec.state = nullptr;
}

int GETFATTR(const Str& name, uint32_t& attr) {
  const DWORD got = GetFileAttributesA(NATIVE_PATH(name).c_str());
  if (got == INVALID_FILE_ATTRIBUTES) {
    attr = 0;
    return last_error();
  }
  attr = got;
  return 0;
}

int SETFATTR(const Str& name, uint32_t attr) {
  // The call reads 0 as "change nothing"; clearing every bit is spelled NORMAL.
  return outcome(SetFileAttributesA(NATIVE_PATH(name).c_str(), attr == 0 ? FILE_ATTRIBUTE_NORMAL : attr));
}

int MKDIR(const Str& dir) {
  if (dir.empty()) return 0;
  return outcome(CreateDirectoryA(NATIVE_PATH(dir).c_str(), nullptr));
}

int CHDIR(const Str& dir) {
  if (dir.empty()) return 0;
  return outcome(SetCurrentDirectoryA(NATIVE_PATH(dir).c_str()));
}

int DELETEFILE(const Str& name) { return outcome(DeleteFileA(NATIVE_PATH(name).c_str())); }

// Holding a directory open would not keep its path from changing under a
// Win32 "A" call; the engine checks the directories of its list itself.
int HOLD_TOP(const Str&) { return 0; }

bool HELD_TREE_SEALED() { return false; }

namespace {

// Share mode 0: while the file is open, no other opening or deletion of it
// succeeds, in this process or any other. A reparse point (a symbolic link,
// a junction) at the name is opened itself, never followed: it is refused
// below, as the owner of a link cannot be told through these calls.
HANDLE open_file(const Str& name, DWORD disposition) {
  return CreateFileA(NATIVE_PATH(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// Keeps an open file that is a plain file; closes anything else.
int hand_over(HANDLE file, FileHandle& handle) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) {
    const int error = last_error();
    CloseHandle(file);
    return error;
  }
  if (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) {
    CloseHandle(file);
    return ERROR_CANT_ACCESS_FILE;
  }
  remember_open(file);
  handle = reinterpret_cast<FileHandle>(file);
  return 0;
}

}  // namespace

int FILE_CREATE_NEW(const Str& name, FileHandle& handle) {
  handle = kNoFile;
  const HANDLE file = open_file(name, CREATE_NEW);
  if (file == INVALID_HANDLE_VALUE) return last_error();
  return hand_over(file, handle);
}

int FILE_OPEN_OR_CREATE(const Str& name, FileHandle& handle, bool& existed) {
  handle = kNoFile;
  // The system's own rules decide what the name names ("OUT." is OUT).
  const HANDLE file = open_file(name, OPEN_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) {
    const int error = last_error();
    const DWORD attr = GetFileAttributesA(NATIVE_PATH(name).c_str());
    existed = attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) == 0;
    return error;
  }
  existed = GetLastError() == ERROR_ALREADY_EXISTS;
  return hand_over(file, handle);
}

int FILE_TRUNCATE(FileHandle handle) {
  if (!SetFilePointerEx(as_handle(handle), LARGE_INTEGER{}, nullptr, FILE_BEGIN)) return last_error();
  return outcome(SetEndOfFile(as_handle(handle)));
}

int FILE_CLOSE_AND_DELETE(FileHandle handle, const Str& name) {
  // Open for exclusive use, the file cannot be deleted before it is closed;
  // read-only, as a pass over a tree that holds it may have made it, not at all.
  const int closed = FILE_CLOSE(handle);
  SetFileAttributesA(NATIVE_PATH(name).c_str(), FILE_ATTRIBUTE_ARCHIVE);
  const int deleted = DELETEFILE(name);
  return closed != 0 ? closed : deleted;
}

int FILE_WRITE(FileHandle handle, const void* bytes, size_t count) {
  const char* next = static_cast<const char*>(bytes);
  while (count > 0) {
    DWORD written = 0;
    const DWORD chunk = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
    if (!WriteFile(as_handle(handle), next, chunk, &written, nullptr)) return last_error();
    if (written == 0) return ERROR_HANDLE_DISK_FULL;
    next += written;
    count -= written;
  }
  return 0;
}

int FILE_READ(FileHandle handle, void* bytes, size_t count, size_t& got) {
  DWORD read = 0;
  const DWORD chunk = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
  const int error = outcome(ReadFile(as_handle(handle), bytes, chunk, &read, nullptr));
  got = read;
  return error;
}

int FILE_WRITE_AT(FileHandle handle, int64_t offset, const void* bytes, size_t count) {
  const char* next = static_cast<const char*>(bytes);
  while (count > 0) {
    DWORD written = 0;
    const DWORD chunk = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
    OVERLAPPED where = at_offset(offset);
    if (!WriteFile(as_handle(handle), next, chunk, &written, &where)) return last_error();
    if (written == 0) return ERROR_HANDLE_DISK_FULL;
    next += written;
    offset += written;
    count -= written;
  }
  return 0;
}

int FILE_READ_AT(FileHandle handle, int64_t offset, void* bytes, size_t count, size_t& got) {
  got = 0;
  char* next = static_cast<char*>(bytes);
  while (got < count) {
    DWORD read = 0;
    const size_t left = count - got;
    const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
    OVERLAPPED where = at_offset(offset + static_cast<int64_t>(got));
    // Reading at or past the end fails with ERROR_HANDLE_EOF: no more bytes.
    if (!ReadFile(as_handle(handle), next + got, chunk, &read, &where)) {
      const int error = last_error();
      return error == ERROR_HANDLE_EOF ? 0 : error;
    }
    got += read;
    // A file gives less than asked only at its end.
    if (read < chunk) break;
  }
  return 0;
}

int FILE_SEEK(FileHandle handle, int64_t offset) {
  LARGE_INTEGER to;
  to.QuadPart = offset;
  return outcome(SetFilePointerEx(as_handle(handle), to, nullptr, FILE_BEGIN));
}

int FILE_SIZE(FileHandle handle, int64_t& size) {
  LARGE_INTEGER got{};
  const int error = outcome(GetFileSizeEx(as_handle(handle), &got));
  size = error == 0 ? got.QuadPart : 0;
  return error;
}

int FILE_CLOSE(FileHandle handle) {
  // kNoFile would name the process itself to CloseHandle.
  if (handle == kNoFile) return ERROR_INVALID_HANDLE;
  forget_open(as_handle(handle));
  return outcome(CloseHandle(as_handle(handle)));
}

}  // namespace zelmo
