// A fresh temporary directory for each test of the POSIX file services, and
// the two ways of naming a place in it: the Linux path and the tool's path.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "support/str.h"

namespace zelmo {

class PosixTempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/zelmo_testXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    root_ = dir;
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  std::string at(const std::string& rel) const { return root_ + "/" + rel; }
  // The tool's path of a place below the temporary directory.
  Str tool(const std::string& rel) const {
    std::string path = at(rel);
    for (char& c : path)
      if (c == '/') c = '\\';
    return Str(path);
  }

  std::string root_;
};

}  // namespace zelmo
