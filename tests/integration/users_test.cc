// talor-server user against the data directory of a running server: every
// change counts at the next login, no password is stored as it was typed,
// and repeated failed logins are slowed down.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/exit_codes.h"
#include "barcode/run_program.h"
#include "integration/demo_server.h"
#include "server/catalogue_loader.h"
#include "server/sqlite.h"

namespace talor::server {
namespace {

using talor::testing::ProgramResult;
using talor::testing::RunProgram;

class UsersTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server_.Start()) << "talor-server did not start"; }

  ProgramResult User(std::vector<std::string> words, std::string_view input = {}) {
    words.insert(words.begin(), {TALOR_BINARY_DIR "/src/app/talor-server", "user"});
    words.insert(words.end(), {"--data", server_.dataDir().string()});
    return RunProgram(words, input);
  }
  // The return code of a registration.
  std::string Login(std::string user, std::string password, std::string workstation = "R") {
    RawClient client(server_.port(), user, password);
    client.identity().workstationCode = workstation;
    return client.Send('A', Params({user, password})).Line(0);
  }
  // True when a file of the data directory holds `bytes`.
  bool DataHolds(std::string_view bytes) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(server_.dataDir())) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::stringstream content;
      content << in.rdbuf();
      if (content.str().find(bytes) != std::string::npos) return true;
    }
    return false;
  }

  ServerProcess server_;
};

TEST_F(UsersTest, AnAddedUserLogsInOnTheRunningServer) {
  ProgramResult added =
      User({"add", "anna", "--rights", "write", "--workstations", "R"}, "Anna-Pass-7731\n");
  ASSERT_EQ(added.status, kExitOk) << added.err;
  EXPECT_NE(added.out.find("Пользователь «anna» добавлен"), std::string::npos) << added.out;
  EXPECT_EQ(Login("anna", "Anna-Pass-7731"), "0");
  EXPECT_EQ(Login("anna", "Anna-Pass-7731", "C"), "-3339");
  EXPECT_FALSE(DataHolds("Anna-Pass-7731"));

  ProgramResult again = User({"add", "anna"}, "Other-Pass\n");
  EXPECT_EQ(again.status, kExitFailed);
  EXPECT_NE(again.err.find("Пользователь «anna» уже есть"), std::string::npos) << again.err;
  EXPECT_EQ(Login("anna", "Anna-Pass-7731"), "0");
}

TEST_F(UsersTest, PasswdChangesThePasswordAtTheNextRequest) {
  RawClient session(server_.port());
  ASSERT_EQ(session.Send('A', Params({"librarian", "librarian"})).Line(0), "0");
  ProgramResult changed = User({"passwd", "librarian"}, "Fresh-Pass-5523\r\n");
  ASSERT_EQ(changed.status, kExitOk) << changed.err;
  EXPECT_NE(changed.out.find("Пароль пользователя «librarian» изменён"), std::string::npos);
  // A session still sending the old password is refused at its next request.
  EXPECT_EQ(session.Send('N', "").Line(0), "-3335");
  EXPECT_EQ(Login("librarian", "librarian"), "-3337");
  EXPECT_EQ(Login("librarian", "Fresh-Pass-5523"), "0");
  EXPECT_FALSE(DataHolds("Fresh-Pass-5523"));

  ProgramResult absent = User({"passwd", "nobody"}, "x\n");
  EXPECT_EQ(absent.status, kExitFailed);
  EXPECT_NE(absent.err.find("Пользователя «nobody» нет"), std::string::npos) << absent.err;
}

TEST_F(UsersTest, ARemovedUserIsRefused) {
  ASSERT_EQ(Login("reader", "reader"), "0");
  ProgramResult removed = User({"remove", "reader"});
  ASSERT_EQ(removed.status, kExitOk) << removed.err;
  EXPECT_EQ(Login("reader", "reader"), "-3337");
  EXPECT_EQ(RawClient(server_.port(), "reader", "reader").Send('N', "").Line(0), "-3335");
  EXPECT_EQ(User({"remove", "reader"}).status, kExitFailed);
}

TEST_F(UsersTest, ListShowsRightsAndCodesButNoPasswords) {
  ASSERT_EQ(User({"add", "boris"}, "Boris-Pass-1\n").status, kExitOk);
  ProgramResult list = User({"list"});
  ASSERT_EQ(list.status, kExitOk) << list.err;
  EXPECT_EQ(list.out, "boris - read\nlibrarian - write\nreader RC read\n");
}

