// The file-system services on a real temporary directory. Wine keeps Hidden
// and System in an extended attribute of the Unix file and always reports
// Archive on regular files; the cases that depend on this say so.
#include "platform/filesys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/win32/process_win32.h"
#include "platform/win32/system_win32.h"

namespace zelmo {

namespace {

bool under_wine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

class FileSystem : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    dir_ = std::string(temp) + "zelmo_fs_" + std::to_string(GetCurrentProcessId()) + "_" +
           std::to_string(GetTickCount64());
    ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr)) << dir_;
  }

  void TearDown() override {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
      SetFileAttributesA(it->c_str(), FILE_ATTRIBUTE_NORMAL);
      if (!DeleteFileA(it->c_str())) RemoveDirectoryA(it->c_str());
    }
    RemoveDirectoryA(dir_.c_str());
  }

  Str path(const std::string& name) const { return Str((dir_ + "\\" + name).c_str()); }

  // A file holding text, then given the attribute word attr (0: left as made).
  Str make_file(const std::string& name, const std::string& text = "", uint32_t attr = 0) {
    const Str full = path(name);
    made_.push_back(full.c_str());
    FileHandle file = kNoFile;
    EXPECT_EQ(FILE_CREATE_NEW(full, file), 0) << name;
    EXPECT_EQ(FILE_WRITE(file, text.data(), text.size()), 0) << name;
    EXPECT_EQ(FILE_CLOSE(file), 0) << name;
    if (attr != 0) {
      EXPECT_EQ(SETFATTR(full, attr), 0) << name;
    }
    return full;
  }

  Str make_dir(const std::string& name, uint32_t attr = 0) {
    const Str full = path(name);
    made_.push_back(full.c_str());
    EXPECT_EQ(MKDIR(full), 0) << name;
    if (attr != 0) {
      EXPECT_EQ(SETFATTR(full, attr), 0) << name;
    }
    return full;
  }

  // The names FINDFIRST and FINDNEXT give for a pattern and mask, sorted.
  std::vector<std::string> find(const std::string& pattern, uint32_t attrmask) {
    std::vector<std::string> names;
    SearchRec rec;
    for (int error = FINDFIRST(path(pattern), attrmask, rec); error == 0; error = FINDNEXT(rec)) {
      names.emplace_back(rec.name.view());
    }
    FINDCLOSE(rec);
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string dir_;
  std::vector<std::string> made_;
};

TEST_F(FileSystem, AttributesReadBackAsSet) {
  struct Case {
    const char* what;
    uint32_t set;
  } const cases[] = {
      {"R", kReadOnly},
      {"H", kHidden},
      {"S", kSystem},
      {"A", kArchive},
      {"HS", kHidden | kSystem},
      {"RHSA", kReadOnly | kHidden | kSystem | kArchive},
  };
  const Str file = make_file("attr.txt");
  for (const Case& c : cases) {
    ASSERT_EQ(SETFATTR(file, c.set), 0) << c.what;
    uint32_t got = 0;
    ASSERT_EQ(GETFATTR(file, got), 0) << c.what;
    EXPECT_EQ(got & (kReadOnly | kHidden | kSystem), c.set & (kReadOnly | kHidden | kSystem)) << c.what;
    EXPECT_EQ(got & kDirectory, 0u) << c.what;
    // Wine reports Archive on every regular file.
    if (!under_wine() || (c.set & kArchive)) {
      EXPECT_EQ(got & kArchive, c.set & kArchive) << c.what;
    }
  }
}

TEST_F(FileSystem, ZeroWordClearsEveryAttribute) {
  const Str file = make_file("clear.txt", "", kReadOnly | kHidden | kSystem | kArchive);
  ASSERT_EQ(SETFATTR(file, 0), 0);
  uint32_t got = 0;
  ASSERT_EQ(GETFATTR(file, got), 0);
  EXPECT_EQ(got & (kReadOnly | kHidden | kSystem), 0u);
  // Wine reports Archive on every regular file.
  if (!under_wine()) {
    EXPECT_EQ(got & kArchive, 0u);
  }
}

