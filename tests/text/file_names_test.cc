#include "text/file_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

namespace talor {
namespace {

namespace fs = std::filesystem;

TEST(SafeFileNameTest, ReplacesPathCharactersAndBlanks) {
  EXPECT_EQ("C__dir_a_b_c", SafeFileName("C:\\dir/a b:c"));
  EXPECT_EQ("plain-name.txt", SafeFileName("plain-name.txt"));
}

TEST(IsImageFileNameTest, KnowsJpegAndGifOnly) {
  struct Row {
    const char* name;
    bool expected;
  } rows[] = {
      {"a.jpg", true},  {"a.JPEG", true},  {"dir.x/a.Gif", true}, {"a.png", false},
      {"a.bmp", false}, {"jpg", false},    {"a.jpg.txt", false},  {"", false},
      {".gif", true},   {"a.jpgx", false},
  };
  for (const auto& row : rows) EXPECT_EQ(row.expected, IsImageFileName(row.name)) << row.name;
}

TEST(NormalizeBackslashesTest, DoublesOrUndoublesAsAWhole) {
  struct Row {
    const char* text;
    BackslashMode mode;
    const char* expected;
  } rows[] = {
      {"a\\\\b\\\\c", BackslashMode::Undouble, "a\\b\\c"},
      {"a\\\\b\\c", BackslashMode::Undouble, "a\\\\b\\c"},  // a single one: unchanged
      {"a\\\\b\\c", BackslashMode::Double, "a\\\\\\\\b\\\\c"},
      {"a\\\\b", BackslashMode::Double, "a\\\\b"},  // all paired: nothing to double
      {"a\\", BackslashMode::Double, "a\\\\"},      // a backslash at the end is single
      {"\\\\\\", BackslashMode::Undouble, "\\\\\\"},
      {"\\\\\\\\", BackslashMode::Undouble, "\\\\"},
      {"none", BackslashMode::Undouble, "none"},
      {"none", BackslashMode::Double, "none"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.expected, NormalizeBackslashes(row.text, row.mode)) << row.text;
  }
}

TEST(WildcardMatchTest, MatchesWholeNames) {
  struct Row {
    const char* mask;
    const char* name;
    bool expected;
  } rows[] = {
      {"@TALOR_*", "@TALOR_1.gif", true},
      {"@TALOR_*", "x@TALOR_", false},
      {"*.gif", "a.gif", true},
      {"*.gif", "a.gif.bak", false},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"*", "", true},
      {"", "", true},
      {"", "a", false},
      {"a*b*c", "aXbYbZc", true},
      {"a*b*c", "aXbYc d", false},
      {"**x", "x", true},
      {"A*", "a", false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.expected, WildcardMatch(row.mask, row.name)) << row.mask << " " << row.name;
  }
}

class DeleteFilesByMaskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("talor_delete_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Touch(const std::string& name) { std::ofstream(dir_ / name) << "x"; }

  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  fs::path dir_;
};

TEST_F(DeleteFilesByMaskTest, DeletesMatchingOrdinaryFilesOnly) {
  Touch("@TALOR_1.gif");
  Touch("@TALOR_2.html");
  Touch("keep.txt");
  Touch(".@TALOR_hidden");
  fs::create_directory(dir_ / "@TALOR_dir");
  Touch("target");
  fs::create_symlink(dir_ / "target", dir_ / "@TALOR_link");

  EXPECT_EQ(2, DeleteFilesByMask((dir_ / "@TALOR_*").string()));
  std::set<std::string> expected{"keep.txt", ".@TALOR_hidden", "@TALOR_dir", "target",
                                 "@TALOR_link"};
  EXPECT_EQ(expected, Names());
}

TEST_F(DeleteFilesByMaskTest, MissingDirectoryOrEmptyMaskDeletesNothing) {
  Touch("a");
  EXPECT_EQ(0, DeleteFilesByMask((dir_ / "missing" / "*").string()));
  EXPECT_EQ(0, DeleteFilesByMask(dir_.string() + "/"));
  EXPECT_EQ(0, DeleteFilesByMask(""));
  EXPECT_EQ(std::set<std::string>{"a"}, Names());
}

}  // namespace
}  // namespace talor
