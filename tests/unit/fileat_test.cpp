// Reads and writes at an offset, on both platforms.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/filesys.h"

namespace zelmo {

TEST(FileAt, WritesAndReadsAtOffsetsWhateverThePosition) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "zelmo_file_at";
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
  ASSERT_TRUE(std::filesystem::create_directory(dir));
  FileHandle file = kNoFile;
  ASSERT_EQ(FILE_CREATE_NEW(Str((dir / "AT.TMP").string()), file), 0);
  // Out of order, one leaving a hole that reads as NUL bytes.
  ASSERT_EQ(FILE_WRITE_AT(file, 4, "efgh", 4), 0);
  ASSERT_EQ(FILE_WRITE_AT(file, 0, "abcd", 4), 0);
  ASSERT_EQ(FILE_WRITE_AT(file, 10, "kl", 2), 0);
  const struct {
    int64_t offset;
    size_t count;
    const char* expected;
    size_t expected_size;
  } cases[] = {
      {0, 4, "abcd", 4},     {2, 4, "cdef", 4},
      {6, 6, "gh\0\0kl", 6}, {10, 8, "kl", 2},  // only what the file holds
      {12, 4, "", 0},                           // at the end
      {40, 4, "", 0},                           // past the end
  };
  for (const auto& c : cases) {
    char buffer[16] = {};
    size_t got = 99;
    EXPECT_EQ(FILE_READ_AT(file, c.offset, buffer, c.count, got), 0) << "at " << c.offset;
    EXPECT_EQ(std::string(buffer, got), std::string(c.expected, c.expected_size)) << "at " << c.offset;
  }
  int64_t size = 0;
  EXPECT_EQ(FILE_SIZE(file, size), 0);
  EXPECT_EQ(size, 12);
  EXPECT_EQ(FILE_CLOSE(file), 0);
  std::filesystem::remove_all(dir, ignored);
}

}  // namespace zelmo
