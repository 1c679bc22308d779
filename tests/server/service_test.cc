#include "server/service.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>

#include "server/password_hash.h"
#include "server/return_codes.h"
#include "server/temp_dir.h"

namespace talor::server {
namespace {

// A formatter that holds its first call until released, so that a test can
// stop a request while it runs.
class GateFormatter : public Formatter {
 public:
  FormatOutput Format(const StoredRecord& record, std::string_view, std::string_view) override {
    std::unique_lock lock(mutex_);
    ++calls_;
    entered_.notify_all();
    opened_.wait(lock, [this] { return open_; });
    return {0, std::to_string(record.mfn)};
  }
  void WaitForFirstCall() {
    std::unique_lock lock(mutex_);
    entered_.wait(lock, [this] { return calls_ > 0; });
  }
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    opened_.notify_all();
  }
  int calls() {
    std::lock_guard lock(mutex_);
    return calls_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable entered_;
  std::condition_variable opened_;
  bool open_ = false;
  int calls_ = 0;
};

class ServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Storage::Open((dir_.path() / "s.sqlite").string(), &storage_).ok());
    ASSERT_TRUE(storage_->CreateDatabase("DEMO"));
    ASSERT_TRUE(storage_->PutUser({"anna", Hash("pw"), "R", true}));
    ASSERT_TRUE(storage_->PutUser({"boris", Hash("pw"), "", false}));
    storage_->PutSettings("[Navigator]\r\nSEARCHPORTION=5\r\n[MAIN]\r\n");
    for (int i = 0; i < 5; ++i) storage_->WriteRecord("DEMO", {0, 0, 0, {{200, "r"}}}, {}, nullptr);
  }

  static std::string Hash(std::string_view password) { return HashPassword(password).value_or(""); }
  Request Make(char command, std::vector<std::string> parameters, std::string user = "anna",
               std::string clientId = "1") {
    Request request;
    request.command = command;
    request.workstation = "R";
    request.clientId = std::move(clientId);
    request.sequence = "2";
    request.user = std::move(user);
    request.password = "pw";
    request.parameters = std::move(parameters);
    return request;
  }
  static std::vector<std::string> Lines(const Answer& answer) {
    std::vector<std::string> lines;
    for (const ListLine& line : answer.lines) lines.push_back(line.text);
    return lines;
  }

  TempDir dir_;
  std::unique_ptr<Storage> storage_;
  BasicFormatter basic_;
};

TEST_F(ServiceTest, RegistrationSendsSettingsAndEnforcesItsRules) {
  Service service(*storage_, CatalogueFiles(dir_.path()), basic_,
                  ServiceOptions{1, std::chrono::minutes(30), {}});
  EXPECT_EQ(
      Lines(service.Handle(Make('A', {"anna", "pw"}))),
      (std::vector<std::string>{"0", "talor-server", "[Navigator]", "SEARCHPORTION=5", "[MAIN]"}));
  // The same client registers again; a second client finds no free session.
  EXPECT_EQ(Lines(service.Handle(Make('A', {"anna", "pw"})))[0], "0");
  EXPECT_EQ(Lines(service.Handle(Make('A', {"anna", "pw"}, "anna", "2")))[0], "-3338");
  // After the first one unregisters, there is room again.
  EXPECT_EQ(Lines(service.Handle(Make('B', {"anna"})))[0], "0");
  EXPECT_EQ(Lines(service.Handle(Make('A', {"anna", "pw"}, "anna", "2")))[0], "0");

  Request wrongStation = Make('A', {"anna", "pw"}, "anna", "3");
  wrongStation.workstation = "C";
  EXPECT_EQ(Lines(service.Handle(wrongStation))[0], "-3339");
  EXPECT_EQ(Lines(service.Handle(Make('A', {"anna", "bad"})))[0], "-3337");
}

TEST_F(ServiceTest, PasswordChangesAndRemovalsCountAtTheNextRequest) {
  Service service(*storage_, CatalogueFiles(dir_.path()), basic_, ServiceOptions{});
  ASSERT_EQ(Lines(service.Handle(Make('N', {})))[0], "0");
  ASSERT_EQ(storage_->ChangeUser({"anna", Hash("new"), "R", true}), UserChange::Done);
  EXPECT_EQ(Lines(service.Handle(Make('N', {})))[0], "-3335");
  Request renewed = Make('N', {});
  renewed.password = "new";
  EXPECT_EQ(Lines(service.Handle(renewed))[0], "0");
  EXPECT_EQ(Lines(service.Handle(Make('A', {"anna", "pw"})))[0], "-3337");
  EXPECT_EQ(Lines(service.Handle(Make('A', {"anna", "new"})))[0], "0");
  ASSERT_EQ(storage_->RemoveUser("anna"), UserChange::Done);
  EXPECT_EQ(Lines(service.Handle(renewed))[0], "-3335");
  EXPECT_EQ(Lines(service.Handle(Make('A', {"anna", "new"})))[0], "-3337");
}

