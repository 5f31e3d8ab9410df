// A change made while a search is open, and the entries "." and "..".
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/filesys.h"
#include "tests/unit/posix/tempdir_posix.h"

namespace zelmo {

namespace {

class SearchChange : public PosixTempDir {
 protected:
  void files(const std::string& dir) const {
    ASSERT_EQ(mkdir(at(dir).c_str(), 0755), 0);
    for (const char* name : {"a", "b", "c"}) std::ofstream(at(dir + "/" + name)) << "x";
  }
  std::string value(const std::string& rel) const {
    char buffer[256];
    ssize_t n = lgetxattr(at(rel).c_str(), "user.DOSATTRIB", buffer, sizeof buffer);
    return n < 0 ? "(none)" : std::string(buffer, size_t(n));
  }
};

}  // namespace

// The change pass names each entry by its directory's path while the search
// that reported it is open: the change reaches the entry reported, even when
// the directory was moved and another took its name meanwhile.
TEST_F(SearchChange, AChangeReachesTheEntryTheOpenSearchReported) {
  files("d");
  SearchRec rec;
  int changed = 0;
  for (int r = FINDFIRST(tool("d/*.*"), 118, rec); r == 0; r = FINDNEXT(rec)) {
    if (rec.name == "." || rec.name == "..") continue;
    EXPECT_EQ(SETFATTR(tool("d/" + std::string(rec.name.view())), kHidden), 0) << rec.name.view();
    if (++changed == 1) {
      ASSERT_EQ(rename(at("d").c_str(), at("moved").c_str()), 0);
      files("d");
    }
  }
  FINDCLOSE(rec);
  EXPECT_EQ(changed, 3);
  for (const char* name : {"a", "b", "c"}) {
    EXPECT_EQ(value(std::string("moved/") + name), "0x2") << name;
    EXPECT_EQ(value(std::string("d/") + name), "(none)") << name;
  }
}

TEST_F(SearchChange, OnceTheSearchIsOverANameIsFoundAfresh) {
  files("d");
  SearchRec rec;
  for (int r = FINDFIRST(tool("d/*.*"), 118, rec); r == 0;) r = FINDNEXT(rec);
  FINDCLOSE(rec);
  ASSERT_EQ(rename(at("d").c_str(), at("moved").c_str()), 0);
  files("d");
  EXPECT_EQ(SETFATTR(tool("d/a"), kSystem), 0);
  EXPECT_EQ(value("d/a"), "0x4");
  EXPECT_EQ(value("moved/a"), "(none)");
}

// "." and ".." come first, as bare directories whatever the directory holds,
// where the pattern takes them; the root has neither.
TEST_F(SearchChange, DotEntriesAreBareDirectoriesAndTheRootHasNone) {
  files("d");
  ASSERT_EQ(setxattr(at("d").c_str(), "user.DOSATTRIB", "0x6", 3, 0), 0);
  struct Case {
    std::string mask;
    std::vector<std::string> dots;  // the entries before "a", "b" and "c"
  } cases[] = {{"d/*.*", {".", ".."}}, {"d/*", {".", ".."}}, {"d/?", {"."}}, {"d/b*", {}}, {"d/*.txt", {}}};
  for (const Case& c : cases) {
    SearchRec rec;
    std::vector<std::string> dots;
    for (int r = FINDFIRST(tool(c.mask), 118, rec); r == 0 && (rec.name == "." || rec.name == "..");
         r = FINDNEXT(rec)) {
      EXPECT_EQ(rec.attr, uint32_t(kDirectory)) << c.mask << " " << rec.name.view();
      dots.emplace_back(rec.name.view());
    }
    FINDCLOSE(rec);
    EXPECT_EQ(dots, c.dots) << c.mask;
  }
  std::set<std::string> names;
  SearchRec rec;
  for (int r = FINDFIRST(Str("\\*"), 118, rec, SearchDetail::kNameAndType); r == 0; r = FINDNEXT(rec))
    names.emplace(rec.name.view());
  FINDCLOSE(rec);
  EXPECT_TRUE(names.count("tmp") == 1);
  EXPECT_EQ(names.count("."), 0u);
  EXPECT_EQ(names.count(".."), 0u);
}

}  // namespace zelmo