TEST_F(FileSystem, DirectoryKeepsItsBitWhenAttributesChange) {
  const Str sub = make_dir("sub");
  uint32_t got = 0;
  ASSERT_EQ(SETFATTR(sub, kDirectory | kHidden), 0);
  ASSERT_EQ(GETFATTR(sub, got), 0);
  EXPECT_EQ(got & (kDirectory | kHidden), kDirectory | kHidden);
  ASSERT_EQ(SETFATTR(sub, kDirectory), 0);
  ASSERT_EQ(GETFATTR(sub, got), 0);
  EXPECT_EQ(got & (kDirectory | kHidden | kSystem | kReadOnly), kDirectory);
}

TEST_F(FileSystem, MissingNameGivesAnErrorAndZeroWord) {
  uint32_t got = 99;
  EXPECT_NE(GETFATTR(path("missing.txt"), got), 0);
  EXPECT_EQ(got, 0u);
  EXPECT_NE(SETFATTR(path("missing.txt"), kHidden), 0);
}

TEST_F(FileSystem, SlashReadsAsBackslash) {
  make_file("slash.txt");
  std::string name = dir_ + "/slash.txt";
  std::replace(name.begin(), name.end(), '\\', '/');
  uint32_t got = 0;
  EXPECT_EQ(GETFATTR(Str(name.c_str()), got), 0) << name;
  EXPECT_NE(got, 0u);
}

TEST_F(FileSystem, SearchSkipsEntriesTheMaskLacks) {
  make_file("plain.txt");
  make_file("readonly.txt", "", kReadOnly);
  make_file("hidden.txt", "", kHidden);
  make_file("system.txt", "", kSystem);
  make_file("hidsys.txt", "", kHidden | kSystem);
  make_dir("subdir");
  make_dir("hiddendir", kDirectory | kHidden);
  using Names = std::vector<std::string>;
  const Names files = {"hidden.txt", "hidsys.txt", "plain.txt", "readonly.txt", "system.txt"};
  Names everything = files;
  everything.insert(everything.end(), {".", "..", "hiddendir", "subdir"});
  std::sort(everything.begin(), everything.end());
  struct Case {
    uint32_t mask;
    Names names;
  } const cases[] = {
      {118, everything},
      {55, everything},
      {102, files},
      {0, {"plain.txt", "readonly.txt"}},
      {kReadOnly | kArchive, {"plain.txt", "readonly.txt"}},
      {kHidden, {"hidden.txt", "plain.txt", "readonly.txt"}},
      {kSystem, {"plain.txt", "readonly.txt", "system.txt"}},
      {kDirectory, {".", "..", "plain.txt", "readonly.txt", "subdir"}},
  };
  for (const Case& c : cases) EXPECT_EQ(find("*", c.mask), c.names) << "mask " << c.mask;
  EXPECT_EQ(find("*.txt", 0), (Names{"plain.txt", "readonly.txt"}));
  EXPECT_EQ(find("h*", 118), (Names{"hidden.txt", "hiddendir", "hidsys.txt"}));
}

TEST_F(FileSystem, SearchRecordHoldsTheEntry) {
  make_file("sized.dat", std::string(1234, 'x'), kHidden);
  SearchRec rec;
  ASSERT_EQ(FINDFIRST(path("sized.dat"), 118, rec), 0);
  EXPECT_EQ(rec.name, "sized.dat");
  EXPECT_EQ(rec.size, 1234);
  EXPECT_EQ(rec.attr & (kHidden | kDirectory), kHidden);
  FILETIME now_ft;
  GetSystemTimeAsFileTime(&now_ft);
  const int64_t now =
      ((static_cast<int64_t>(now_ft.dwHighDateTime) << 32 | now_ft.dwLowDateTime) - 116444736000000000LL) /
      10000000;
  EXPECT_LE(std::abs(rec.time - now), 60) << rec.time << " vs " << now;
  EXPECT_NE(FINDNEXT(rec), 0);
  EXPECT_NE(FINDNEXT(rec), 0) << "a search at its end stays at its end";
  FINDCLOSE(rec);
  EXPECT_EQ(rec.state, nullptr);
  FINDCLOSE(rec);
}

