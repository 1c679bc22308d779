// talor-tool url: the parameter set, the search, format and follow-up lines,
// and Russian usage errors.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "barcode/run_program.h"

namespace talor {
namespace {

namespace fs = std::filesystem;
using testing::ProgramResult;
using testing::RunProgram;
using testing::ToolPath;

class ToolUrl : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(ToolPath())) << ToolPath();
    dir_ = fs::temp_directory_path() / ("talor_url_tool_" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  ProgramResult Tool(std::vector<std::string> args) {
    args.insert(args.begin(), {ToolPath(), "url"});
    return RunProgram(args);
  }
  std::string WriteFile(const std::string& name, const std::string& bytes) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  fs::path dir_;
};

TEST_F(ToolUrl, PrintsPairsInReadingOrder) {
  const std::string post = WriteFile("form.txt",
                                     "--b\r\nContent-Disposition: form-data; name=\"S21STR\"\r\n"
                                     "\r\nwar and peace\r\n--b--\r\n");
  const ProgramResult result =
      Tool({"--post-file", post, "TALOR:5,,DEMO,list.pft?I21DBN=SERIALS&NOTE=a%0Ab"});
  ASSERT_EQ(0, result.status) << result.err;
  EXPECT_EQ(
      "C21COM=5\nI21DBN=DEMO\nPFTNAME=list.pft\nI21DBN=SERIALS\nNOTE=a\nb\nS21STR=war and peace\n",
      result.out);
}

TEST_F(ToolUrl, NamesFromSettingsFile) {
  const std::string ini = WriteFile("names.ini",
                                    "[Navigator]\nPARNAME_COMMAND=CMD\nPARNAME_FREEPAR=FP\n"
                                    "MODTAG_FREEPAR=2000\n[Other]\nPARNAME_DBNAME=X\n");
  const ProgramResult result = Tool({"--names", ini, "--formatspec", "TALOR:1,,DEMO,f?FP1=v"});
  ASSERT_EQ(0, result.status) << result.err;
  EXPECT_EQ(
      "CMD=1\nI21DBN=DEMO\nPFTNAME=f\nFP1=v\nFORMATSPEC: &uf('+7'),&uf('+992001%23v%0D%0A'),\x1C"
      "f\x1D\n",
      result.out);
}

TEST_F(ToolUrl, SearchWithStopWordsInWindows1251) {
  // "И" and "и" in Windows-1251, one a line.
  const std::string stopWords = WriteFile("demo.stw", "\xC8\r\nand\r\n");
  const std::string url =
      "TALOR:2,,DEMO?S21STR=%D0%B2%D0%BE%D0%B9%D0%BD%D0%B0+%D0%B8+%D0%BC%D0%B8%D1%80"
      "&S21P01=1&S21P03=K=&S21P05=Title&S21ALLTRM=OLD";
  ProgramResult result = Tool({"--search", "--stopwords", stopWords, url});
  ASSERT_EQ(0, result.status) << result.err;
  EXPECT_NE(std::string::npos,
            result.out.find("EXPRESSION: \"K=ВОЙНА\"+\"K=МИР\"\nQUERY: Title:  ВОЙНА МИР\n"
                            "MARKWORDS: OLD|ВОЙНА|МИР\n"))
      << result.out;
  result = Tool({"--search", url});
  ASSERT_EQ(0, result.status) << result.err;
  EXPECT_NE(std::string::npos, result.out.find("EXPRESSION: \"K=ВОЙНА\"+\"K=И\"+\"K=МИР\"\n"))
      << result.out;
}

TEST_F(ToolUrl, FollowUpOnlyForPositiveCount) {
  const std::string url = "TALOR:8?FREEPAR0=a&FREEPAR3=b&PFTNAME=brief";
  ProgramResult result = Tool({"--followup8", "15", url});
  ASSERT_EQ(0, result.status) << result.err;
  EXPECT_NE(std::string::npos,
            result.out.find("FOLLOWUP: TALOR:?C21COM=2&I21DBN=DEMO&PFTNAME=brief&S21STN=15&S21CNR=5"
                            "&TOPPFTNAME=&BOTTOMPFTNAME=&PRINTCOM=&FREEPAR0=a&FREEPAR1=b\n"))
      << result.out;
  result = Tool({"--followup8", "0", url});
  ASSERT_EQ(0, result.status) << result.err;
  EXPECT_EQ(std::string::npos, result.out.find("FOLLOWUP"));
}

TEST_F(ToolUrl, UsageErrorsExitWithTwo) {
  struct Row {
    std::vector<std::string> args;
    std::string message;
  };
  const Row rows[] = {
      {{}, "не указан URL"},
      {{"--search"}, "не указан URL"},
      {{"--bogus", "TALOR:1"}, "неверный параметр «--bogus»"},
      {{"TALOR:1", "TALOR:2"}, "неверный параметр «TALOR:2»"},
      {{"--followup8", "many", "TALOR:8"}, "--followup8"},
      {{"--followup8", "99999999999", "TALOR:8"}, "--followup8"},
      {{"--stopwords", "x.stw", "TALOR:2"}, "--stopwords"},
      {{"TALOR:1", "--names"}, "неверный параметр «--names»"},
  };
  for (const Row& row : rows) {
    const ProgramResult result = Tool(row.args);
    EXPECT_EQ(2, result.status) << row.message;
    EXPECT_NE(std::string::npos, result.err.find(row.message)) << result.err;
    EXPECT_TRUE(result.out.empty()) << result.out;
  }
}

TEST_F(ToolUrl, UnreadableFilesExitWithOne) {
  const std::string missing = (dir_ / "missing").string();
  for (const char* option : {"--post-file", "--names"}) {
    const ProgramResult result = Tool({option, missing, "TALOR:1"});
    EXPECT_EQ(1, result.status) << option;
    EXPECT_NE(std::string::npos, result.err.find("не удалось прочитать")) << result.err;
  }
  const ProgramResult result = Tool({"--search", "--stopwords", missing, "TALOR:2"});
  EXPECT_EQ(1, result.status);
  EXPECT_NE(std::string::npos, result.err.find("стоп-слов")) << result.err;
}

TEST_F(ToolUrl, HelpInRussian) {
  const ProgramResult result = Tool({"--help"});
  EXPECT_EQ(0, result.status);
  EXPECT_NE(std::string::npos, result.out.find("Использование: talor-tool url")) << result.out;
}

}  // namespace
}  // namespace talor
