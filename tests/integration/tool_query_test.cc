// talor-tool query against a real talor-server: what its exit codes and
// messages tell a script about the server's answer.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/exit_codes.h"
#include "barcode/run_program.h"
#include "integration/demo_server.h"

namespace talor::server {
namespace {

using talor::testing::ProgramResult;
using talor::testing::RunProgram;

class ToolQueryTest : public DemoServerTest {
 protected:
  static ProgramResult Query(std::string_view user, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {TALOR_BINARY_DIR "/src/app/talor-tool", "query", "--port",
                                         std::to_string(Port()), "--user", std::string(user),
                                         "--password", std::string(user)});
    return RunProgram(arguments);
  }
};

TEST_F(ToolQueryTest, NegativeReturnCodesExitThreeWithTheirMeaning) {
  ProgramResult missing = Query("reader", {"read", "DEMO", "99999"});
  EXPECT_EQ(missing.status, kExitRefused);
  EXPECT_NE(missing.err.find("записи с таким номером нет (код -605)"), std::string::npos)
      << missing.err;

  // A reader may not write: the refused record is a refusal, not a success.
  const std::string file =
      (std::filesystem::temp_directory_path() / "talor-query-write.txt").string();
  std::ofstream(file) << "#200: ^AЗаписка\n*****\n";
  ProgramResult refused = Query("reader", {"write", "DEMO", file});
  std::filesystem::remove(file);
  EXPECT_EQ(refused.status, kExitRefused);
  EXPECT_NE(refused.err.find("(код -3336)"), std::string::npos) << refused.err;

  ProgramResult stranger = Query("stranger", {"noop"});
  EXPECT_EQ(stranger.status, kExitRefused);
  EXPECT_NE(stranger.err.find("отказал в регистрации"), std::string::npos) << stranger.err;
}

TEST_F(ToolQueryTest, AnswersUsageAndUnreachableServersHaveTheirOwnCodes) {
  ProgramResult good = Query("reader", {"maxmfn", "DEMO"});
  EXPECT_EQ(good.status, kExitOk);
  EXPECT_TRUE(good.err.empty()) << good.err;

  EXPECT_EQ(Query("reader", {"read", "DEMO"}).status, kExitUsage);
  EXPECT_EQ(Query("reader", {"no-such-command"}).status, kExitUsage);

  ProgramResult nobody =
      RunProgram({TALOR_BINARY_DIR "/src/app/talor-tool", "query", "--port", "1", "--timeout", "5",
                  "--user", "reader", "--password", "reader", "noop"});
  EXPECT_EQ(nobody.status, kExitFailed);
}

TEST_F(ToolQueryTest, NumbersInArgumentsTakeOneSign) {
  ProgramResult plus = Query("reader", {"read", "DEMO", "+1"});
  EXPECT_EQ(plus.status, kExitOk) << plus.err;
  EXPECT_EQ(plus.out.rfind("0\n1#", 0), 0u) << plus.out;

  EXPECT_EQ(Query("reader", {"read", "DEMO", " 1"}).status, kExitUsage);
  EXPECT_EQ(Query("reader", {"read", "DEMO", "1x"}).status, kExitUsage);
  EXPECT_EQ(Query("reader", {"read", "DEMO", "2147483648"}).status, kExitUsage);
  EXPECT_EQ(Query("reader", {"--count", "--5", "maxmfn", "DEMO"}).status, kExitUsage);
  // "+-5" used to be read as -5 and sent to the server, which refused the
  // record number (exit 3); it is no number, so the arguments are wrong.
  ProgramResult plusMinus = Query("reader", {"read", "DEMO", "+-5"});
  EXPECT_EQ(plusMinus.status, kExitUsage) << plusMinus.err;
  EXPECT_NE(plusMinus.err.find("MFN должен быть целым числом"), std::string::npos) << plusMinus.err;
}

}  // namespace
}  // namespace talor::server
