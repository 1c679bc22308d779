#include "shell/login.h"

#include <gtest/gtest.h>

#include <memory>

#include "client/fake_peer.h"
#include "platform/scripted_user_interface.h"
#include "shell/session.h"
#include "shell/temp_dir.h"

namespace talor {
namespace {

using testing::AnswerBytes;
using testing::FakePeer;
using testing::PeerReply;
using testing::PeerRequest;
using Kind = ConnectFormAction::Kind;

// A message file whose line N reads "text N".
Messages NumberedMessages() {
  std::string text;
  for (int i = 0; i < 1100; ++i) text += "text " + std::to_string(i) + "\n";
  Messages messages;
  messages.SetAnsiText(text);
  return messages;
}

// A catalogue server that knows one user; `code` answers anyone else.
FakePeer::Script Accounts(std::string user, std::string password, std::string code = "-3337") {
  return [=](const PeerRequest& request, int) {
    std::vector<std::string> lines{"0"};
    if (request.command() == "A") {
      const auto parameters = request.parameters();
      if (parameters.size() == 2 && parameters[0] == user && parameters[1] == password) {
        lines = {"0",           "session",           "[MAIN]", "SHOW_WAITING_IN_SECOND=7",
                 "[Navigator]", "InitURL=TALOR:home"};
      } else {
        lines = {code};
      }
    }
    return PeerReply{AnswerBytes(request, lines)};
  };
}

class LoginTest : public ::testing::Test {
 protected:
  void Start(FakePeer::Script script, std::string_view configText = "") {
    peer_ = std::make_unique<FakePeer>(std::move(script));
    ASSERT_TRUE(peer_->listening());
    dir_.Write("navigator.ini", std::string(configText) + "\n[Main]\nServerIP=127.0.0.1\n" +
                                    "ServerPort=" + peer_->portText() + "\n");
    config_ = LocalConfig::Open(dir_.File("navigator.ini"));
    session_ = std::make_unique<Session>(loop_, ui_, commands_, config_, settings_, messages_);
  }

  std::vector<std::string> Commands() const {
    std::vector<std::string> letters;
    for (const PeerRequest& request : peer_->requests()) letters.push_back(request.command());
    return letters;
  }

