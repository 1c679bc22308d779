// Exchange files read and written one record at a time through a real file:
// records that cross the reader's blocks, every form and code page there and
// back, and the records a writer must refuse.

#include "client/exchange_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "client/exchange_test_records.h"
#include "platform/file_io.h"

namespace talor {
namespace {

using talor::testing::FieldsRecord;
using talor::testing::SampleRecords;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Enough records, with Cyrillic values of growing length, to fill several
// blocks of the reader.
std::vector<StringList> ManyRecords() {
  std::vector<StringList> records;
  for (int i = 0; i < 3000; ++i) {
    std::string title = "^AЗаписки из подполья, том " + std::to_string(i) + "^E";
    for (int k = 0; k < i % 40; ++k) title += "слово ";
    records.push_back(FieldsRecord({{200, title}, {700, "^AДостоевский^BФ. М."}, {920, "PAZK"}}));
  }
  return records;
}

std::string WriteAll(const std::vector<StringList>& records, const ExchangeFormat& format) {
  FilePtr file(std::tmpfile());
  ExchangeFileWriter writer(file.get(), format);
  for (StringList record : records) {
    size_t missing = 0;
    EXPECT_EQ(ExchangeFileWriter::Status::Written, writer.Write(record, &missing));
    EXPECT_EQ(0u, missing);
  }
  std::fflush(file.get());
  std::rewind(file.get());
  std::string bytes;
  char block[4096];
  size_t got;
  while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) bytes.append(block, got);
  return bytes;
}

std::vector<StringList> ReadAll(std::FILE* file, const ExchangeFormat& format) {
  ExchangeInput input(file);
  ExchangeFileReader reader(input, format);
  std::vector<StringList> records;
  StringList record;
  while (reader.Next(record) == ExchangeFileReader::Status::Record) records.push_back(record);
  EXPECT_TRUE(reader.TakeIssues().empty());
  return records;
}

std::vector<StringList> ReadBytes(const std::string& bytes, const ExchangeFormat& format) {
  FilePtr file(std::tmpfile());
  std::fwrite(bytes.data(), 1, bytes.size(), file.get());
  std::rewind(file.get());
  return ReadAll(file.get(), format);
}

TEST(ExchangeFileTest, EveryFormAndCodeRoundTripsThroughAFile) {
  const std::vector<StringList> records = ManyRecords();
  for (ExchangeForm form : {ExchangeForm::Iso, ExchangeForm::Text}) {
    for (ExchangeCode code : {ExchangeCode::Utf8, ExchangeCode::Ansi, ExchangeCode::Oem}) {
      for (bool marks : {false, true}) {
        const ExchangeFormat format{form, code, marks};
        const std::string bytes = WriteAll(records, format);
        ASSERT_GT(bytes.size(), 600'000u);
        std::vector<StringList> back = ReadBytes(bytes, format);
        if (form == ExchangeForm::Iso && marks) {
          // The leader comes back as a first field 1000.
          for (StringList& record : back) {
            ASSERT_EQ(kLeaderFieldTag, RecordFieldTag(record, 1));
            EXPECT_EQ(kIsoLeaderLength, RecordFieldText(record, 1, "").size());
            record.Delete(kRecordHeaderLines);
          }
        }
        EXPECT_EQ(records, back) << "form " << static_cast<int>(form) << " code "
                                 << static_cast<int>(code);
      }
    }
  }
}

TEST(ExchangeFileTest, IsoDirectoryCountsBytesNotCharacters) {
  // "Мир" is three characters and six bytes in UTF-8, three bytes in ANSI.
  const StringList record = FieldsRecord({{200, "Мир"}});
  const std::string utf8 = WriteAll({record}, {ExchangeForm::Iso, ExchangeCode::Utf8, false});
  EXPECT_EQ("200000700000", utf8.substr(24, 12));
  EXPECT_EQ("00045", utf8.substr(0, 5));
  const std::string ansi = WriteAll({record}, {ExchangeForm::Iso, ExchangeCode::Ansi, false});
  EXPECT_EQ("00042", ansi.substr(0, 5));
  EXPECT_EQ("200000400000", ansi.substr(24, 12));
  EXPECT_EQ("\xCC\xE8\xF0\x1E\x1D", ansi.substr(37));
}

TEST(ExchangeFileTest, LineEndsSplitByTheReadersBlocksAreOneLineEnd) {
  // Line ends of every kind at every offset around the reader's block
  // boundaries: a CR LF split between two blocks must not start an empty
  // line, and a lone CR or LF must still end its line.
  const char* const ends[] = {"\r\n", "\n", "\r"};
  // The first line puts its CR last in the reader's first block.
  constexpr size_t kReaderBlock = 256 * 1024;
  std::string bytes = "#10: " + std::string(kReaderBlock - 6, 'x') + "\r\n";
  int fields = 1;
  for (; bytes.size() < 3 * 256 * 1024; ++fields) {
    bytes += "#10: " + std::string(fields % 97, 'x') + ends[fields % 3];
  }
  bytes += "*****\r\n";
  std::vector<StringList> records = ReadBytes(bytes, {ExchangeForm::Text, ExchangeCode::Utf8});
  ASSERT_EQ(1u, records.size());
  EXPECT_EQ(fields, RecordFieldCount(records[0]));
  EXPECT_EQ(kReaderBlock - 6, RecordFieldText(records[0], 1, "").size());
  for (int i = 1; i < fields; ++i) {
    ASSERT_EQ(static_cast<size_t>(i % 97), RecordFieldText(records[0], i + 1, "").size()) << i;
  }
}

TEST(ExchangeFileTest, TextFileWithoutClosingLineKeepsItsLastField) {
  std::vector<StringList> records = ReadBytes("#200: ^AОдин\r\n*****\r\n#200: ^AДва\r\n#700: ^AЛ",
                                              {ExchangeForm::Text, ExchangeCode::Utf8});
  ASSERT_EQ(2u, records.size());
  EXPECT_EQ(FieldsRecord({{200, "^AДва"}, {700, "^AЛ"}}), records[1]);
}

TEST(ExchangeFileTest, TruncatedIsoFileReportsWhereItBroke) {
  std::string bytes = WriteAll(SampleRecords(), {ExchangeForm::Iso, ExchangeCode::Utf8});
  bytes.resize(bytes.size() - 10);
  FilePtr file(std::tmpfile());
  std::fwrite(bytes.data(), 1, bytes.size(), file.get());
  std::rewind(file.get());
  ExchangeInput input(file.get());
  ExchangeFileReader reader(input, {ExchangeForm::Iso, ExchangeCode::Utf8});
  StringList record;
  EXPECT_EQ(ExchangeFileReader::Status::Record, reader.Next(record));
  EXPECT_EQ(ExchangeFileReader::Status::Record, reader.Next(record));
  EXPECT_EQ(ExchangeFileReader::Status::Malformed, reader.Next(record));
  std::vector<std::string> issues = reader.TakeIssues();
  ASSERT_EQ(1u, issues.size());
  EXPECT_NE(std::string::npos, issues[0].find("обрывается")) << issues[0];
  EXPECT_TRUE(reader.TakeIssues().empty());
}

TEST(ExchangeFileTest, WriterRefusesWhatIsoCannotHoldAndCountsLostCharacters) {
  FilePtr file(std::tmpfile());
  ExchangeFileWriter iso(file.get(), {ExchangeForm::Iso, ExchangeCode::Ansi});
  size_t missing = 0;
  StringList huge = FieldsRecord({{200, std::string(9999, 'a')}});
  EXPECT_EQ(ExchangeFileWriter::Status::TooLong, iso.Write(huge, &missing));
  EXPECT_EQ(0, std::ftell(file.get()));
  StringList foreign = FieldsRecord({{200, "^AДао дэ цзин 道德經"}});
  EXPECT_EQ(ExchangeFileWriter::Status::Written, iso.Write(foreign, &missing));
  EXPECT_EQ(3u, missing);

  // The text form has no length limits.
  ExchangeFileWriter text(file.get(), {ExchangeForm::Text, ExchangeCode::Utf8});
  StringList again = FieldsRecord({{200, std::string(9999, 'a')}});
  EXPECT_EQ(ExchangeFileWriter::Status::Written, text.Write(again, &missing));
  EXPECT_EQ(0u, missing);
}

TEST(ExchangeFileTest, GuessesTheFormFromTheFirstBytes) {
  EXPECT_EQ(ExchangeForm::Iso,
            GuessExchangeForm(WriteAll(SampleRecords(), {ExchangeForm::Iso, ExchangeCode::Utf8})));
  EXPECT_EQ(ExchangeForm::Text, GuessExchangeForm("#200: ^A12345\r\n*****\r\n"));
  EXPECT_EQ(ExchangeForm::Text, GuessExchangeForm("12345"));
}

class FileReplacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("talor-replace-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "export.txt").string();
    std::ofstream(path_) << "old";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Contents() {
    std::ostringstream text;
    text << std::ifstream(path_).rdbuf();
    return text.str();
  }
  size_t FilesInDir() {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir_), {}));
  }

  std::filesystem::path dir_;
  std::string path_;
};

TEST_F(FileReplacementTest, OnlyACommittedFileTakesThePlaceOfTheOldOne) {
  {
    FileReplacement file(path_);
    ASSERT_TRUE(file.Open());
    std::fputs("half", file.file());
  }
  EXPECT_EQ("old", Contents());
  EXPECT_EQ(1u, FilesInDir());

  FileReplacement file(path_);
  ASSERT_TRUE(file.Open());
  std::fputs("new", file.file());
  EXPECT_EQ("old", Contents());
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ("new", Contents());
  EXPECT_EQ(1u, FilesInDir());
}

TEST_F(FileReplacementTest, AFolderIsNoFile) {
  FileReplacement file(dir_.string());
  EXPECT_FALSE(file.Open());
  EXPECT_EQ(EISDIR, errno);
}

}  // namespace
}  // namespace talor