TEST_F(FileSystem, SearchThatFindsNothingLeavesNothingOpen) {
  make_file("only.txt", "", kHidden);
  SearchRec rec;
  EXPECT_NE(FINDFIRST(path("none*.xyz"), 118, rec), 0);
  EXPECT_EQ(rec.state, nullptr);
  EXPECT_NE(FINDFIRST(path("only.txt"), 0, rec), 0) << "the one match is hidden";
  EXPECT_EQ(rec.state, nullptr);
  EXPECT_NE(FINDNEXT(rec), 0);
  FINDCLOSE(rec);
  EXPECT_NE(FINDFIRST(path("nodir\\*"), 118, rec), 0);
}

std::string read_all(const Str& name) {
  const HANDLE file =
      CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE) << name.c_str();
  std::string text(100, '\0');
  DWORD got = 0;
  EXPECT_TRUE(ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, nullptr));
  CloseHandle(file);
  text.resize(got);
  return text;
}

TEST_F(FileSystem, FilesWriteReadSeekAndSize) {
  const Str name = path("round.txt");
  made_.push_back(name.c_str());
  FileHandle file = kNoFile;
  ASSERT_EQ(FILE_CREATE_NEW(name, file), 0);
  ASSERT_EQ(FILE_WRITE(file, "hello world", 11), 0);
  int64_t size = 0;
  EXPECT_EQ(FILE_SIZE(file, size), 0);
  EXPECT_EQ(size, 11);
  ASSERT_EQ(FILE_SEEK(file, 6), 0);
  char part[16] = {};
  size_t got = 0;
  EXPECT_EQ(FILE_READ(file, part, sizeof part, got), 0);
  EXPECT_EQ(std::string(part, got), "world");
  EXPECT_EQ(FILE_READ(file, part, sizeof part, got), 0);
  EXPECT_EQ(got, 0u) << "at the end";
  ASSERT_EQ(FILE_CLOSE(file), 0);
  EXPECT_EQ(read_all(name), "hello world");
  EXPECT_NE(FILE_CLOSE(kNoFile), 0);
}

// The output file: an existing file is opened as it is, at its start; the
// caller then empties it or goes to its end.
TEST_F(FileSystem, OpenOrCreateTellsWhetherTheFileExisted) {
  const Str name = make_file("out.txt", "hello");
  FileHandle file = kNoFile;
  bool existed = false;
  ASSERT_EQ(FILE_OPEN_OR_CREATE(name, file, existed), 0);
  EXPECT_TRUE(existed);
  ASSERT_EQ(FILE_WRITE(file, "J", 1), 0);
  int64_t size = 0;
  ASSERT_EQ(FILE_SIZE(file, size), 0);
  ASSERT_EQ(FILE_SEEK(file, size), 0);
  ASSERT_EQ(FILE_WRITE(file, "!", 1), 0);
  ASSERT_EQ(FILE_CLOSE(file), 0);
  EXPECT_EQ(read_all(name), "Jello!");

  // The system's own rules decide what a name ending with "." names.
  const Str report = make_file("report", "old");
  ASSERT_EQ(FILE_OPEN_OR_CREATE(path("REPORT."), file, existed), 0);
  EXPECT_TRUE(existed);
  ASSERT_EQ(FILE_TRUNCATE(file), 0);
  ASSERT_EQ(FILE_WRITE(file, "new", 3), 0);
  ASSERT_EQ(FILE_CLOSE(file), 0);
  EXPECT_EQ(read_all(report), "new");

  const Str fresh = path("fresh.txt");
  made_.push_back(fresh.c_str());
  ASSERT_EQ(FILE_OPEN_OR_CREATE(fresh, file, existed), 0);
  EXPECT_FALSE(existed);
  ASSERT_EQ(FILE_CLOSE(file), 0);

  EXPECT_NE(FILE_OPEN_OR_CREATE(make_dir("adir"), file, existed), 0);
  EXPECT_FALSE(existed) << "a directory is no file";
  EXPECT_EQ(file, kNoFile);
  // A file held by another opening cannot be opened, and exists all the same.
  FileHandle held = kNoFile;
  ASSERT_EQ(FILE_OPEN_OR_CREATE(name, held, existed), 0);
  existed = false;
  EXPECT_NE(FILE_OPEN_OR_CREATE(name, file, existed), 0);
  EXPECT_TRUE(existed);
  ASSERT_EQ(FILE_CLOSE(held), 0);
}

