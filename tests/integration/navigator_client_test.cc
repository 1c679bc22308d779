// The navigator's client side — transport, command set, resource cache, term
// collectors, login and change of server — against a real talor-server.

#include <gtest/gtest.h>

#include <memory>

#include "client/command_set.h"
#include "client/record.h"
#include "client/term_collector.h"
#include "integration/demo_server.h"
#include "platform/scripted_user_interface.h"
#include "shell/ini_file.h"
#include "shell/session.h"

namespace talor::server {
namespace {

using Kind = ConnectFormAction::Kind;

class NavigatorClientTest : public DemoServerTest {
 protected:
  void SetUp() override {
    DemoServerTest::SetUp();
    transport_.SetServer("127.0.0.1", std::to_string(Port()), "R");
    StringList answer;
    ASSERT_EQ(commands_.Register("librarian", "librarian", "R", answer), ExchangeResult::Good);
    ASSERT_EQ(answer[0].text, "0");
  }

  // Requests sent so far in this session (every request raises it by one).
  int Sequence() const { return std::stoi(transport_.identity().sequenceNumber); }

  EventLoop loop_;
  ScriptedUserInterface ui_{loop_};
  SystemClock clock_;
  Transport transport_{loop_, ui_, clock_};
  CommandSet commands_{transport_, ui_};
  StringList result_;
};

TEST_F(NavigatorClientTest, RegistrationDeliversTheSettingsWithoutTheSessionLine) {
  ASSERT_EQ(commands_.RegisterAt("127.0.0.1", std::to_string(Port()), "R", result_, "librarian",
                                 "librarian"),
            ExchangeResult::Good);
  ASSERT_GE(result_.size(), 2u);
  EXPECT_EQ(result_[0].text, "0");
  result_.Delete(0);
  const IniFile settings = IniFile::FromText(result_.Text());
  EXPECT_EQ(settings.ReadString("Navigator", "InitURL", ""), "TALOR:3,1,DEMO,index.html");
  EXPECT_EQ(transport_.identity().sequenceNumber, "1");

  ASSERT_EQ(
      commands_.RegisterAt("127.0.0.1", std::to_string(Port()), "R", result_, "nope", "librarian"),
      ExchangeResult::Good);
  EXPECT_EQ(result_, (StringList{{"-3337", 0}}));
}

TEST_F(NavigatorClientTest, RecordsRoundTripThroughWriteAndRead) {
  ASSERT_EQ(commands_.ReadMaxMfn("DEMO", result_), ExchangeResult::Good);
  const int32_t next = std::stoi(result_[0].text);

  StringList record;
  RecordNew(record);
  record.Add("^AПроверка записи^FТестов", 200);
  record.Add("^AТестов^BТ.Т.", 700);
  StringList answer;
  ASSERT_EQ(commands_.WriteRecord("DEMO", false, true, answer, record), ExchangeResult::Good);
  EXPECT_EQ(RecordMfn(record), next);
  EXPECT_EQ(record[0].text, "0");
  EXPECT_EQ(RecordFieldCount(record), 2);

  StringList read;
  ASSERT_EQ(commands_.ReadRecord("DEMO", next, false, read), ExchangeResult::Good);
  EXPECT_EQ(read, record);

  // A second write raises the version.
  RecordSetField(read, 1, "^AПереименовано^FИзменено");
  ASSERT_EQ(commands_.WriteRecord("DEMO", false, true, answer, read), ExchangeResult::Good);
  EXPECT_EQ(std::stoi(read[2].text), std::stoi(record[2].text) + 1);
  EXPECT_EQ(RecordFieldText(read, 1, "f"), "Изменено");

  // The new record is found by the dictionary the write updated.
  ASSERT_EQ(commands_.Search("DEMO", "\"K=ПЕРЕИМЕНОВАНО\"", 10, result_, "", 1),
            ExchangeResult::Good);
  ASSERT_GE(result_.size(), 3u);
  EXPECT_EQ(result_[1].text, "1");
  EXPECT_EQ(result_[2].object, next);
}

TEST_F(NavigatorClientTest, AbsentRecordAndSeveralRecordsAtOnce) {
  StringList record;
  ASSERT_EQ(commands_.ReadRecord("DEMO", 999999, false, record), ExchangeResult::Good);
  EXPECT_EQ(record, (StringList{{"-605", 0}, {"-605", 999999}}));

  StringList first;
  RecordNew(first);
  first.Add("^AПервая из пачки", 200);
  StringList second;
  RecordNew(second);
  second.Add("^AВторая из пачки", 200);
  StringList texts{{RecordToText(first), 0}, {RecordToText(second), 0}};
  StringList answer;
  ASSERT_EQ(commands_.WriteRecords("DEMO", false, true, answer, texts), ExchangeResult::Good);
  for (const ListLine& text : texts) {
    StringList written;
    RecordFromText(text.text, written);
    EXPECT_GT(RecordMfn(written), 0) << text.text;
  }
}

TEST_F(NavigatorClientTest, SearchAndFormattingAnswersAreParsed) {
  ASSERT_EQ(commands_.Search("DEMO", "\"K=ИСТОРИЯ$\"", 3, result_, "@brief", 1),
            ExchangeResult::Good);
  ASSERT_EQ(result_.size(), 5u);
  EXPECT_GT(std::stoi(result_[1].text), 3);
  EXPECT_GT(result_[2].object, 0);
  EXPECT_FALSE(result_[2].text.empty());

  ASSERT_EQ(commands_.FormatRecords("DEMO", {{"0", 0}, {"1", 0}, {"3", 0}}, "@brief", result_),
            ExchangeResult::Good);
  ASSERT_EQ(result_.size(), 4u);
  EXPECT_EQ(result_[1].object, 1);
  EXPECT_EQ(result_[3].object, 3);
  const std::string third = result_[3].text;

  ASSERT_EQ(commands_.FormatRecords("DEMO", {{"2", 0}, {"3", 0}, {"5", 0}}, "@brief", result_),
            ExchangeResult::Good);
  ASSERT_EQ(result_.size(), 3u);
  EXPECT_EQ(result_[1], (ListLine{third, 3}));
  EXPECT_EQ(result_[2].object, 5);

  ASSERT_EQ(commands_.FormatRecord("DEMO", 3, "@brief", result_), ExchangeResult::Good);
  EXPECT_EQ(result_[0].text, "0");

  StringList record;
  ASSERT_EQ(commands_.ReadRecord("DEMO", 3, false, record), ExchangeResult::Good);
  ASSERT_EQ(commands_.FormatClientRecord("DEMO", "@brief", record, result_), ExchangeResult::Good);
  EXPECT_EQ(result_[0].text, "0");

  ASSERT_EQ(commands_.FullTextSearch("DEMO", "история", "", result_, "", "@brief", 1, 2, ""),
            ExchangeResult::Good);
  ASSERT_GE(result_.size(), 3u);
  EXPECT_GT(result_[2].object, 0);
}

TEST_F(NavigatorClientTest, DictionaryAndPostings) {
  ASSERT_EQ(commands_.ReadTermsForward("DEMO", "K=", 5, result_), ExchangeResult::Good);
  ASSERT_EQ(result_.size(), 6u);
  for (size_t i = 2; i < result_.size(); ++i) EXPECT_LT(result_[i - 1].text, result_[i].text);
  const std::string term = result_[1].text;
  const int32_t count = result_[1].object;

  ASSERT_EQ(commands_.ReadTermsBackward("DEMO", term, 2, result_), ExchangeResult::Good);
  EXPECT_EQ(result_[1], (ListLine{term, count}));

  ASSERT_EQ(commands_.ReadPostings("DEMO", term, 1, result_, 0), ExchangeResult::Good);
  ASSERT_EQ(static_cast<int32_t>(result_.size()), count + 1);
  EXPECT_EQ(result_[1].text.find('#'), std::string::npos);

  StringList texts;
  ASSERT_EQ(commands_.ReadFormattedPostings("DEMO", term, 1, result_, texts, "@brief", 2),
            ExchangeResult::Good);
  EXPECT_EQ(texts.size(), result_.size() - 1);
}

TEST_F(NavigatorClientTest, TermCollectorsSkipToTheStart) {
  ASSERT_EQ(CollectTermsForward(commands_, "DEMO", "K=А", 4, result_), 1);
  ASSERT_EQ(result_.size(), 5u);
  EXPECT_EQ(result_[0].text, "-1");  // "K=А" itself is no term
  const std::string first = result_[1].text;
  ASSERT_EQ(CollectTermsForward(commands_, "DEMO", first, 3, result_), 1);
  EXPECT_EQ(result_[0].text, "0");
  EXPECT_EQ(result_[1].text, first);
  ASSERT_EQ(CollectTermsBackward(commands_, "DEMO", first, 3, result_), 1);
  EXPECT_EQ(result_[1].text, first);
  EXPECT_LT(result_[2].text, first);
}

TEST_F(NavigatorClientTest, ResourceCacheAsksOnceWhateverTheCase) {
  ASSERT_EQ(commands_.ReadCachedText(10, "DEMO", "brief.pft", result_), ExchangeResult::Good);
  ASSERT_FALSE(result_.empty());
  const StringList brief = result_;
  const int before = Sequence();
  ASSERT_EQ(commands_.ReadCachedText(10, "demo", "BRIEF.PFT", result_), ExchangeResult::Good);
  EXPECT_EQ(result_, brief);
  EXPECT_EQ(Sequence(), before);
  commands_.ClearResourceCache();
  ASSERT_EQ(commands_.ReadCachedText(10, "DEMO", "brief.pft", result_), ExchangeResult::Good);
  EXPECT_EQ(Sequence(), before + 1);

  std::string block;
  ASSERT_EQ(commands_.ReadCachedBinary(11, "DEMO", "page_0001.gif", result_, block),
            ExchangeResult::Good);
  EXPECT_TRUE(block.starts_with("GIF8"));
  std::string again;
  ASSERT_EQ(commands_.ReadCachedBinary(11, "DEMO", "PAGE_0001.GIF", result_, again),
            ExchangeResult::Good);
  EXPECT_EQ(again, block);
  EXPECT_EQ(Sequence(), before + 2);

  EXPECT_EQ(commands_.ReadCachedBinary(11, "DEMO", "absent.gif", result_, block),
            ExchangeResult::Failed);
  EXPECT_EQ(result_, (StringList{{"-700", 0}}));
}

TEST_F(NavigatorClientTest, BlockingPathGivesTheSameAnswers) {
  ASSERT_EQ(commands_.ReadTermsForward("DEMO", "K=", 3, result_), ExchangeResult::Good);
  const StringList nonBlocking = result_;
  transport_.SetBlocking(true);
  ASSERT_EQ(commands_.ReadTermsForward("DEMO", "K=", 3, result_), ExchangeResult::Good);
  EXPECT_EQ(result_, nonBlocking);
}

// ---- login and change of server

class NavigatorSessionTest : public NavigatorClientTest {
 protected:
  void OpenSession(std::string_view mainSection) {
    config_ = LocalConfig::FromText(std::string("[Main]\nServerIP=127.0.0.1\nServerPort=") +
                                    std::to_string(Port()) + "\n" + std::string(mainSection));
    std::string messages;
    for (int i = 0; i < 1100; ++i) messages += "text " + std::to_string(i) + "\n";
    messages_.SetAnsiText(messages);
    session_ = std::make_unique<Session>(loop_, ui_, commands_, config_, settings_, messages_);
  }

