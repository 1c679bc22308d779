#include "format/start_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace talor {
namespace {

TEST(SplitCommandLineTest, BlanksQuotesAndEscapes) {
  struct Row {
    std::string line;
    std::vector<std::string> arguments;
  } rows[] = {
      {"", {}},
      {"   ", {}},
      {"prog a  b", {"prog", "a", "b"}},
      {"prog \"two words\" x", {"prog", "two words", "x"}},
      {"prog \"\"", {"prog", ""}},
      {"prog say\\\"hi\\\"", {"prog", "say\"hi\""}},
      {"prog \"open", {"prog", "open"}},
  };
  for (const Row& row : rows) EXPECT_EQ(row.arguments, SplitCommandLine(row.line)) << row.line;
}

TEST(StartProcessTest, RunsAndWaits) {
  const std::filesystem::path marker = std::filesystem::temp_directory_path() /
                                       ("talor_start_process_" + std::to_string(::getpid()));
  std::filesystem::remove(marker);
  const int64_t pid = StartProcess("touch \"" + marker.string() + "\"", ShowState::kNormal, true);
  EXPECT_GT(pid, 0);
  EXPECT_TRUE(std::filesystem::exists(marker));
  std::filesystem::remove(marker);
}

TEST(StartProcessTest, FailuresGiveMinusOne) {
  EXPECT_EQ(-1, StartProcess("", ShowState::kNormal, true));
  EXPECT_EQ(-1, StartProcess("/no/such/program/anywhere", ShowState::kNormal, true));
}

}  // namespace
}  // namespace talor