TEST_F(FileSystem, CreateNewRefusesAnExistingName) {
  const Str existing = make_file("exists.txt", "keep");
  FileHandle file = kNoFile;
  EXPECT_NE(FILE_CREATE_NEW(existing, file), 0);
  EXPECT_EQ(file, kNoFile);
  EXPECT_EQ(read_all(existing), "keep");
  const Str dir = make_dir("adir");
  EXPECT_NE(FILE_CREATE_NEW(dir, file), 0);

  const Str fresh = path("fresh.txt");
  ASSERT_EQ(FILE_CREATE_NEW(fresh, file), 0);
  ASSERT_EQ(FILE_WRITE(file, "rec", 3), 0);
  ASSERT_EQ(FILE_SEEK(file, 0), 0);
  char back[3] = {};
  size_t got = 0;
  EXPECT_EQ(FILE_READ(file, back, 3, got), 0) << "created for reading and writing";
  EXPECT_EQ(std::string(back, got), "rec");
  EXPECT_EQ(FILE_CLOSE_AND_DELETE(file, fresh), 0);
  uint32_t attr = 0;
  EXPECT_NE(GETFATTR(fresh, attr), 0) << "closed and deleted";
}

TEST_F(FileSystem, OpenFileIsHeldForExclusiveUse) {
  const Str name = make_file("exclusive.txt", "data");
  FileHandle held = kNoFile;
  bool existed = false;
  ASSERT_EQ(FILE_OPEN_OR_CREATE(name, held, existed), 0);
  FileHandle other = kNoFile;
  EXPECT_NE(FILE_OPEN_OR_CREATE(name, other, existed), 0);
  if (other != kNoFile) FILE_CLOSE(other);
  EXPECT_NE(DELETEFILE(name), 0) << "delete while open";
  ASSERT_EQ(FILE_CLOSE(held), 0);
  EXPECT_EQ(DELETEFILE(name), 0);
  EXPECT_NE(DELETEFILE(name), 0) << "already gone";
}

TEST_F(FileSystem, DirectoriesAreMadeAndEntered) {
  EXPECT_EQ(MKDIR(Str()), 0);
  EXPECT_EQ(CHDIR(Str()), 0);
  const Str sub = make_dir("work");
  EXPECT_NE(MKDIR(sub), 0) << "exists already";
  char before[MAX_PATH];
  ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, before), 0u);
  ASSERT_EQ(CHDIR(sub), 0);
  char now[MAX_PATH];
  ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, now), 0u);
  EXPECT_EQ(std::string(now).substr(std::string(now).size() - 5), "\\work") << now;
  ASSERT_TRUE(SetCurrentDirectoryA(before));
  EXPECT_NE(CHDIR(path("nowhere")), 0);
}

TEST_F(FileSystem, InterruptCleanupDeletesTheRegisteredFileEvenWhileOpen) {
  const Str name = make_file("list.tmp", "records");
  FileHandle file = kNoFile;
  bool existed = false;
  ASSERT_EQ(FILE_OPEN_OR_CREATE(name, file, existed), 0);
  SET_INTERRUPT_CLEANUP(name);
  INTERRUPT_CLEANUP();
  SET_INTERRUPT_CLEANUP(Str());
  uint32_t attr = 0;
  EXPECT_NE(GETFATTR(name, attr), 0) << "the file is gone";
  EXPECT_NE(FILE_CLOSE(file), 0) << "its handle was closed";
}

TEST_F(FileSystem, InterruptCleanupWithNothingRegisteredDeletesNothing) {
  const Str name = make_file("keep.tmp");
  SET_INTERRUPT_CLEANUP(Str());
  INTERRUPT_CLEANUP();
  uint32_t attr = 0;
  EXPECT_EQ(GETFATTR(name, attr), 0);
}

}  // namespace

}  // namespace zelmo
