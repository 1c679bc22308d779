#include "platform/file_io.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace talor {
namespace {

namespace fs = std::filesystem;

class ReadWholeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("talor-read-whole-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& bytes) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  fs::path dir_;
};

TEST_F(ReadWholeFileTest, ReadsEveryByteUpToTheLimit) {
  const std::string bytes = std::string("a\0b\r\n", 5) + std::string(200000, 'x');
  const std::string path = Write("whole.bin", bytes);
  FileContents atLimit = ReadWholeFile(path, bytes.size());
  EXPECT_EQ(FileReadStatus::Read, atLimit.status);
  EXPECT_EQ(bytes, atLimit.bytes);

  FileContents empty = ReadWholeFile(Write("empty.txt", ""), 0);
  EXPECT_EQ(FileReadStatus::Read, empty.status);
  EXPECT_EQ("", empty.bytes);
}

TEST_F(ReadWholeFileTest, RefusesFilesPastTheLimitAndTellsMissingFromUnreadable) {
  FileContents tooBig = ReadWholeFile(Write("big.txt", std::string(100001, 'y')), 100000);
  EXPECT_EQ(FileReadStatus::Failed, tooBig.status);
  EXPECT_EQ("", tooBig.bytes);

  EXPECT_EQ(FileReadStatus::Missing, ReadWholeFile((dir_ / "absent").string(), 10).status);
  EXPECT_EQ(FileReadStatus::Missing,
            ReadWholeFile((dir_ / "absent" / "deeper").string(), 10).status);
  EXPECT_EQ(FileReadStatus::Failed, ReadWholeFile(dir_.string(), 10).status);
}

}  // namespace
}  // namespace talor
