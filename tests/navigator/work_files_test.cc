#include "navigator/work_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace talor {
namespace {

namespace fs = std::filesystem;

TEST(WorkFilesTest, NamesStayInsideTheWorkDirectory) {
  EXPECT_EQ(ResourceFileName(1, "", "LOGO.GIF"), "@TALOR_1__LOGO.GIF");
  EXPECT_EQ(ResourceFileName(10, "DEMO", "a b/c:d"), "@TALOR_10_DEMO_a_b_c_d");
  // A database name from a page cannot climb out of the folder.
  EXPECT_EQ(ResourceFileName(2, "../../etc", "passwd"), "@TALOR_2_.._.._etc_passwd");
  EXPECT_EQ(BarcodeFileName("12 34"), "@TALOR_barcode_12_34.bmp");
  EXPECT_EQ(RecordImageStem("DEMO", 82, 2), "@TALOR_12_DEMO_82_2_");
  EXPECT_EQ(MarkedImageFileName("DEMO", 7, "/w/@TALOR_11_DEMO_P.GIF"), "@TALOR_11_DEMO_7.GIF");
}

TEST(WorkFilesTest, FileUrlEncodesWhatAnAddressCannotCarry) {
  EXPECT_EQ(FileUrl("/tmp/w/@TALOR_1__A.GIF"), "file:///tmp/w/@TALOR_1__A.GIF");
  EXPECT_EQ(FileUrl("/tmp/a b#c?d%e"), "file:///tmp/a%20b%23c%3Fd%25e");
  EXPECT_EQ(FileUrl("/tmp/книга"), "file:///tmp/книга");
}

class WorkDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "talor-wf-XXXXXX").string();
    dir_ = std::string(mkdtemp(pattern.data())) + "/";
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Touch(const std::string& name) { std::ofstream(dir_ + name) << "x"; }
  std::string dir_;
};

TEST_F(WorkDirectoryTest, FindsTheFirstRecordImageByItsStem) {
  EXPECT_FALSE(FindWorkFile(dir_, "@TALOR_12_DEMO_5_1_").has_value());
  Touch("@TALOR_12_DEMO_5_1_C1.GIF");
  Touch("@TALOR_12_DEMO_5_1_B0.JPG");
  Touch("@TALOR_12_DEMO_5_10_AA.GIF");  // occurrence 10
  Touch("@TALOR_12_DEMO_5_1_noextension");
  EXPECT_EQ(FindWorkFile(dir_, "@TALOR_12_DEMO_5_1_"), dir_ + "@TALOR_12_DEMO_5_1_B0.JPG");
}

TEST_F(WorkDirectoryTest, CleanUpRemovesOnlyTheNavigatorsFiles) {
  Touch("@TALOR_barcode_1.bmp");
  Touch("@TALOR_1__LOGO.GIF");
  Touch("notes.txt");
  EXPECT_EQ(DeleteWorkFiles(dir_), 2);
  EXPECT_TRUE(fs::exists(dir_ + "notes.txt"));
  EXPECT_FALSE(fs::exists(dir_ + "@TALOR_1__LOGO.GIF"));
}

}  // namespace
}  // namespace talor