  EventLoop loop_;
  ScriptedUserInterface ui_{loop_};
  FixedClock clock_{99};
  Transport transport_{loop_, ui_, clock_};
  CommandSet commands_{transport_, ui_};
  TempDir dir_;
  LocalConfig config_;
  ServerSettings settings_ = ServerSettings::FromText("[MAIN]\nOLD=1\n");
  Messages messages_ = NumberedMessages();
  std::unique_ptr<FakePeer> peer_;
  std::unique_ptr<Session> session_;
};

TEST_F(LoginTest, StoredUserLogsInThroughTheTimerWithoutAnyAction) {
  Start(Accounts("ivanov", "pw"), "[Main]\nUserName=ivanov\nUserPassword=pw\n");
  EXPECT_EQ(session_->Login(), LoginResult::Registered);
  ASSERT_EQ(peer_->requestCount(), 1);
  const PeerRequest request = peer_->requests()[0];
  EXPECT_EQ(request.command(), "A");
  EXPECT_EQ(request.Line(1), "R");  // APPLIDENT is missing
  EXPECT_EQ(session_->values().user, "ivanov");
  EXPECT_EQ(session_->values().password, "pw");
  // The registration's settings replace the old ones (line "session" dropped).
  EXPECT_FALSE(settings_.ValueExists("MAIN", "OLD"));
  EXPECT_EQ(settings_.ReadInteger("MAIN", "SHOW_WAITING_IN_SECOND", 0), 7);
  EXPECT_EQ(settings_.ReadString("Navigator", "InitURL", ""), "TALOR:home");
  ASSERT_EQ(ui_.connectFormsShown().size(), 1u);
  EXPECT_EQ(ui_.connectFormsShown()[0].caption, "text 987 - 127.0.0.1");
  EXPECT_EQ(ui_.connectFormsShown()[0].user, "ivanov");
}

TEST_F(LoginTest, HandOverLogsInOnceAndForgetsThePassword) {
  Start(Accounts("guest", "one-time"),
        "[CONTEXT]\nInitURL=TALOR:page\nUSERNAME=guest\nUserPassword=one-time\n");
  EXPECT_EQ(session_->Login(), LoginResult::Registered);
  EXPECT_EQ(session_->values().user, "guest");
  const LocalConfig saved = LocalConfig::Open(dir_.File("navigator.ini"));
  EXPECT_TRUE(saved.ValueExists("CONTEXT", "UserPassword"));
  EXPECT_EQ(saved.ReadString("CONTEXT", "UserPassword", "x"), "");
  EXPECT_EQ(saved.ReadString("CONTEXT", "USERNAME", ""), "guest");
}

TEST_F(LoginTest, HandOverWithoutInitUrlIsNotUsed) {
  Start(Accounts("guest", "pw"), "[CONTEXT]\nInitURL=\nUSERNAME=guest\nUserPassword=pw\n");
  ui_.QueueConnectFormAction({Kind::TypeAndOk, "guest", "pw"});
  EXPECT_EQ(session_->Login(), LoginResult::Registered);
  EXPECT_EQ(ui_.connectFormsShown()[0].user, "");  // the boxes started empty
  EXPECT_EQ(config_.ReadString("CONTEXT", "UserPassword", ""), "pw");
}

TEST_F(LoginTest, RefusedUserSeesMessage944AndTriesAgain) {
  Start(Accounts("ivanov", "pw"));
  ui_.QueueConnectFormAction({Kind::TypeAndOk, "ivanov", "wrong"});
  ui_.QueueConnectFormAction({Kind::TypeAndOk, "ivanov", "pw"});
  EXPECT_EQ(session_->Login(), LoginResult::Registered);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].caption, "text 138");
  EXPECT_EQ(ui_.messages()[0].text, "text 944");
  EXPECT_EQ(ui_.messages()[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(peer_->requestCount(), 2);
}

TEST_F(LoginTest, RefusalEmptiesTheBoxesAndKeepsTheDialogOpen) {
  Start(Accounts("ivanov", "pw"));
  ui_.QueueConnectFormAction({Kind::TypeAndOk, "ivanov", "wrong"});
  ui_.QueueConnectFormAction({Kind::PressCancel, "", ""});
  EXPECT_EQ(session_->Login(), LoginResult::Aborted);
  EXPECT_EQ(ui_.lastConnectFields().user, "");
  EXPECT_EQ(ui_.lastConnectFields().password, "");
  EXPECT_EQ(ui_.lastConnectFields().focus, ConnectFormFields::Focus::User);
}

TEST_F(LoginTest, WorkstationRefusedEndsTheDialogWithMessage1013) {
  Start(Accounts("ivanov", "pw", "-3338"));
  ui_.QueueConnectFormAction({Kind::TypeAndOk, "petrov", "pw"});
  EXPECT_EQ(session_->Login(), LoginResult::Failed);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text, "text 1013");
  EXPECT_EQ(ui_.messages()[0].caption, "text 138");
}

TEST_F(LoginTest, UnreachableServerFailsWithoutAMessage) {
  Start(Accounts("ivanov", "pw"));
  session_->values().serverPort = "1";  // nothing listens there
  ui_.QueueConnectFormAction({Kind::TypeAndOk, "ivanov", "pw"});
  EXPECT_EQ(session_->Login(), LoginResult::Failed);
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(LoginTest, EmptyUserIgnoresOkAndTheKeysMoveAlong) {
  Start(Accounts("ivanov", "pw"));
  ui_.QueueConnectFormAction({Kind::TypeAndOk, "", "pw"});
  ui_.QueueConnectFormAction({Kind::EnterInUser, "", ""});
  ui_.QueueConnectFormAction({Kind::PressClose, "", ""});
  EXPECT_EQ(session_->Login(), LoginResult::Failed);
  EXPECT_EQ(peer_->requestCount(), 0);
  EXPECT_EQ(ui_.lastConnectFields().focus, ConnectFormFields::Focus::Password);
}

TEST_F(LoginTest, EnterInThePasswordBoxPressesOk) {
  Start(Accounts("ivanov", "pw"));
  ui_.QueueConnectFormAction({Kind::TypeAndOk, "ivanov", "wrong"});  // boxes emptied
  ui_.QueueConnectFormAction({Kind::EnterInPassword, "", ""});       // empty user: nothing
  ui_.QueueConnectFormAction({Kind::TypeAndOk, "ivanov", "pw"});
  EXPECT_EQ(session_->Login(), LoginResult::Registered);
  EXPECT_EQ(peer_->requestCount(), 2);
}

TEST_F(LoginTest, ApplidentGivesTheWorkstationCode) {
  Start(Accounts("ivanov", "pw"), "[MAIN]\nAPPLIDENT=Xyz\n");
  ui_.QueueConnectFormAction({Kind::TypeAndOk, "ivanov", "pw"});
  EXPECT_EQ(session_->Login(), LoginResult::Registered);
  EXPECT_EQ(peer_->requests()[0].Line(1), "X");
}

class ChangeServerTest : public LoginTest {
 protected:
  void SetUp() override {
    Start(Accounts("ivanov", "pw"));
    ui_.QueueConnectFormAction({Kind::TypeAndOk, "ivanov", "pw"});
    ASSERT_EQ(session_->Login(), LoginResult::Registered);
    commands_.transport().resourceCache().StoreText("10.DEMO.X", StringList{{"cached", 0}});
  }
};

TEST_F(ChangeServerTest, MovesToTheNewServerWithWorkstationC) {
  FakePeer second(Accounts("ivanov", "pw"));
  EXPECT_TRUE(session_->ChangeServer("127.0.0.1", second.portText()));
  EXPECT_EQ(Commands(), (std::vector<std::string>{"A", "B"}));
  ASSERT_EQ(second.requestCount(), 1);
  EXPECT_EQ(second.requests()[0].command(), "A");
  EXPECT_EQ(second.requests()[0].Line(1), "C");
  EXPECT_EQ(session_->values().serverPort, second.portText());
  EXPECT_EQ(commands_.transport().resourceCache().size(), 0u);
  // Later requests go to the new server.
  StringList answer;
  commands_.NoOperation(answer);
  EXPECT_EQ(second.requestCount(), 2);
}

TEST_F(ChangeServerTest, RefusalThenCancelFallsBackToTheOldServer) {
  FakePeer second(Accounts("someone-else", "x"));
  ui_.QueueConnectFormAction({Kind::PressCancel, "", ""});
  EXPECT_FALSE(session_->ChangeServer("127.0.0.1", second.portText()));
  EXPECT_EQ(Commands(), (std::vector<std::string>{"A", "B", "A"}));
  EXPECT_EQ(peer_->requests()[2].Line(1), "C");
  EXPECT_EQ(session_->values().serverPort, peer_->portText());
  EXPECT_FALSE(ui_.applicationEnded());
  EXPECT_EQ(commands_.transport().resourceCache().size(), 0u);
  StringList answer;
  commands_.NoOperation(answer);
  EXPECT_EQ(peer_->requests().back().command(), "N");
}

TEST_F(ChangeServerTest, RepeatedLoginKeepsTheServerSettings) {
  FakePeer second(Accounts("someone-else", "x"));
  settings_.SetText("[MAIN]\nKEEP=1\n");
  ui_.QueueConnectFormAction({Kind::TypeAndOk, "ivanov", "pw"});
  EXPECT_FALSE(session_->ChangeServer("127.0.0.1", second.portText()));
  EXPECT_TRUE(settings_.ValueExists("MAIN", "KEEP"));
  EXPECT_EQ(session_->values().serverPort, peer_->portText());
}

TEST_F(ChangeServerTest, FailedFallbackClosesTheMainWindow) {
  FakePeer second(Accounts("someone-else", "x"));
  bool closed = false;
  session_->SetCloseMainWindow([&] { closed = true; });
  session_->values().password = "changed-meanwhile";  // the old server refuses now
  ui_.QueueConnectFormAction({Kind::PressCancel, "", ""});
  EXPECT_FALSE(session_->ChangeServer("127.0.0.1", second.portText()));
  EXPECT_TRUE(closed);
}

TEST_F(ChangeServerTest, EmptyPagePortKeepsTheSessionPort) {
  EXPECT_TRUE(session_->ChangeServer("localhost", ""));
  EXPECT_EQ(session_->values().serverAddress, "localhost");
  EXPECT_EQ(session_->values().serverPort, peer_->portText());
  EXPECT_EQ(peer_->requests().back().command(), "A");
}

}  // namespace
}  // namespace talor