TEST_F(ServiceTest, FailedLoginsAreSlowedDownPerAddress) {
  ServiceOptions options;
  options.throttle.freeFailures = 1;
  options.throttle.firstDelay = std::chrono::milliseconds(300);
  options.throttle.maxHold = std::chrono::milliseconds(100);
  Service service(*storage_, CatalogueFiles(dir_.path()), basic_, options);
  auto registerFrom = [&](std::string address, std::string password, std::string user = "boris") {
    Request request = Make('A', {user, password}, user);
    request.password = password;
    request.peerAddress = std::move(address);
    return Lines(service.Handle(request))[0];
  };
  EXPECT_EQ(registerFrom("10.0.0.1", "bad"), "-3337");  // free
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(registerFrom("10.0.0.1", "bad"), "-3337");  // opens a window of 300 ms
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));
  // While it is open the right password is refused too, but only there.
  EXPECT_EQ(registerFrom("10.0.0.1", "pw"), "-3337");
  EXPECT_EQ(registerFrom("10.0.0.2", "pw"), "0");
  // Header checks of later requests count as logins as well.
  Request request = Make('N', {}, "boris");
  request.password = "bad";
  request.peerAddress = "10.0.0.2";
  EXPECT_EQ(Lines(service.Handle(request))[0], "-3335");
  EXPECT_EQ(Lines(service.Handle(request))[0], "-3335");
  EXPECT_EQ(registerFrom("10.0.0.2", "pw", "anna"), "-3337");
  // A password proven right before passes at once.
  EXPECT_EQ(registerFrom("10.0.0.2", "pw"), "0");

  std::this_thread::sleep_for(std::chrono::milliseconds(350));
  EXPECT_EQ(registerFrom("10.0.0.1", "pw"), "0");
  EXPECT_EQ(registerFrom("10.0.0.1", "bad"), "-3337");  // free again after the success
  EXPECT_EQ(registerFrom("10.0.0.1", "pw"), "0");
}

TEST_F(ServiceTest, IdleSessionsExpire) {
  Service service(*storage_, CatalogueFiles(dir_.path()), basic_,
                  ServiceOptions{1, std::chrono::milliseconds(1), {}});
  ASSERT_EQ(Lines(service.Handle(Make('A', {"anna", "pw"})))[0], "0");
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(Lines(service.Handle(Make('A', {"anna", "pw"}, "anna", "2")))[0], "0");
}

TEST_F(ServiceTest, WriteNeedsTheRightAndMissingParametersAreCodes) {
  Service service(*storage_, CatalogueFiles(dir_.path()), basic_, ServiceOptions{});
  EXPECT_EQ(Lines(service.Handle(Make('D', {"DEMO", "0", "1", "0#0\x1f\x1e"}, "boris"))),
            (std::vector<std::string>{"-3336", "-3336"}));
  struct Row {
    char command;
    std::vector<std::string> parameters;
    std::string code;
  };
  const Row rows[] = {
      {'C', {}, "-140"},
      {'C', {"DEMO"}, "-140"},
      {'D', {"DEMO"}, "-1002"},
      {'D', {"DEMO", "x", "1", "0#0"}, "-1002"},
      {'G', {"DEMO", "mfn"}, "-1002"},
      {'G', {"DEMO", "mfn", "1", "0"}, "-140"},
      {'H', {"DEMO"}, "-1002"},
      {'I', {"DEMO", "1", "0", ""}, "-1002"},
      {'I', {"DEMO", "1", "0", "", "$"}, "-1002"},
      {'K', {"DEMO"}, "-1002"},
      {'R', {"DEMO"}, "-1002"},
      {'L', {}, "-701"},
      {'V', {"DEMO"}, "-140"},
      {'O', {}, "-1000"},
  };
  for (const Row& row : rows) {
    std::vector<std::string> lines = Lines(service.Handle(Make(row.command, row.parameters)));
    ASSERT_FALSE(lines.empty()) << row.command;
    EXPECT_EQ(lines[0], row.code) << row.command << " with " << row.parameters.size();
  }
}

// Starts G over the five records with the gate formatter and stops it at
// `level` while the first record is being formatted.
std::vector<std::string> StopDuringFormatting(Storage& storage, const TempDir& dir, int level) {
  GateFormatter gate;
  Service service(storage, CatalogueFiles(dir.path()), gate, ServiceOptions{});
  Request request;
  request.command = 'G';
  request.clientId = "7";
  request.user = "anna";
  request.password = "pw";
  request.parameters = {"DEMO", "mfn", "0", "1", "5"};
  std::future<Answer> running =
      std::async(std::launch::async, [&] { return service.Handle(request); });
  gate.WaitForFirstCall();
  EXPECT_EQ(service.sessions().Cancel(SessionKey("anna", "7"), level), 1);
  EXPECT_EQ(service.sessions().Cancel(SessionKey("anna", "8"), level), 0);  // another client
  gate.Open();
  Answer answer = running.get();
  std::vector<std::string> lines;
  for (const ListLine& line : answer.lines) lines.push_back(line.text);
  EXPECT_EQ(gate.calls(), 1);  // nothing was formatted after the stop
  return lines;
}

TEST_F(ServiceTest, StopLevelZeroEndsEarlyWithWhatIsReady) {
  EXPECT_EQ(StopDuringFormatting(*storage_, dir_, kStopGently),
            (std::vector<std::string>{"0", "1#1"}));
}

TEST_F(ServiceTest, StopLevelOneAbandonsTheRequest) {
  EXPECT_EQ(StopDuringFormatting(*storage_, dir_, kStopAbort),
            (std::vector<std::string>{std::to_string(Code(ReturnCode::Interrupted))}));
}

}  // namespace
}  // namespace talor::server
