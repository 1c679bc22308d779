// talor-tool convert on files far larger than any record: it reads and
// writes one record at a time, so its memory stays flat however large the
// file, and what it writes reads back record for record.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/exit_codes.h"
#include "barcode/run_program.h"
#include "client/exchange_file.h"
#include "client/record.h"

namespace talor {
namespace {

using talor::testing::ProgramResult;
using talor::testing::RunProgram;
using talor::testing::ToolPath;

class ToolConvertTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("talor-convert-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  std::filesystem::path dir_;
};

// A text exchange file of `count` records of about 1 KB, Cyrillic and Latin.
void WriteTextFile(const std::string& path, int count) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  ExchangeFileWriter writer(file, {ExchangeForm::Text, ExchangeCode::Utf8});
  StringList record;
  for (int i = 1; i <= count; ++i) {
    RecordNew(record);
    record.Add("^AПреступление и наказание, часть " + std::to_string(i) + "^FФ. М. Достоевский",
               200);
    record.Add("^AДостоевский^BФ. М.^GCrime and Punishment", 700);
    record.Add(std::string(700, static_cast<char>('a' + i % 26)), 330);
    record.Add("^A" + std::to_string(i) + "^DФБ", 910);
    size_t missing = 0;
    ASSERT_EQ(ExchangeFileWriter::Status::Written, writer.Write(record, &missing));
  }
  ASSERT_EQ(0, std::fclose(file));
}

TEST_F(ToolConvertTest, LargeFilesConvertWithMemoryFarBelowTheirSize) {
  const std::string text = Path("big.txt");
  const std::string iso = Path("big.iso");
  const std::string back = Path("back.txt");
  WriteTextFile(text, 250'000);
  const auto size = std::filesystem::file_size(text);
  ASSERT_GT(size, 200u << 20);

  ProgramResult toIso = RunProgram({ToolPath(), "convert", text, iso, "--code", "win"});
  EXPECT_EQ(kExitOk, toIso.status) << toIso.err;
  ProgramResult toText = RunProgram({ToolPath(), "convert", iso, back, "--in-code", "win"});
  EXPECT_EQ(kExitOk, toText.status) << toText.err;
  EXPECT_NE(std::string::npos, toText.err.find("Преобразовано записей: 250000 из 250000"))
      << toText.err;
  // Each run holds a record and a block or two of its files, not the files.
  // Under AddressSanitizer the shadow memory and the quarantine of freed
  // blocks come on top of that, so the bound is not checked there.
#ifndef __SANITIZE_ADDRESS__
  EXPECT_LT(toIso.peakKilobytes, 64 * 1024) << "KB";
  EXPECT_LT(toText.peakKilobytes, 64 * 1024) << "KB";
#endif
  EXPECT_EQ(size, std::filesystem::file_size(back));
}

TEST_F(ToolConvertTest, AFailedConversionLeavesTheOldFileAndSaysWhy) {
  const std::string target = Path("kept.txt");
  std::FILE* old = std::fopen(target.c_str(), "wb");
  std::fputs("old", old);
  std::fclose(old);
  ProgramResult missing = RunProgram({ToolPath(), "convert", Path("none.iso"), target});
  EXPECT_EQ(kExitFailed, missing.status);
  EXPECT_NE(std::string::npos, missing.err.find("нет такого файла")) << missing.err;
  EXPECT_EQ(3u, std::filesystem::file_size(target));

  // A record that ISO 2709 cannot hold is named and skipped; the rest is written.
  const std::string text = Path("long.txt");
  std::FILE* file = std::fopen(text.c_str(), "wb");
  std::fprintf(file, "#200: %s\r\n*****\r\n#200: short\r\n*****\r\n",
               std::string(10000, 'x').c_str());
  std::fclose(file);
  ProgramResult tooLong = RunProgram({ToolPath(), "convert", text, Path("long.iso")});
  EXPECT_EQ(kExitFailed, tooLong.status);
  EXPECT_NE(std::string::npos, tooLong.err.find("запись 1 не записана")) << tooLong.err;
  EXPECT_NE(std::string::npos, tooLong.err.find("Преобразовано записей: 1 из 2")) << tooLong.err;
}

}  // namespace
}  // namespace talor
