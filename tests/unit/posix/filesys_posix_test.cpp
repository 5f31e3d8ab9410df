// The file-system services on a real temporary directory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/filesys.h"
#include "platform/posix/resolve_posix.h"
#include "tests/unit/posix/tempdir_posix.h"

namespace zelmo {

namespace {

constexpr char kValue[] = "user.DOSATTRIB";

class PosixFs : public PosixTempDir {
 protected:
  void file(const std::string& rel, const std::string& text = "", mode_t mode = 0644) const {
    std::ofstream(at(rel)) << text;
    chmod(at(rel).c_str(), mode);
  }
  void value(const std::string& rel, const std::string& v) const {
    ASSERT_EQ(setxattr(at(rel).c_str(), kValue, v.data(), v.size(), 0), 0) << rel;
  }
  // The stored value, or "(none)".
  std::string value(const std::string& rel) const {
    char buffer[256];
    ssize_t n = lgetxattr(at(rel).c_str(), kValue, buffer, sizeof buffer);
    return n < 0 ? "(none)" : std::string(buffer, size_t(n));
  }
  mode_t mode(const std::string& rel) const {
    struct stat st;
    return lstat(at(rel).c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
  }
  uint32_t word(const std::string& rel) const {
    uint32_t attr = 0;
    EXPECT_EQ(GETFATTR(tool(rel), attr), 0) << rel;
    return attr;
  }
};

using Listing = std::vector<std::pair<std::string, uint32_t>>;

Listing search(const Str& mask, uint32_t attrmask, SearchDetail detail = SearchDetail::kFull) {
  Listing out;
  SearchRec rec;
  for (int r = FINDFIRST(mask, attrmask, rec, detail); r == 0; r = FINDNEXT(rec))
    out.emplace_back(std::string(rec.name.view()), rec.attr);
  FINDCLOSE(rec);
  return out;
}

std::map<std::string, uint32_t> as_map(const Listing& listing) { return {listing.begin(), listing.end()}; }

}  // namespace

TEST_F(PosixFs, SearchFiltersByTheAttributeMask) {
  file("plain", "12345");
  file(".dot");
  file("hid");
  value("hid", "0x2");
  file("sys");
  value("sys", std::string("0x4\0", 4));
  file("ro", "", 0444);
  mkdir(at("sub").c_str(), 0755);
  const uint32_t D = kDirectory;
  struct Case {
    uint32_t attrmask;
    std::map<std::string, uint32_t> expected;
  } cases[] = {
      {118,
       {{".", D},
        {"..", D},
        {"plain", 0},
        {".dot", kHidden},
        {"hid", kHidden},
        {"sys", kSystem},
        {"ro", kReadOnly},
        {"sub", D}}},
      {55,
       {{".", D},
        {"..", D},
        {"plain", 0},
        {".dot", kHidden},
        {"hid", kHidden},
        {"sys", kSystem},
        {"ro", kReadOnly},
        {"sub", D}}},
      {102, {{"plain", 0}, {".dot", kHidden}, {"hid", kHidden}, {"sys", kSystem}, {"ro", kReadOnly}}},
      {kArchive, {{"plain", 0}, {"ro", kReadOnly}}},
      {kArchive | kSystem, {{"plain", 0}, {"ro", kReadOnly}, {"sys", kSystem}}},
  };
  for (const Case& c : cases) EXPECT_EQ(as_map(search(tool("*.*"), c.attrmask)), c.expected) << c.attrmask;

  Listing all = search(tool("*"), 118);
  ASSERT_GE(all.size(), 2u);
  EXPECT_EQ(all[0].first, ".");
  EXPECT_EQ(all[1].first, "..");

  SearchRec rec;
  ASSERT_EQ(FINDFIRST(tool("PLAIN"), 102, rec), 0);
  EXPECT_EQ(rec.name, "plain");
  EXPECT_EQ(rec.size, 5);
  EXPECT_GT(rec.time, 0);
  EXPECT_NE(FINDNEXT(rec), 0);
  FINDCLOSE(rec);
  EXPECT_NE(FINDFIRST(tool("SUB"), 102, rec), 0) << "a directory is no file";
  EXPECT_EQ(rec.state, nullptr);
}

TEST_F(PosixFs, NamesAndTypesSufficeForATreeScan) {
  mkdir(at("sub").c_str(), 0755);
  file("f");
  value("f", "0x6");
  symlink("sub", at("to_sub").c_str());
  symlink("f", at("to_f").c_str());
  std::map<std::string, uint32_t> expected = {
      {".", kDirectory}, {"..", kDirectory},      {"sub", kDirectory},
      {"f", 0},          {"to_f", kReparsePoint}, {"to_sub", kDirectory | kReparsePoint}};
  EXPECT_EQ(as_map(search(tool("*.*"), 55, SearchDetail::kNameAndType)), expected);
  // Without Hidden and System in the mask, the whole word is read to filter.
  EXPECT_EQ(as_map(search(tool("F"), 0x21, SearchDetail::kNameAndType)).size(), 0u);
}

TEST_F(PosixFs, PlainNamesFindTheExactEntryFirstThenTheFirstInByteOrder) {
  file("a.txt", "1");
  file("A.TXT", "22");
  file("b.Txt", "333");
  struct Case {
    const char* asked;
    const char* found;
  } cases[] = {{"a.txt", "a.txt"}, {"A.TXT", "A.TXT"}, {"a.TXT", "A.TXT"}, {"B.TXT", "b.Txt"}};
  for (const Case& c : cases) {
    SearchRec rec;
    ASSERT_EQ(FINDFIRST(tool(c.asked), 102, rec), 0) << c.asked;
    EXPECT_EQ(rec.name, c.found) << c.asked;
    FINDCLOSE(rec);
    uint32_t attr;
    EXPECT_EQ(GETFATTR(tool(c.asked), attr), 0) << c.asked;
  }
}

TEST_F(PosixFs, EveryPartIsFoundWhateverItsCase) {
  mkdir(at("Dir1").c_str(), 0755);
  mkdir(at("Dir1/Sub2").c_str(), 0755);
  file("Dir1/Sub2/File.Txt", "x");
  std::string upper = root_;
  for (char& c : upper) c = char(toupper(c));
  for (char& c : upper)
    if (c == '/') c = '\\';
  Str mask = Str(upper) + "\\DIR1\\sub2\\*.TXT";
  EXPECT_EQ(as_map(search(mask, 118)), (std::map<std::string, uint32_t>{{"File.Txt", 0}}));
  EXPECT_EQ(word("DIR1/SUB2/FILE.TXT"), 0u);
  EXPECT_EQ(word("dir1/sub2"), kDirectory);
  uint32_t attr;
  EXPECT_EQ(GETFATTR(Str(upper) + "/dir1/SUB2/file.txt", attr), 0) << "\"/\" reads as \"\\\"";

  // A directory renamed since is not reached by an earlier finding.
  ASSERT_EQ(rename(at("Dir1").c_str(), at("Old").c_str()), 0);
  mkdir(at("dIR1").c_str(), 0755);
  file("dIR1/new.txt");
  EXPECT_EQ(as_map(search(Str(upper) + "\\DIR1\\*.TXT", 118)),
            (std::map<std::string, uint32_t>{{"new.txt", 0}}));
}

TEST_F(PosixFs, PathsThatNameNothingOnDisk) {
  file("f");
  SearchRec rec;
  const Str masks[] = {"C:\\*.*",
                       "C:*.*",
                       "\\\\server\\share\\*.*",
                       "//server/share/*.*",
                       tool("nothere\\*.*"),
                       tool("f\\*.*"),
                       tool(""),
                       Str("")};
  for (const Str& mask : masks) {
    EXPECT_NE(FINDFIRST(mask, 118, rec), 0) << mask.c_str();
    EXPECT_EQ(rec.state, nullptr);
    FINDCLOSE(rec);
  }
  uint32_t attr = 1;
  EXPECT_NE(GETFATTR(Str("C:\\"), attr), 0);
  EXPECT_EQ(attr, 0u);
  EXPECT_NE(GETFATTR(Str(""), attr), 0);
  EXPECT_EQ(GETFATTR(Str("\\"), attr), 0);
  EXPECT_EQ(attr, kDirectory);
  EXPECT_NE(GETFATTR(tool("f") + Str("\0x", 2), attr), 0) << "a NUL byte cuts no path short";
}

TEST_F(PosixFs, NamesHoldingABackslashAreSkipped) {
  file("a\\b");
  file("c");
  EXPECT_EQ(as_map(search(tool("*"), 102)), (std::map<std::string, uint32_t>{{"c", 0}}));
}

TEST_F(PosixFs, ReadOnlyGoesWithTheWriteBits) {
  file("f", "", 0664);
  ASSERT_EQ(SETFATTR(tool("f"), kReadOnly), 0);
  EXPECT_EQ(mode("f"), 0444u);
  EXPECT_EQ(value("f"), "0x1");
  EXPECT_EQ(word("f"), kReadOnly);
  ASSERT_EQ(SETFATTR(tool("f"), kArchive), 0);
  EXPECT_EQ(mode("f"), 0644u);
  EXPECT_EQ(value("f"), "0x20");
  EXPECT_EQ(word("f"), kArchive);

  // A file without write bits shows Read-only; clearing it gives the owner write.
  file("g", "", 0440);
  EXPECT_EQ(word("g"), kReadOnly);
  ASSERT_EQ(SETFATTR(tool("g"), 0), 0);
  EXPECT_EQ(mode("g"), 0640u);

  // Directories keep their mode; Read-only is only stored.
  mkdir(at("d").c_str(), 0755);
  ASSERT_EQ(SETFATTR(tool("d"), kReadOnly | kHidden), 0);
  EXPECT_EQ(mode("d"), 0755u);
  EXPECT_EQ(value("d"), "0x13");
  EXPECT_EQ(word("d"), kDirectory | kReadOnly | kHidden);
}

TEST_F(PosixFs, AClearedHiddenStaysClearedOnADotFile) {
  file(".dot");
  EXPECT_EQ(word(".dot"), kHidden);
  ASSERT_EQ(SETFATTR(tool(".dot"), 0), 0);
  EXPECT_EQ(value(".dot"), "0x0");
  EXPECT_EQ(word(".dot"), 0u);
  EXPECT_EQ(as_map(search(tool(".*"), 118))[".dot"], 0u);
}

TEST_F(PosixFs, ASambaRecordIsRewrittenInItsVersion) {
  std::string v5("\0\0\5\0\5\0\0\0\x11\0\0\0\x27\0\0\0\1\2\3\4\5\6\7\x08", 24);
  file("s");
  value("s", v5);
  EXPECT_EQ(word("s"), kReadOnly | kHidden | kSystem | kArchive);
  ASSERT_EQ(SETFATTR(tool("s"), kHidden | kArchive), 0);
  std::string expected = v5;
  expected[12] = 0x22;
  EXPECT_EQ(value("s"), expected);
}

TEST_F(PosixFs, AnUnreadableValueIsShownDerivedAndNeverReplaced) {
  file(".u");
  value(".u", "garbage");
  EXPECT_EQ(word(".u"), kHidden);
  EXPECT_NE(SETFATTR(tool(".u"), kArchive), 0);
  EXPECT_EQ(value(".u"), "garbage");
}

TEST_F(PosixFs, LinksAreListedButNeverFollowedWhenSetting) {
  mkdir(at("d").c_str(), 0755);
  file("f", "", 0644);
  symlink("d", at("to_d").c_str());
  symlink("f", at("to_f").c_str());
  symlink("nowhere", at("dangling").c_str());
  std::map<std::string, uint32_t> listed = as_map(search(tool("*"), 118));
  EXPECT_EQ(listed["to_d"], kDirectory | kReparsePoint);
  EXPECT_EQ(listed["to_f"], kReparsePoint);
  EXPECT_EQ(listed["dangling"], kReparsePoint);
  EXPECT_EQ(word("to_d") & 0xff, kDirectory) << "the field shows only the low byte";
  for (const char* link : {"to_d", "to_f", "dangling"}) {
    EXPECT_NE(SETFATTR(tool(link), kReadOnly | kHidden), 0) << link;
  }
  EXPECT_EQ(value("f"), "(none)");
  EXPECT_EQ(value("d"), "(none)");
  EXPECT_EQ(mode("f"), 0644u);
}

TEST_F(PosixFs, AnImmutableFileRefusesEveryChangeWhole) {
  file("i", "", 0644);
  value("i", "0x20");
  int fd = open(at("i").c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  int flags = 0;
  int set = ioctl(fd, FS_IOC_GETFLAGS, &flags);
  if (set == 0) {
    flags |= FS_IMMUTABLE_FL;
    set = ioctl(fd, FS_IOC_SETFLAGS, &flags);
  }
  if (set != 0) {
    close(fd);
    GTEST_SKIP() << "this file system keeps no immutable flag";
  }
  EXPECT_NE(SETFATTR(tool("i"), kReadOnly | kArchive), 0);
  EXPECT_NE(SETFATTR(tool("i"), kHidden | kArchive), 0);
  EXPECT_EQ(mode("i"), 0644u);
  EXPECT_EQ(value("i"), "0x20");
  flags &= ~FS_IMMUTABLE_FL;
  ioctl(fd, FS_IOC_SETFLAGS, &flags);
  // Made read-only while mutable, then immutable: clearing Read-only changes nothing either.
  ASSERT_EQ(SETFATTR(tool("i"), kReadOnly), 0);
  flags |= FS_IMMUTABLE_FL;
  ASSERT_EQ(ioctl(fd, FS_IOC_SETFLAGS, &flags), 0);
  EXPECT_NE(SETFATTR(tool("i"), 0), 0);
  EXPECT_EQ(mode("i"), 0444u);
  EXPECT_EQ(value("i"), "0x1");
  flags &= ~FS_IMMUTABLE_FL;
  ioctl(fd, FS_IOC_SETFLAGS, &flags);
  close(fd);
}

// Runs checks as an ordinary user (nobody), where permissions bite; the
// result holds one bit per failed check.
template <class Checks>
int as_nobody(Checks checks) {
  pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(255);
    _exit(checks());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 254;
}

TEST_F(PosixFs, AnOwnerChangesItsFilesWhateverTheirWriteBits) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  chmod(root_.c_str(), 0777);
  file("mine", "", 0644);
  file("ro", "", 0444);
  file("theirs", "", 0666);
  chown(at("mine").c_str(), 65534, 65534);
  chown(at("ro").c_str(), 65534, 65534);
  int failed = as_nobody([&] {
    int bits = 0;
    // Read-only is set after the value is written, cleared before.
    if (SETFATTR(tool("mine"), kReadOnly) != 0) bits |= 1;
    if (SETFATTR(tool("mine"), kReadOnly | kHidden) != 0) bits |= 2;
    if (SETFATTR(tool("mine"), kHidden) != 0) bits |= 4;
    if (SETFATTR(tool("ro"), kReadOnly | kSystem) != 0) bits |= 8;
    // Someone else's file: the value could be written, the mode not, so neither is.
    if (SETFATTR(tool("theirs"), kReadOnly) == 0) bits |= 16;
    return bits;
  });
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(value("mine"), "0x2");
  EXPECT_EQ(mode("mine"), 0644u);
  EXPECT_EQ(value("ro"), "0x5");
  EXPECT_EQ(mode("ro"), 0444u);
  EXPECT_EQ(value("theirs"), "(none)");
  EXPECT_EQ(mode("theirs"), 0666u);
}

TEST_F(PosixFs, ANewFileNeverTakesAnExistingName) {
  file("taken");
  symlink("taken", at("link").c_str());
  symlink("nowhere", at("dangling").c_str());
  FileHandle h;
  for (const char* name : {"taken", "TAKEN", "link", "dangling"}) {
    EXPECT_NE(FILE_CREATE_NEW(tool(name), h), 0) << name;
    EXPECT_EQ(h, kNoFile);
  }
  EXPECT_FALSE(std::filesystem::exists(at("nowhere")));
  ASSERT_EQ(FILE_CREATE_NEW(tool("New.Tmp"), h), 0);
  EXPECT_EQ(mode("New.Tmp"), 0600u);
  ASSERT_EQ(FILE_WRITE(h, "abcdef", 6), 0);
  ASSERT_EQ(FILE_SEEK(h, 2), 0);
  char buffer[8];
  size_t got = 0;
  ASSERT_EQ(FILE_READ(h, buffer, sizeof buffer, got), 0);
  EXPECT_EQ(std::string(buffer, got), "cdef");
  int64_t size = 0;
  EXPECT_EQ(FILE_SIZE(h, size), 0);
  EXPECT_EQ(size, 6);
  EXPECT_EQ(FILE_CLOSE(h), 0);
}

// The list file is deleted where it was made, and only while its name still
// names it: a file put in its place stays.
TEST_F(PosixFs, AClosedAndDeletedFileIsThatFileAlone) {
  FileHandle h;
  ASSERT_EQ(FILE_CREATE_NEW(tool("list.tmp"), h), 0);
  ASSERT_EQ(FILE_CLOSE_AND_DELETE(h, tool("LIST.TMP")), 0);
  EXPECT_FALSE(std::filesystem::exists(at("list.tmp")));

  mkdir(at("d").c_str(), 0755);
  ASSERT_EQ(FILE_CREATE_NEW(tool("d\\list.tmp"), h), 0);
  file("planted", "theirs");
  ASSERT_EQ(rename(at("planted").c_str(), at("d/list.tmp").c_str()), 0);
  EXPECT_NE(FILE_CLOSE_AND_DELETE(h, tool("d\\list.tmp")), 0);
  EXPECT_EQ(std::filesystem::file_size(at("d/list.tmp")), 6u);

  // Made in a directory that was then moved and replaced: deleted where it is.
  ASSERT_EQ(FILE_CREATE_NEW(tool("d\\mine.tmp"), h), 0);
  ASSERT_EQ(rename(at("d").c_str(), at("moved").c_str()), 0);
  mkdir(at("d").c_str(), 0755);
  file("d/mine.tmp");
  ASSERT_EQ(FILE_CLOSE_AND_DELETE(h, tool("d\\mine.tmp")), 0);
  EXPECT_FALSE(std::filesystem::exists(at("moved/mine.tmp")));
  EXPECT_TRUE(std::filesystem::exists(at("d/mine.tmp")));
}

// The contents of a file, or "(none)".
std::string contents(const std::string& path) {
  std::ifstream in(path);
  if (!in) return "(none)";
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST_F(PosixFs, AnOpenFileIsForItsHolderAlone) {
  file("out.txt", "abc");
  FileHandle first, second;
  bool existed = false;
  ASSERT_EQ(FILE_OPEN_OR_CREATE(tool("OUT.TXT"), first, existed), 0);
  EXPECT_TRUE(existed);
  EXPECT_NE(FILE_OPEN_OR_CREATE(tool("out.txt"), second, existed), 0);
  EXPECT_NE(DELETEFILE(tool("out.txt")), 0);
  int64_t size = 0;
  ASSERT_EQ(FILE_SIZE(first, size), 0);
  ASSERT_EQ(FILE_SEEK(first, size), 0);
  ASSERT_EQ(FILE_WRITE(first, "d", 1), 0);
  ASSERT_EQ(FILE_CLOSE(first), 0);
  EXPECT_EQ(contents(at("out.txt")), "abcd") << "a refused second open empties nothing";

  ASSERT_EQ(FILE_OPEN_OR_CREATE(tool("out.txt"), first, existed), 0);
  ASSERT_EQ(FILE_TRUNCATE(first), 0);
  EXPECT_EQ(FILE_SIZE(first, size), 0);
  EXPECT_EQ(size, 0);
  ASSERT_EQ(FILE_WRITE(first, "e", 1), 0);
  FILE_CLOSE(first);
  EXPECT_EQ(contents(at("out.txt")), "e");
  EXPECT_EQ(DELETEFILE(tool("OUT.txt")), 0);
  EXPECT_FALSE(std::filesystem::exists(at("out.txt")));
}

// Whether the output file exists is asked of its name exactly as given,
// the case typed first: a name ending with "." or holding "?" or "*" is a
// name like any other.
TEST_F(PosixFs, TheOutputFileIsFoundByItsExactNameOrCreatedAsTyped) {
  file("out.txt", "lower");
  file("OUT.TXT", "upper");
  file("OUT.", "dot");
  file("A?B*", "wild");
  mkdir(at("Dir").c_str(), 0755);
  const struct {
    const char* asked;
    bool existed;
    const char* opened;  // the file written to, below the temporary directory
  } cases[] = {
      {"out.txt", true, "out.txt"},
      {"OUT.TXT", true, "OUT.TXT"},
      {"Out.Txt", true, "OUT.TXT"},
      {"out.", true, "OUT."},
      {"a?b*", true, "A?B*"},
      {"New.Txt", false, "New.Txt"},
      {"dir\\x.log", false, "Dir/x.log"},
  };
  for (const auto& c : cases) {
    std::string before = contents(at(c.opened));
    FileHandle h;
    bool existed = !c.existed;
    ASSERT_EQ(FILE_OPEN_OR_CREATE(tool(c.asked), h, existed), 0) << c.asked;
    EXPECT_EQ(existed, c.existed) << c.asked;
    ASSERT_EQ(FILE_WRITE(h, "#", 1), 0);
    FILE_CLOSE(h);
    std::string after = contents(at(c.opened));
    EXPECT_EQ(after, c.existed ? "#" + before.substr(1) : std::string("#")) << c.asked;
  }
  EXPECT_EQ(mode("New.Txt") & 0600, 0600u);
  FileHandle h;
  bool existed = true;
  EXPECT_NE(FILE_OPEN_OR_CREATE(tool("Dir"), h, existed), 0);
  EXPECT_FALSE(existed) << "a directory is no file";
  EXPECT_NE(FILE_OPEN_OR_CREATE(tool("none\\x.log"), h, existed), 0);
  EXPECT_FALSE(existed);
}

TEST_F(PosixFs, OutputThroughALinkReachesOnlyAnExistingFile) {
  file("real", "old");
  symlink("real", at("to_real").c_str());
  symlink("nowhere", at("dangling").c_str());
  FileHandle h;
  bool existed = false;
  ASSERT_EQ(FILE_OPEN_OR_CREATE(tool("to_real"), h, existed), 0);
  EXPECT_TRUE(existed);
  ASSERT_EQ(FILE_TRUNCATE(h), 0);
  FILE_CLOSE(h);
  EXPECT_EQ(std::filesystem::file_size(at("real")), 0u);
  existed = false;
  EXPECT_NE(FILE_OPEN_OR_CREATE(tool("dangling"), h, existed), 0);
  EXPECT_TRUE(existed) << "a dangling link counts as a file, as it did for the policy";
  EXPECT_FALSE(std::filesystem::exists(at("nowhere")));
  mkfifo(at("fifo").c_str(), 0600);
  EXPECT_NE(FILE_OPEN_OR_CREATE(tool("fifo"), h, existed), 0) << "must neither hang nor be taken";
}

// A link is followed only when the user running the tool or root owns it:
// another user's link could lead root's run to any file.
TEST_F(PosixFs, OnlyTheUsersOwnLinksAndRootsAreFollowed) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give links to another user";
  chmod(root_.c_str(), 0777);
  mkdir(at("dir").c_str(), 0777);
  file("dir/target", "precious", 0666);
  for (const char* link : {"theirs", "roots"}) symlink(at("dir/target").c_str(), at(link).c_str());
  for (const char* link : {"theirs_dir", "roots_dir"}) symlink(at("dir").c_str(), at(link).c_str());
  for (const char* link : {"theirs", "theirs_dir"}) lchown(at(link).c_str(), 65534, 65534);
  auto opens = [&](const char* name) {
    FileHandle h;
    bool existed = false;
    if (FILE_OPEN_OR_CREATE(tool(name), h, existed) != 0) return existed ? 1 : 2;
    FILE_CLOSE(h);
    return 0;
  };
  auto finds = [&](const char* name) {
    uint32_t attr = 0;
    return GETFATTR(tool(name), attr) == 0;
  };
  EXPECT_EQ(opens("theirs"), 1) << "refused, and counted as existing";
  EXPECT_EQ(opens("roots"), 0);
  EXPECT_EQ(opens("theirs_dir\\target"), 2);
  EXPECT_EQ(opens("roots_dir\\target"), 0);
  EXPECT_FALSE(finds("theirs_dir\\target"));
  EXPECT_TRUE(finds("roots_dir\\target"));
  EXPECT_NE(HOLD_TOP(tool("theirs_dir")), 0);
  posix::RELEASE_TOP();
  EXPECT_EQ(contents(at("dir/target")), "precious");
  // For nobody, its own links and root's are followed.
  int failed = as_nobody([&] {
    int bits = 0;
    if (opens("theirs") != 0) bits |= 1;
    if (opens("roots") != 0) bits |= 2;
    if (!finds("theirs_dir\\target")) bits |= 4;
    if (!finds("roots_dir\\target")) bits |= 8;
    return bits;
  });
  EXPECT_EQ(failed, 0);
}

TEST_F(PosixFs, DirectoriesAreMadeAndEntered) {
  EXPECT_EQ(MKDIR(Str("")), 0);
  EXPECT_EQ(CHDIR(Str("")), 0);
  ASSERT_EQ(MKDIR(tool("New")), 0);
  EXPECT_NE(MKDIR(tool("NEW")), 0) << "the name is taken whatever its case";
  EXPECT_NE(MKDIR(tool("none\\x")), 0);
  char here[4096];
  ASSERT_NE(getcwd(here, sizeof here), nullptr);
  ASSERT_EQ(CHDIR(tool("NEW")), 0);
  file("New/rel");
  uint32_t attr = 1;
  EXPECT_EQ(GETFATTR(Str("REL"), attr), 0);
  EXPECT_EQ(attr, 0u);
  ASSERT_EQ(CHDIR(Str("..")), 0);
  EXPECT_EQ(GETFATTR(Str("new\\rel"), attr), 0);
  EXPECT_NE(GETFATTR(Str("REL"), attr), 0) << "a relative path follows the current directory";
  EXPECT_NE(DELETEFILE(tool("new")), 0) << "a directory is not deleted as a file";
  ASSERT_EQ(chdir(here), 0);
}

}  // namespace zelmo
