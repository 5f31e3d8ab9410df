// Path text routines shared by both builds: they only read and rewrite text.
// The one thing a platform adds is its current directories (GETDIR).
#include "platform/pathtext.h"

#include <string>
#include <string_view>
#include <vector>

#include "platform/filesys.h"

namespace zelmo {

namespace {

// "/" is read as "\" in every path the tool is given.
std::string backslashed(std::string_view path) {
  std::string result(path);
  for (char& c : result)
    if (c == '/') c = '\\';
  return result;
}

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool has_drive(std::string_view path) { return path.size() >= 2 && path[1] == ':' && is_letter(path[0]); }

// A path cut into what stands before its root and what follows.
struct Rooted {
  std::string head;  // "C:", "\\server\share" or ""
  std::string rest;  // the parts, beginning with "\" when they start at the root
};

// A network path keeps "\\server\share" whole as its head; a drive path has
// its drive as head; any other path has none.
Rooted split_head(const std::string& path) {
  size_t head_end = 0;
  if (path.starts_with("\\\\")) {
    size_t server_end = path.find('\\', 2);
    size_t share_end = server_end == std::string::npos ? std::string::npos : path.find('\\', server_end + 1);
    head_end = share_end == std::string::npos ? path.size() : share_end;
  } else if (has_drive(path)) {
    head_end = 2;
  }
  return {path.substr(0, head_end), path.substr(head_end)};
}

// The current directory of the path's drive, cut at its root; false when the
// platform does not know it.
bool directory_for(const std::string& path, DirectoryOf dir_of, Rooted& dir) {
  std::string current = backslashed(dir_of(0).view());
  if (has_drive(path) && !(has_drive(current) && UPCASE(current[0]) == UPCASE(path[0])))
    current = backslashed(dir_of(static_cast<uint8_t>(UPCASE(path[0]) - 'A' + 1)).view());
  if (current.empty()) return false;
  dir = split_head(current);
  return true;
}

// Resolves "." and ".." and drops empty parts. Above the root ".." stays at
// the root; in a path that stays relative a leading ".." is kept.
std::string resolved(const std::string& parts, bool absolute, bool closing) {
  std::vector<std::string_view> kept;
  std::string_view rest = parts;
  while (!rest.empty()) {
    size_t end = rest.find('\\');
    std::string_view part = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (part.empty() || part == ".") continue;
    if (part == ".." && !kept.empty() && kept.back() != "..") {
      kept.pop_back();
    } else if (part == ".." && absolute) {
      continue;
    } else {
      kept.push_back(part);
    }
  }
  std::string result = absolute ? "\\" : "";
  for (size_t i = 0; i < kept.size(); ++i) {
    if (i > 0) result += '\\';
    result += kept[i];
  }
  if (closing && !kept.empty()) result += '\\';
  return result;
}

}  // namespace

void FSPLIT(const Str& path, Str& dir, Str& name, Str& ext) {
  FSPLIT_WITH(path, HAS_DRIVES(), dir, name, ext);
}

void FSPLIT_WITH(const Str& path, bool drives, Str& dir, Str& name, Str& ext) {
  std::string rest = backslashed(path.view());
  std::string directory;
  size_t colon = drives ? rest.find(':') : std::string::npos;
  if (colon != std::string::npos) {
    directory = std::string(1, rest[0]) + ':';
    rest.erase(0, colon + 1);
  }
  size_t last_separator = rest.rfind('\\');
  if (last_separator != std::string::npos) {
    directory += rest.substr(0, last_separator + 1);
    rest.erase(0, last_separator + 1);
  }
  size_t dot = rest.rfind('.');
  if (dot == std::string::npos) dot = rest.size();
  dir = Str(directory);
  name = Str(std::string_view(rest).substr(0, dot));
  ext = Str(std::string_view(rest).substr(dot));
}

Str FEXPAND_WITH(const Str& path, DirectoryOf dir_of) {
  // Built in a longer text and cut only at the end, so that ".." parts that
  // stand beyond 255 bytes of the joined path are still resolved.
  std::string text = backslashed(path.view());
  Rooted rooted = split_head(text);
  bool network = text.starts_with("\\\\");
  bool absolute = rooted.rest.starts_with("\\") || (network && !rooted.rest.empty());
  Rooted current;
  if (!network && !absolute && directory_for(text, dir_of, current)) {
    // A relative start: the parts go below the drive's current directory.
    rooted.rest = current.rest + '\\' + rooted.rest;
    absolute = current.rest.starts_with("\\");
    if (!has_drive(text)) rooted.head = current.head;
  } else if (!network && absolute && !has_drive(text) && directory_for(text, dir_of, current)) {
    // From the root of the current drive (or of the current network share).
    rooted.head = current.head;
  }
  bool closing = text.ends_with('\\');
  std::string result = rooted.head;
  if (!network || absolute) result += resolved(rooted.rest, absolute, closing);
  return Str(result);
}

Str FEXPAND(const Str& path) {
  // Where "\" is the root of every path, a path from it needs no current
  // directory; asking for one would cost a system call for every heading.
  if (!HAS_DRIVES() && (path.starts_with("\\") || path.starts_with("/")))
    return FEXPAND_WITH(path, [](uint8_t) { return Str(); });
  return FEXPAND_WITH(path, GETDIR);
}

}  // namespace zelmo
