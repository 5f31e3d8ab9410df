// Path expansion, mask splitting and name validation on arbitrary texts, with
// an environment whose variables refer to each other, to themselves, grow
// without end or are longer than a text may be.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/filesys.h"
#include "support/names.h"
#include "support/paths.h"
#include "support/str.h"
#include "tests/fuzz/check.h"

namespace zelmo {
namespace {

void set_environment() {
  setenv("ZA", "%ZB%", 1);  // two that name each other
  setenv("ZB", "%ZA%", 1);
  setenv("ZSELF", "%ZSELF%", 1);
  setenv("ZGROW", "%ZGROW%%ZGROW%", 1);  // doubles until the text is cut
  setenv("ZLONG", std::string(300, 'L').c_str(), 1);
  setenv("ZDIR", "C:\\DATI\\LAVORO", 1);
  setenv("ZREL", "..\\SU\\.\\GIU", 1);
  setenv("ZNET", "\\\\SERVER\\SHARE\\X", 1);
  setenv("ZPCT", "100%", 1);  // leaves an unpaired "%"
  setenv("ZNEST", "%ZDIR%\\%ZREL%", 1);
  setenv("ZEMPTY", "", 1);
  setenv("zlower", "minuscolo", 1);
}

// A current directory long enough that full paths reach the 255-byte limit.
void enter_deep_directory() {
  std::string dir = "/tmp/zelmo-fuzz-paths";
  mkdir(dir.c_str(), 0700);
  for (int i = 0; i < 4; ++i) {
    dir += "/" + std::string(50, static_cast<char>('a' + i));
    mkdir(dir.c_str(), 0700);
  }
  if (chdir(dir.c_str()) != 0) std::abort();
}

void check_expansion(const Str& text) {
  Str plain = ESPANSIONE(text, false);
  FUZZ_CHECK(!plain.contains('%') || plain == text);
  if (!text.contains('%')) FUZZ_CHECK(plain == text);
  Str full = ESPANSIONE(text, true);
  FUZZ_CHECK(!full.contains('%') || full == text);
  FUZZ_CHECK(FEXPAND2(text) == full);
}

void check_split(const Str& path) {
  Str dir = PATHOF(path);
  Str name = NAMEOF(path);
  FUZZ_CHECK(!dir.contains('/') && !name.contains('/') && !name.contains('\\'));
  if (!path.contains(':') && !path.contains('\\') && !path.contains('/'))
    FUZZ_CHECK(dir.empty() && name == path);
  // A path that begins with ":" has the directory "::" and the rest, which
  // reads back otherwise and may pass 255 bytes and lose its closing "\".
  // The driver never splits one: the mask it splits is a full path.
  if (path.first() == ':') return;
  FUZZ_CHECK(dir.empty() || dir.last() == '\\' || dir.last() == ':');
  // The driver joins the two again and must get the same parts back.
  Str joined = dir + name;
  FUZZ_CHECK(PATHOF(joined) == dir && NAMEOF(joined) == name);
}

void check_validation(const Str& name) {
  uint8_t code = VALIDNAMEWIN(name);
  FUZZ_CHECK(VALIDNAME(name) == code);
  FUZZ_CHECK(code <= (name.empty() ? 1 : name.length()));
  if (name.empty()) FUZZ_CHECK(code == 1);
  NAMERESERVED(name);
}

// The heading's path is made absolute and never expanded as %NAME%.
void check_truncpath(const Str& path, uint8_t width) {
  Str full = FEXPAND(path);
  Str shown = TRUNCPATH(path, width);
  if (full.length() <= width) FUZZ_CHECK(shown == full);
  if (shown == full || shown.length() <= width) return;
  // Too long yet shortened: only the last candidate, H\...\L, may be.
  int last_sep = 0;
  for (int i = 1; i <= full.length(); ++i)
    if (full.at(i) == '\\') last_sep = i;
  Str last_candidate = full.left(full.pos('\\') - 1) + "\\...\\" + full.from(last_sep + 1);
  FUZZ_CHECK(shown == last_candidate);
}

}  // namespace
}  // namespace zelmo

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zelmo::set_environment();
  zelmo::enter_deep_directory();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelmo;
  if (size == 0) return 0;
  uint8_t width = data[0];
  Str text(reinterpret_cast<const char*>(data + 1), size - 1);
  check_expansion(text);
  check_split(text);
  check_validation(text);
  check_truncpath(text, width);
  return 0;
}
