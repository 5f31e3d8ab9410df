#include "support/recordfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace zelmo {

namespace {

class RecordFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("zelmo_records_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
    ASSERT_TRUE(std::filesystem::create_directory(dir_));
    name_ = Str((dir_ / "LIST.TMP").string());
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  std::string bytes_on_disk() const {
    std::ifstream in(dir_ / "LIST.TMP", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::filesystem::path dir_;
  Str name_;
};

Str path_of(int64_t n) { return Str("D") + Str(std::to_string(n)); }

// The record as a reader sees it: the path, then NUL bytes to 255.
Str padded(const Str& path) { return path + Str(std::string(size_t(Str::kMax - path.length()), '\0')); }

}  // namespace

// The list grows while it is read back, as the tree scan uses it: every
// record must read as written, whether it is still held back or on disk.
TEST_F(RecordFileTest, ReadsBackRecordsWhileTheyAreAppended) {
  RecordFile file;
  ASSERT_EQ(file.create(name_), 0);
  int64_t written = 0;
  auto append = [&] {
    int64_t n = written++;
    return file.write(n, path_of(n));
  };
  for (int64_t n = 0; n < 3; ++n) ASSERT_EQ(append(), 0);
  for (int64_t n = 0; n < 200; ++n) {
    Str text;
    ASSERT_EQ(file.read(n, text), 0) << "record " << n;
    EXPECT_EQ(text, padded(path_of(n))) << "record " << n;
    for (int k = 0; k < int(n % 3); ++k) ASSERT_EQ(append(), 0);
  }
  int64_t records = 0;
  ASSERT_EQ(file.count(records), 0);
  EXPECT_EQ(records, written);
  ASSERT_EQ(file.close(), 0);

  std::string disk = bytes_on_disk();
  ASSERT_EQ(disk.size(), size_t(written) * RecordFile::kSize);
  for (int64_t n = 0; n < written; ++n) {
    std::string expected = std::string(1, '\xff') + std::string(padded(path_of(n)).view());
    EXPECT_EQ(disk.substr(size_t(n) * RecordFile::kSize, RecordFile::kSize), expected) << "record " << n;
  }
}

// A list is read back through the object that wrote it, from the disk once
// what was held back is stored.
TEST_F(RecordFileTest, ReadsAFileBackInOrderAndFailsPastItsEnd) {
  RecordFile file;
  ASSERT_EQ(file.create(name_), 0);
  for (int64_t n = 0; n < 70; ++n) ASSERT_EQ(file.write(n, path_of(n)), 0);
  ASSERT_EQ(file.flush(), 0);
  int64_t records = 0;
  ASSERT_EQ(file.count(records), 0);
  ASSERT_EQ(records, 70);
  for (int64_t n = 0; n < records; ++n) {
    Str text;
    ASSERT_EQ(file.read(n, text), 0) << "record " << n;
    EXPECT_EQ(text, padded(path_of(n))) << "record " << n;
  }
  Str text;
  EXPECT_NE(file.read(70, text), 0);
  EXPECT_EQ(file.close(), 0);
  EXPECT_EQ(bytes_on_disk().size(), 70u * RecordFile::kSize);
}

TEST_F(RecordFileTest, ANewListTakesNoExistingNameAndGoesWhole) {
  RecordFile file;
  ASSERT_EQ(file.create(name_), 0);
  RecordFile second;
  EXPECT_NE(second.create(name_), 0) << "the name is taken";
  ASSERT_EQ(file.write(0, path_of(0)), 0);
  EXPECT_EQ(file.close_and_delete(name_), 0);
  EXPECT_FALSE(file.is_open());
  EXPECT_FALSE(std::filesystem::exists(dir_ / "LIST.TMP"));
}

TEST_F(RecordFileTest, AFullPathFillsTheRecordAndARewrittenRecordReadsNew) {
  RecordFile file;
  ASSERT_EQ(file.create(name_), 0);
  for (int64_t n = 0; n < 40; ++n) ASSERT_EQ(file.write(n, path_of(n)), 0);
  Str text;
  ASSERT_EQ(file.read(0, text), 0);  // reads records 0 on ahead
  Str full(std::string(size_t(Str::kMax), 'x'));
  ASSERT_EQ(file.write(1, full), 0);
  ASSERT_EQ(file.read(1, text), 0);
  EXPECT_EQ(text, full);
  ASSERT_EQ(file.read(2, text), 0);
  EXPECT_EQ(text, padded(path_of(2)));
  ASSERT_EQ(file.close(), 0);
  EXPECT_EQ(bytes_on_disk().substr(RecordFile::kSize, RecordFile::kSize),
            std::string(1, '\xff') + std::string(size_t(Str::kMax), 'x'));
}

}  // namespace zelmo