  LocalConfig config_;
  ServerSettings settings_;
  Messages messages_;
  std::unique_ptr<Session> session_;
};

TEST_F(NavigatorSessionTest, StoredUserLogsInWithoutAsking) {
  OpenSession("UserName=reader\nUserPassword=reader\n");
  EXPECT_EQ(session_->Login(), LoginResult::Registered);
  EXPECT_EQ(settings_.ReadInteger("Navigator", "SEARCHPORTION", 0), 10);
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(NavigatorSessionTest, WrongPasswordShows944AndCancelAborts) {
  OpenSession("");
  ui_.QueueConnectFormAction({Kind::TypeAndOk, "reader", "wrong"});
  ui_.QueueConnectFormAction({Kind::PressCancel, "", ""});
  EXPECT_EQ(session_->Login(), LoginResult::Aborted);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text, "text 944");
}

TEST_F(NavigatorSessionTest, ForbiddenWorkstationIsRefused) {
  OpenSession("APPLIDENT=X\n");  // the reader may log in from R and C only
  ui_.QueueConnectFormAction({Kind::TypeAndOk, "reader", "reader"});
  ui_.QueueConnectFormAction({Kind::PressCancel, "", ""});
  EXPECT_EQ(session_->Login(), LoginResult::Aborted);
  EXPECT_EQ(ui_.messages().size(), 1u);
}

TEST_F(NavigatorSessionTest, ChangeOfServerAndFallback) {
  OpenSession("UserName=librarian\nUserPassword=librarian\n");
  ASSERT_EQ(session_->Login(), LoginResult::Registered);

  ServerProcess second;
  ASSERT_TRUE(second.Start());
  EXPECT_TRUE(session_->ChangeServer("127.0.0.1", std::to_string(second.port())));
  EXPECT_EQ(session_->values().serverPort, std::to_string(second.port()));
  StringList answer;
  ASSERT_EQ(commands_.NoOperation(answer), ExchangeResult::Good);
  EXPECT_EQ(answer[0].text, "0");  // registered there

  // A server that is not there: the user cancels the repeated login and the
  // session goes back to the server it had.
  uint16_t gone;
  {
    ServerProcess third;
    ASSERT_TRUE(third.Start());
    gone = third.port();
  }
  ui_.QueueConnectFormAction({Kind::PressCancel, "", ""});
  EXPECT_FALSE(session_->ChangeServer("127.0.0.1", std::to_string(gone)));
  EXPECT_EQ(session_->values().serverPort, std::to_string(second.port()));
  EXPECT_FALSE(ui_.applicationEnded());
  ASSERT_EQ(commands_.NoOperation(answer), ExchangeResult::Good);
  EXPECT_EQ(answer[0].text, "0");
}

}  // namespace
}  // namespace talor::server
