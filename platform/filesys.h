// File-system services in the tool's path syntax: "\" between parts, "/"
// read as "\". Every call returns 0 on success or the platform's error code
// (what callers test as DOSERROR or IORESULT: only whether it is 0).
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/str.h"

namespace zelmo {

// Bits of the attribute byte.
enum : uint32_t {
  kReadOnly = 1,
  kHidden = 2,
  kSystem = 4,
  kVolumeLabel = 8,
  kDirectory = 16,
  kArchive = 32,
  // A link: a symbolic link on POSIX, a reparse point on Win32. Such an
  // entry is listed and may be changed, but a tree scan never enters it.
  kReparsePoint = 0x400,
};

// The error code for "no such file or no more entries" where a backend has
// no code of its own to give.
constexpr int kNoMoreFiles = 18;

struct SearchState;  // the backend's open search

// One entry of a directory search.
struct SearchRec {
  Str name;           // long name, as the file system stores it
  uint32_t attr = 0;  // attribute word; its low byte is the attribute byte
  int32_t size = 0;   // low 32 bits of the size
  int64_t time = 0;   // last write, seconds since 1970
  SearchState* state = nullptr;
};

// What a search must report of each entry.
enum class SearchDetail {
  kFull,         // the whole attribute word, size and time
  kNameAndType,  // only Directory and kReparsePoint are sure in attr: enough
                 // for a tree scan, which need not read every entry's status
};

// Starts a search on a path whose last part may hold "*" and "?". An entry
// with Hidden, System or Directory is skipped while attrmask lacks that bit;
// volume labels are never reported. "." and ".." are ordinary entries.
// kNameAndType may be asked only with a mask that holds Hidden and System.
int FINDFIRST(const Str& mask, uint32_t attrmask, SearchRec& rec, SearchDetail detail = SearchDetail::kFull);
int FINDNEXT(SearchRec& rec);
// Ends a search; harmless on a search that never started or already ended.
void FINDCLOSE(SearchRec& rec);

// Reads the attribute word of a name; attr is 0 on failure.
int GETFATTR(const Str& name, uint32_t& attr);
// Sets exactly the attribute word; either the whole change is stored or
// nothing is, and a failure is reported.
int SETFATTR(const Str& name, uint32_t attr);

// The value of an environment variable: the first entry of the environment,
// cut to 255 bytes, whose text before its first "=" is the name (a to z
// folded); "" when not set, and for an empty name.
Str GETENV(const Str& name);

// The current directory of a drive (0: the current drive, 1 to 26: A to Z);
// only a root ends with "\". "" when it cannot be read, and for every drive
// but 0 on a platform without drive letters.
Str GETDIR(uint8_t drive);

// Whether paths may begin with a drive ("C:"), so that a path from "\" lies
// on the current drive; false where "\" is the root of every path.
bool HAS_DRIVES();

// An absolute path, as text, without looking at the disk: "/" read as "\",
// a relative start joined to its drive's current directory, "." and ".."
// resolved, empty parts dropped, "\\server\share" kept whole, case kept. A
// closing "\" stays when the path had one or the result is a root. A path
// whose drive's current directory is unknown is cleaned but stays relative.
Str FEXPAND(const Str& path);

// Splits a path into directory, name and extension, "/" read as "\": the
// directory is, with a ":", the first byte and ":", then the rest through
// its last "\"; the extension begins at the last "." of what follows.
void FSPLIT(const Str& path, Str& dir, Str& name, Str& ext);

// Whether two names that differ only in the case of a to z are two names
// on this platform's disks, so that the case a user typed must reach the
// file system for the name meant to be found or created.
bool CASE_MATTERS();

// Holds the top directory of a run, found now by its name as typed: every
// later path that begins with top, spelled the same, is reached from that
// very directory, whatever becomes of the names above it or of top's own.
// Replaces an earlier hold. 0, or the error that kept top from being found;
// then nothing below it is found either.
int HOLD_TOP(const Str& top);

// Whether a held top seals its tree: every path below it is reached beneath
// that directory and never through a link, so that a run needs no check of
// its own that a directory it listed is still in the tree.
bool HELD_TREE_SEALED();

int MKDIR(const Str& dir);
int CHDIR(const Str& dir);
int DELETEFILE(const Str& name);

// Raw files for the text and record files of support/.
using FileHandle = intptr_t;
constexpr FileHandle kNoFile = -1;

// Files are opened for exclusive use as far as the platform allows.

// Creates a file for reading and writing, private to the user, only when
// nothing (no file, no link) has that name.
int FILE_CREATE_NEW(const Str& name, FileHandle& handle);
// Opens a file for writing at its start when it exists, leaving it as it
// is, else creates it; existed tells which, and is also true when a file
// (anything but a directory) of that name exists that cannot be opened. The
// test and the open are one step: nothing is created in place of, or
// emptied instead of, a file that appears or changes meanwhile. Never opens
// through a link that another user than the one running the tool or root
// owns, nor, where the platform cannot tell who owns one, through any link
// at its name; never creates a file through a link.
int FILE_OPEN_OR_CREATE(const Str& name, FileHandle& handle, bool& existed);
// Empties an open file; the next write goes to its start.
int FILE_TRUNCATE(FileHandle handle);
// Closes the file and deletes it by name, only while the name still names
// that very file where the platform can tell; the first failure counts.
int FILE_CLOSE_AND_DELETE(FileHandle handle, const Str& name);

int FILE_WRITE(FileHandle handle, const void* bytes, size_t count);
// Reads up to count bytes; got tells how many (0 at the end).
int FILE_READ(FileHandle handle, void* bytes, size_t count, size_t& got);
int FILE_SEEK(FileHandle handle, int64_t offset);
int FILE_SIZE(FileHandle handle, int64_t& size);
int FILE_CLOSE(FileHandle handle);
// Writes or reads at a byte offset in one call, whatever the file position;
// the position afterwards is left to the platform. FILE_READ_AT's got tells
// how many bytes came (fewer only at the end of the file).
int FILE_WRITE_AT(FileHandle handle, int64_t offset, const void* bytes, size_t count);
int FILE_READ_AT(FileHandle handle, int64_t offset, void* bytes, size_t count, size_t& got);

}  // namespace zelmo
