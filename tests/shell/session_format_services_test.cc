#include "shell/session_format_services.h"

#include <gtest/gtest.h>

#include "client/fake_peer.h"
#include "client/record.h"
#include "format/format_engine.h"
#include "platform/scripted_user_interface.h"

namespace talor {
namespace {

using testing::AnswerBytes;
using testing::FakePeer;
using testing::PeerReply;
using testing::PeerRequest;

// A catalogue server with one format file, two records and one term.
PeerReply Catalogue(const PeerRequest& request, int) {
  const auto parameters = request.parameters();
  const std::string command = request.command();
  std::vector<std::string> lines{"0"};
  if (command == "L" && parameters[0] == "10.DEMO.brief.pft") {
    lines = {"'Title: 'v200^a\x1f\x1e"};
  } else if (command == "L") {
    lines = {"-701"};
  } else if (command == "C" && parameters[1] == "2") {
    lines = {"0", "2#0", "0#1", "200#^aSecond"};
  } else if (command == "C") {
    lines = {"-605"};
  } else if (command == "G") {
    lines = {"0", "formatted by the server", "second line"};
  } else if (command == "I" && parameters[4] == "K=WORD") {
    lines = {"0", "17#200#1#1"};
  } else if (command == "I") {
    lines = {"-202"};
  }
  return PeerReply{AnswerBytes(request, lines)};
}

class SessionFormatServicesTest : public ::testing::Test {
 protected:
  SessionFormatServicesTest() {
    transport_.SetServer("127.0.0.1", peer_.portText(), "R");
    engine_.SetFileReader(&services_);
    engine_.SetServer(&services_);
    RecordNew(record_);
    record_[1].object = 1;
    record_.Add("^aFirst", 200);
  }

  EventLoop loop_;
  ScriptedUserInterface ui_{loop_};
  FixedClock clock_{5};
  Transport transport_{loop_, ui_, clock_};
  CommandSet commands_{transport_, ui_};
  SessionFormatServices services_{commands_};
  FakePeer peer_{Catalogue};
  FormatEngine engine_;
  StringList record_;
};

TEST_F(SessionFormatServicesTest, FormatByNameReadsTheFormatFromTheServerOnce) {
  StringList result;
  EXPECT_EQ(engine_.FormatRecordByName(record_, "DEMO", "brief", result), 0);
  EXPECT_EQ(result, (StringList{{"Title: First", 0}}));
  EXPECT_EQ(engine_.FormatRecordByName(record_, "DEMO", "BRIEF", result), 0);
  EXPECT_EQ(peer_.requestCount(), 1);  // the second read came from the cache
}

TEST_F(SessionFormatServicesTest, TextFileArrivesWithItsLineEnds) {
  EXPECT_EQ(services_.ReadTextFile(10, "DEMO", "brief.pft"), "'Title: 'v200^a\r\n");
  // A path the server refuses asks the user, who declines.
  EXPECT_EQ(services_.ReadTextFile(10, "DEMO", "../secret"), std::nullopt);
  EXPECT_EQ(ui_.messages().size(), 1u);
}

TEST_F(SessionFormatServicesTest, ServerFormatsTheClientsRecord) {
  std::optional<StringList> answer = services_.FormatOnServer("DEMO", "@brief", record_);
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ((*answer)[1].text, "formatted by the server");
  const PeerRequest request = peer_.requests().back();
  EXPECT_EQ(request.command(), "G");
  EXPECT_EQ(request.parameters()[2], "-2");
  EXPECT_EQ(request.parameters()[3], RecordToLine(record_));
}

TEST_F(SessionFormatServicesTest, TermLookupAndRecordReads) {
  EXPECT_EQ(services_.LookupTerm("DEMO", "K=WORD"), 17);
  EXPECT_EQ(services_.LookupTerm("DEMO", "K=NONE"), 0);
  std::optional<StringList> second = services_.ReadRecord("DEMO", 2);
  ASSERT_TRUE(second.has_value());
  EXPECT_EQ(RecordFieldText(*second, 1, "a"), "Second");
  std::optional<StringList> absent = services_.ReadRecord("DEMO", 9);
  ASSERT_TRUE(absent.has_value());
  EXPECT_EQ((*absent)[0].text, "-605");
}

TEST_F(SessionFormatServicesTest, NothingToAskWhenTheServerIsGone) {
  transport_.SetServer("127.0.0.1", "1", "R");
  EXPECT_EQ(services_.FormatOnServer("DEMO", "@brief", record_), std::nullopt);
  EXPECT_EQ(services_.LookupTerm("DEMO", "K=WORD"), std::nullopt);
  EXPECT_EQ(services_.ReadRecord("DEMO", 2), std::nullopt);
}

}  // namespace
}  // namespace talor
