#include "format/start_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
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

// A program not waited for leaves no zombie behind: once it has ended, its
// process id is gone from /proc.
TEST(StartProcessTest, AProgramNotWaitedForIsReaped) {
  const int64_t pid = StartProcess("true", ShowState::kNormal, false);
  ASSERT_GT(pid, 0);
  const std::filesystem::path entry = "/proc/" + std::to_string(pid);
  for (int i = 0; i < 500 && std::filesystem::exists(entry); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(std::filesystem::exists(entry));
}

TEST(StartProcessTest, FailuresGiveMinusOne) {
  EXPECT_EQ(-1, StartProcess("", ShowState::kNormal, true));
  EXPECT_EQ(-1, StartProcess("/no/such/program/anywhere", ShowState::kNormal, true));
}

}  // namespace
}  // namespace talor
