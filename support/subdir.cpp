#include "support/subdir.h"

#include "platform/console.h"
#include "platform/filesys.h"
#include "support/paths.h"
#include "support/strings.h"

namespace zelmo {

namespace {

// Read-only, Hidden, System, Directory, Archive: every entry but labels.
constexpr uint32_t kEveryEntry = 55;

// The queue of directories still to scan lives in the file itself: records
// are appended at its end and read back from its start.
class ListWriter {
 public:
  ListWriter(RecordFile& file, SubdirOutcome& outcome) : file_(file), outcome_(outcome) {}

  int64_t records() const { return records_; }

  // Appends every directory found in directory, whose records begin with
  // listed_as (the same directory, spelled as the report writes it); false
  // when a write fails.
  bool scan(const Str& directory, const Str& listed_as) {
    Str prefix = DIRECTORY_PREFIX(directory);
    if (prefix.length() + 3 > Str::kMax) {
      ++outcome_.too_long;  // the start directory itself is too long to search
      return true;
    }
    Str record_prefix = DIRECTORY_PREFIX(listed_as);
    SearchRec entry;
    bool written = true;
    for (int found = FINDFIRST(prefix + "*.*", kEveryEntry, entry, SearchDetail::kNameAndType);
         found == 0 && written; found = FINDNEXT(entry)) {
      if (is_subdirectory(entry)) written = append(record_prefix, entry.name);
    }
    FINDCLOSE(entry);
    return written;
  }

 private:
  // A real directory: links to directories are never entered, so no link
  // can lead the scan in a loop or out of the tree.
  static bool is_subdirectory(const SearchRec& entry) {
    return (entry.attr & kDirectory) != 0 && (entry.attr & kReparsePoint) == 0 && !(entry.name == ".") &&
           !(entry.name == "..");
  }

  bool append(const Str& prefix, const Str& name) {
    // A listed directory must take its closing "\" and a "*.*" within a
    // string, or its scan and its pass would search a cut path, which names
    // something else: leave it out and count it.
    if (prefix.length() + name.length() + 4 > Str::kMax) {
      ++outcome_.too_long;
      return true;
    }
    if (file_.write(records_, prefix + name) != 0) return false;
    ++records_;
    return true;
  }

  RecordFile& file_;
  SubdirOutcome& outcome_;
  int64_t records_ = 0;
};

// Takes a waiting key, both codes of a key without a character; true for Esc.
bool escape_pressed() {
  if (!con_keypressed()) return false;
  uint8_t key = con_readkey();
  if (key == 0) con_readkey();
  return key == 27;
}

}  // namespace

uint8_t SUBDIR(const Str& directory, const Str& listed_as, RecordFile& list_file, SubdirOutcome& outcome) {
  ListWriter list(list_file, outcome);
  if (!list.scan(directory, listed_as)) return kSubdirFileError;
  for (int64_t n = 0;; ++n) {
    if (escape_pressed()) return kSubdirEscape;
    if (n >= list.records()) return list_file.flush() != 0 ? kSubdirFileError : kSubdirDone;
    Str record;
    if (list_file.read(n, record) != 0) return kSubdirFileError;
    record = FREECHAR(Str("\0", 1), record);
    // Every record was written here and begins with listed_as.
    if (!list.scan(directory + record.from(listed_as.length() + 1), record)) return kSubdirFileError;
  }
}

}  // namespace zelmo