TEST_F(UsersTest, SetChangesRightsAndWorkstationCodes) {
  ProgramResult set = User({"set", "reader", "--workstations", "X", "--rights", "write"});
  ASSERT_EQ(set.status, kExitOk) << set.err;
  EXPECT_EQ(Login("reader", "reader", "R"), "-3339");
  EXPECT_EQ(Login("reader", "reader", "X"), "0");
  EXPECT_NE(User({"list"}).out.find("reader X write\n"), std::string::npos);
}

TEST_F(UsersTest, BadWordsAndMissingPasswordsChangeNothing) {
  struct Row {
    std::vector<std::string> words;
    std::string input;
    int status;
    std::string message;
  };
  const Row rows[] = {
      {{"add", "anna"}, "", kExitFailed, "Пароль не введён"},
      {{"add", "anna"}, "\n", kExitFailed, "Пароль должен содержать"},
      {{"add", "anna", "Secret-On-Line"}, "x\n", kExitUsage, "Лишнее слово"},
      {{"add", "anna", "--rights"}, "x\n", kExitUsage, "Нет значения параметра «--rights»"},
      {{"add", "an na"}, "x\n", kExitUsage, "Неверное имя пользователя"},
      {{"add", "anna", "--rights", "admin"}, "x\n", kExitUsage, "Неверные права"},
      {{"add", "anna", "--workstations", "R R"}, "x\n", kExitUsage, "Неверные коды АРМ"},
      {{"set", "reader"}, "", kExitUsage, "Укажите --rights или --workstations"},
      {{"passwd", "reader", "--rights", "write"}, "x\n", kExitUsage, "Неизвестный параметр"},
      {{"rename", "reader"}, "", kExitUsage, "Неизвестное действие"},
      {{"remove"}, "", kExitUsage, "Не указано имя пользователя"},
  };
  for (const Row& row : rows) {
    ProgramResult result = User(row.words, row.input);
    EXPECT_EQ(result.status, row.status) << row.words[0] << " " << row.words[1];
    EXPECT_NE(result.err.find(row.message), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("Secret-On-Line"), std::string::npos) << result.err;
  }
  EXPECT_EQ(User({"list"}).out, "librarian - write\nreader RC read\n");

  ProgramResult nowhere = RunProgram({TALOR_BINARY_DIR "/src/app/talor-server", "user", "list",
                                      "--data", (server_.dataDir() / "absent").string()},
                                     "");
  EXPECT_EQ(nowhere.status, kExitFailed);
  EXPECT_NE(nowhere.err.find("Хранилище не найдено"), std::string::npos) << nowhere.err;
  EXPECT_FALSE(std::filesystem::exists(server_.dataDir() / "absent"));
}

TEST_F(UsersTest, ADataDirectoryWithPlainPasswordsIsConvertedAtStart) {
  server_.Stop();
  {
    // Back to the form of a directory made before passwords were hashed.
    SqliteConnection db;
    ASSERT_TRUE(db.Open((server_.dataDir() / kStorageFileName).string()));
    ASSERT_TRUE(
        db.Execute("ALTER TABLE users RENAME COLUMN password_hash TO password;"
                   "UPDATE users SET password = 'Legacy-' || name || '-Pw';"
                   "PRAGMA wal_checkpoint(TRUNCATE);"));
  }
  ASSERT_TRUE(DataHolds("Legacy-librarian-Pw"));
  ASSERT_TRUE(server_.Start());
  EXPECT_EQ(Login("librarian", "Legacy-librarian-Pw"), "0");
  EXPECT_EQ(Login("reader", "Legacy-reader-Pw"), "0");
  EXPECT_EQ(Login("reader", "reader"), "-3337");
  EXPECT_FALSE(DataHolds("Legacy-librarian-Pw"));
  EXPECT_FALSE(DataHolds("Legacy-reader-Pw"));

  server_.Stop();
  ASSERT_TRUE(server_.Start());
  EXPECT_EQ(Login("librarian", "Legacy-librarian-Pw"), "0");
}

TEST_F(UsersTest, RepeatedFailedLoginsAreSlowedDown) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 8; ++i) ASSERT_EQ(Login("librarian", "guess-" + std::to_string(i)), "-3337");
  // Three free failures, then windows of 0.25, 0.5, 1 and 2 s; each refusal
  // is held back for at most a second.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(Login("librarian", "librarian"), "0");
  EXPECT_EQ(Login("librarian", "guess"), "-3337");  // free again after the success
  EXPECT_EQ(Login("librarian", "librarian"), "0");
}

}  // namespace
}  // namespace talor::server
