// talor-tool barcode: options, output files and Russian errors.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "barcode/image_file.h"
#include "barcode/run_program.h"

namespace talor {
namespace {

namespace fs = std::filesystem;
using testing::ProgramResult;
using testing::RunProgram;
using testing::ToolPath;

class ToolBarcode : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(ToolPath())) << ToolPath();
    dir_ = fs::temp_directory_path() / ("talor_barcode_tool_" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  ProgramResult Tool(std::vector<std::string> args) {
    args.insert(args.begin(), {ToolPath(), "barcode"});
    return RunProgram(args);
  }
  std::string File(const std::string& name) { return (dir_ / name).string(); }

  fs::path dir_;
};

TEST_F(ToolBarcode, DrawsBitmapOfNavigatorSize) {
  const ProgramResult result = Tool({"--type", "0", "1234", "-o", File("a.bmp")});
  ASSERT_EQ(0, result.status) << result.err;
  const std::optional<Canvas> image = LoadBitmapFile(File("a.bmp"));
  ASSERT_TRUE(image);
  EXPECT_EQ(36, image->width());
  EXPECT_EQ(40, image->height());
}

TEST_F(ToolBarcode, OptionsChangeTheImage) {
  ASSERT_EQ(
      0,
      Tool({"--type", "0", "--modul", "3", "--height", "7", "1234", "-o", File("m.bmp")}).status);
  const std::optional<Canvas> image = LoadBitmapFile(File("m.bmp"));
  ASSERT_TRUE(image);
  EXPECT_EQ(108, image->width());
  EXPECT_EQ(7, image->height());
  ASSERT_EQ(0, Tool({"--type", "0", "--angle", "90", "1234", "-o", File("r.bmp")}).status);
  const std::optional<Canvas> turned = LoadBitmapFile(File("r.bmp"));
  ASSERT_TRUE(turned);
  EXPECT_EQ(40, turned->width());
  EXPECT_EQ(36, turned->height());
  ASSERT_EQ(0, Tool({"--type", "3", "--ratio", "3", "A", "-o", File("w.bmp")}).status);
  EXPECT_EQ(3 * 15 + 2, LoadBitmapFile(File("w.bmp"))->width());  // wide = 3 pixels
}

TEST_F(ToolBarcode, PngByExtension) {
  ASSERT_EQ(0, Tool({"--type", "14", "--checksum", "590123412345", "-o", File("e.PNG")}).status);
  EXPECT_TRUE(fs::file_size(File("e.PNG")) > 8);
  EXPECT_FALSE(LoadBitmapFile(File("e.PNG")));  // not a bitmap
}

TEST_F(ToolBarcode, TextStartingWithDashAfterDoubleDash) {
  EXPECT_EQ(0, Tool({"--type", "3", "-o", File("d.bmp"), "--", "-A-"}).status);
}

TEST_F(ToolBarcode, UsageErrorsExitWithTwo) {
  struct Row {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Row> rows = {
      {{"1234", "-o", "x.bmp"}, "не задан вид штрихкода"},
      {{"--type", "23", "1234", "-o", "x.bmp"}, "вид штрихкода должен быть числом от 0 до 22"},
      {{"--type", "-1", "1234", "-o", "x.bmp"}, "вид штрихкода должен быть числом от 0 до 22"},
      {{"--type", "x", "1234", "-o", "x.bmp"}, "вид штрихкода должен быть числом от 0 до 22"},
      {{"--type", "0", "-o", "x.bmp"}, "не задан текст штрихкода"},
      {{"--type", "0", "1234"}, "не задан файл рисунка"},
      {{"--type", "0", "1234", "-o", "x.gif"}, "расширение .bmp или .png"},
      {{"--type", "0", "--modul", "0", "1", "-o", "x.bmp"}, "ширина модуля должна быть"},
      {{"--type", "0", "--modul", "50", "1", "-o", "x.bmp"}, "ширина модуля должна быть"},
      {{"--type", "0", "--height", "0", "1", "-o", "x.bmp"}, "высота должна быть"},
      {{"--type", "0", "--angle", "nan", "1", "-o", "x.bmp"}, "должно быть числом"},
      {{"--type", "0", "--ratio", "2x", "1", "-o", "x.bmp"}, "должно быть числом"},
      {{"--type", "0", "--text-option", "5", "1", "-o", "x.bmp"}, "подпись"},
      {{"--type", "0", "1", "2", "-o", "x.bmp"}, "нужен ровно один текст"},
      {{"--type", "0", "--bogus", "1", "-o", "x.bmp"}, "неизвестный параметр «--bogus»"},
      {{"--type"}, "после --type нужно значение"},
  };
  for (const Row& row : rows) {
    const ProgramResult result = Tool(row.args);
    EXPECT_EQ(2, result.status) << row.message;
    EXPECT_NE(std::string::npos, result.err.find(row.message)) << result.err;
  }
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(ToolBarcode, EncodingErrorsExitWithOneAndWriteNothing) {
  struct Row {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Row> rows = {
      {{"--type", "0", "12a4"}, "Barcode must be numeric"},
      {{"--type", "13", "123456789"}, "Invalid Text len (EAN8)"},
      {{"--type", "14", "--checksum", "1234567890123"}, "Invalid Text len (EAN13)"},
      {{"--type", "8", "abc"}, "TFBarcode:Code93 bad Data <abc>"},
      {{"--type", "6", "--modul", "49", "--height", "10000", std::string(300, 'x')},
       "изображение штрихкода слишком велико"},
  };
  for (const Row& row : rows) {
    std::vector<std::string> args = row.args;
    args.insert(args.end(), {"-o", File("e.bmp")});
    const ProgramResult result = Tool(args);
    EXPECT_EQ(1, result.status) << row.message;
    EXPECT_NE(std::string::npos, result.err.find("штрихкод не построен: " + row.message))
        << result.err;
  }
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(ToolBarcode, UnwritableFileIsAFailure) {
  const ProgramResult result = Tool({"--type", "0", "12", "-o", File("no/such/dir.bmp")});
  EXPECT_EQ(1, result.status);
  EXPECT_NE(std::string::npos, result.err.find("не удалось записать файл")) << result.err;
}

TEST_F(ToolBarcode, HelpListsAllTypes) {
  const ProgramResult result = Tool({"--help"});
  EXPECT_EQ(0, result.status);
  EXPECT_NE(std::string::npos, result.out.find("22  EAN128C (только цифры)"));
  EXPECT_NE(std::string::npos, result.out.find(" 0  2_5_interleaved"));
}

}  // namespace
}  // namespace talor
