#include "client/command_set.h"

#include <gtest/gtest.h>

#include <functional>

#include "client/fake_peer.h"
#include "client/record.h"
#include "platform/scripted_user_interface.h"

namespace talor {
namespace {

using testing::AnswerBytes;
using testing::AnswerShape;
using testing::FakePeer;
using testing::PeerReply;
using testing::PeerRequest;

// The parameter bytes of a plain request: everything after its nine header
// lines.
std::string ParameterBytes(const PeerRequest& request) {
  size_t at = request.bytes.find('\n');  // the length line
  for (int i = 0; i < 10 && at != std::string::npos; ++i) at = request.bytes.find('\n', at + 1);
  return at == std::string::npos ? "" : request.bytes.substr(at + 1);
}

class CommandSetTest : public ::testing::Test {
 protected:
  CommandSetTest()
      : clock_(42),
        transport_(loop_, ui_, clock_),
        commands_(transport_, ui_),
        peer_([this](const PeerRequest& request, int index) {
          std::vector<std::string> lines = reply_;
          if (replyFor_) lines = replyFor_(request, index);
          AnswerShape shape;
          if (binary_) {
            shape.withBinary = true;
            shape.binary = *binary_;
          }
          return PeerReply{AnswerBytes(request, lines, shape)};
        }) {
    transport_.SetServer("127.0.0.1", peer_.portText(), "R");
  }

  PeerRequest LastRequest() const {
    auto requests = peer_.requests();
    return requests.empty() ? PeerRequest{} : requests.back();
  }

  EventLoop loop_;
  ScriptedUserInterface ui_{loop_};
  FixedClock clock_;
  Transport transport_;
  CommandSet commands_;
  std::vector<std::string> reply_{"0"};
  std::function<std::vector<std::string>(const PeerRequest&, int)> replyFor_;
  std::optional<std::string> binary_;
  FakePeer peer_;
};

struct ParameterCase {
  const char* name;
  std::function<ExchangeResult(CommandSet&)> call;
  char command;
  std::string parameters;
};

class CommandParametersTest : public CommandSetTest,
                              public ::testing::WithParamInterface<ParameterCase> {};

TEST_P(CommandParametersTest, SendsTheExactParameterLines) {
  EXPECT_EQ(GetParam().call(commands_), ExchangeResult::Good);
  const PeerRequest request = LastRequest();
  EXPECT_EQ(request.command(), std::string(1, GetParam().command));
  EXPECT_EQ(ParameterBytes(request), GetParam().parameters);
}

StringList g_list;
std::string g_block;

StringList SampleRecord() {
  StringList record;
  RecordNew(record);
  record[1] = {"0", 12};
  record[2].text = "3";
  record.Add("^aName", 200);
  return record;
}

INSTANTIATE_TEST_SUITE_P(
    Operations, CommandParametersTest,
    ::testing::Values(
        ParameterCase{"Register",
                      [](CommandSet& c) { return c.Register("ivanov", "pw", "R", g_list); }, 'A',
                      "ivanov\npw"},
        ParameterCase{"Unregister", [](CommandSet& c) { return c.Unregister("ivanov", g_list); },
                      'B', "ivanov"},
        ParameterCase{"NoOperation", [](CommandSet& c) { return c.NoOperation(g_list); }, 'N', ""},
        ParameterCase{"ReadMaxMfn", [](CommandSet& c) { return c.ReadMaxMfn("DEMO", g_list); }, 'O',
                      "DEMO"},
        ParameterCase{"ReadRecord",
                      [](CommandSet& c) { return c.ReadRecord("DEMO", 17, true, g_list); }, 'C',
                      "DEMO\n17\n1\n\n"},
        ParameterCase{"WriteRecord",
                      [](CommandSet& c) {
                        StringList record = SampleRecord();
                        return c.WriteRecord("DEMO", false, true, g_list, record);
                      },
                      'D',
                      "DEMO\n0\n1\n12#0\x1f\x1e"
                      "0#3\x1f\x1e"
                      "200#^aName\x1f\x1e"},
        ParameterCase{
            "FormatRange",
            [](CommandSet& c) {
              return c.FormatRecords("DEMO", {{"0", 0}, {"1", 0}, {"10", 0}}, "@brief", g_list);
            },
            'G', "DEMO\n@brief\n0\n1\n10"},
        ParameterCase{"FormatList",
                      [](CommandSet& c) {
                        return c.FormatRecords("DEMO", {{"3", 0}, {"5", 0}, {"7", 0}, {"9", 0}},
                                               "@brief", g_list);
                      },
                      'G', "DEMO\n@brief\n2\n5\n7\n9"},
        ParameterCase{"FormatRecord",
                      [](CommandSet& c) { return c.FormatRecord("DEMO", 5, "v200", g_list); }, 'G',
                      "DEMO\nv200\n1\n5"},
        ParameterCase{"FormatClientRecord",
                      [](CommandSet& c) {
                        return c.FormatClientRecord("DEMO", "v200", SampleRecord(), g_list);
                      },
                      'G',
                      "DEMO\nv200\n-2\n12#0\x1f\x1e"
                      "0#3\x1f\x1e"
                      "200#^aName\x1f\x1e"},
        ParameterCase{"ReadTerms",
                      [](CommandSet& c) { return c.ReadTerms("DEMO", "A=", 20, g_list, "@t"); },
                      'H', "DEMO\nA=\n20\n@t"},
        ParameterCase{"ReadTermsForward",
                      [](CommandSet& c) { return c.ReadTermsForward("DEMO", "A=", 20, g_list); },
                      'H', "DEMO\nA=\n20"},
        ParameterCase{"ReadTermsBackward",
                      [](CommandSet& c) { return c.ReadTermsBackward("DEMO", "A=", 20, g_list); },
                      'P', "DEMO\nA=\n20"},
        ParameterCase{"ReadPostings",
                      [](CommandSet& c) { return c.ReadPostings("DEMO", "A=X", 1, g_list, 0); },
                      'I', "DEMO\n1\n0\n\nA=X"},
        ParameterCase{"ReadFormattedPostings",
                      [](CommandSet& c) {
                        StringList texts;
                        return c.ReadFormattedPostings("DEMO", "A=X", 3, g_list, texts, "@f", 10);
                      },
                      'I', "DEMO\n3\n10\n@f\nA=X"},
        ParameterCase{"ReadWordPositions",
                      [](CommandSet& c) {
                        return c.ReadWordPositions("DEMO", 8, {{"ONE", 0}, {"TWO", 0}}, g_list);
                      },
                      'V', "DEMO\n8\nONE\nTWO"},
        ParameterCase{
            "Search",
            [](CommandSet& c) { return c.Search("DEMO", "\"A=X$\"", 10, g_list, "@brief", 1); },
            'K', "DEMO\n\"A=X$\"\n10\n1\n@brief"},
        ParameterCase{
            "ReadTextResource",
            [](CommandSet& c) { return c.ReadTextResource(10, "DEMO", "brief.pft", g_list); }, 'L',
            "10.DEMO.brief.pft"},
        ParameterCase{"ReadBinaryResource",
                      [](CommandSet& c) {
                        c.ReadBinaryResource(10, "DEMO", "logo.gif", g_list, g_block);
                        return ExchangeResult::Good;
                      },
                      'L', "10.DEMO.@logo.gif"}),
    [](const auto& info) { return std::string(info.param.name); });

struct FullTextCase {
  const char* name;
  bool morphology;
  const char* distance;
  int limit;
  std::string settingsLine;
};

class FullTextTest : public CommandSetTest, public ::testing::WithParamInterface<FullTextCase> {};

TEST_P(FullTextTest, SettingsLineJoinsTheQueryAndTheSettings) {
  const FullTextCase& row = GetParam();
  commands_.SetFullTextDefaults(row.morphology, "KT=", row.distance, row.limit, "extra");
  reply_ = {"0", "2", "5#first", "9#second"};
  StringList result;
  EXPECT_EQ(
      commands_.FullTextSearch("DEMO", "кошки и собаки", "q2", result, "opt", "@brief", 1, 20, ""),
      ExchangeResult::Good);
  EXPECT_EQ(ParameterBytes(LastRequest()), "DEMO\n\n20\n1\n@brief\n0\n0\nopt\n" + row.settingsLine);
  EXPECT_EQ(result, (StringList{{"0", 0}, {"2", 0}, {"first", 5}, {"second", 9}}));
}

INSTANTIATE_TEST_SUITE_P(Settings, FullTextTest,
                         ::testing::Values(FullTextCase{"Plain", false, "3", 50,
                                                        "кошки и собаки\x1fq2\x1f"
                                                        "0\x1fKT=\x1f"
                                                        "3\x1f"
                                                        "extra\x1f"
                                                        "50"},
                                           FullTextCase{"LimitZero", true, "", 0,
                                                        "кошки и собаки\x1fq2\x1f"
                                                        "1\x1fKT=\x1f-1\x1f"
                                                        "extra\x1f"
                                                        "100"},
                                           FullTextCase{"LimitTooHigh", false, "x", 40000,
                                                        "кошки и собаки\x1fq2\x1f"
                                                        "0\x1fKT=\x1f-1\x1f"
                                                        "extra\x1f"
                                                        "100"},
                                           FullTextCase{"LimitAtMaximum", false, "-5", 32000,
                                                        "кошки и собаки\x1fq2\x1f"
                                                        "0\x1fKT=\x1f-5\x1f"
                                                        "extra\x1f"
                                                        "32000"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommandSetTest, AnswerLinesBecomeCountsAndTexts) {
  StringList result;
  reply_ = {"0", "3", "12#Первая запись", "15#", "7"};
  ASSERT_EQ(commands_.Search("DEMO", "X", 10, result, "@", 1), ExchangeResult::Good);
  EXPECT_EQ(result, (StringList{{"0", 0}, {"3", 0}, {"Первая запись", 12}, {"", 15}, {"", 7}}));

  reply_ = {"0", "5#A=ONE#more", "1#A=TWO"};
  ASSERT_EQ(commands_.ReadTermsForward("DEMO", "A=", 2, result), ExchangeResult::Good);
  EXPECT_EQ(result, (StringList{{"0", 0}, {"A=ONE#more", 5}, {"A=TWO", 1}}));
}

TEST_F(CommandSetTest, AnswerLineThatIsNotANumberFailsWith2222) {
  StringList result;
  reply_ = {"0", "12#ok", "x1#broken"};
  EXPECT_EQ(commands_.FormatRecords("DEMO", {{"0", 0}, {"1", 0}, {"2", 0}}, "@", result),
            ExchangeResult::Failed);
  EXPECT_EQ(result, (StringList{{"-2222", 0}}));
  reply_ = {"0", "1", "#empty count"};
  EXPECT_EQ(commands_.Search("DEMO", "X", 10, result, "@", 1), ExchangeResult::Failed);
  EXPECT_EQ(result, (StringList{{"-2222", 0}}));
}

TEST_F(CommandSetTest, PostingsWithoutCountKeepOnlyTheMfnPart) {
  StringList result;
  reply_ = {"0", "12#200#1#3", "nohash", "7#"};
  ASSERT_EQ(commands_.ReadPostings("DEMO", "A=X", 1, result, 0), ExchangeResult::Good);
  EXPECT_EQ(result, (StringList{{"0", 0}, {"12", 0}, {"0", 0}, {"7", 0}}));
  ASSERT_EQ(commands_.ReadPostings("DEMO", "A=X", 1, result, 5), ExchangeResult::Good);
  EXPECT_EQ(result[1].text, "12#200#1#3");
}

TEST_F(CommandSetTest, FormattedPostingsSplitAfterTheFourthHash) {
  StringList result;
  StringList texts{{"stale", 0}};
  reply_ = {"0", "12#200#1#3#Text # with hash", "15#100#2#1#"};
  ASSERT_EQ(commands_.ReadFormattedPostings("DEMO", "A=X", 1, result, texts, "@f", 10),
            ExchangeResult::Good);
  EXPECT_EQ(result, (StringList{{"0", 0}, {"12#200#1#3", 0}, {"15#100#2#1", 0}}));
  EXPECT_EQ(texts, (StringList{{"Text # with hash", 12}, {"", 15}}));

  reply_ = {"0", "12#200#1#3#ok", "15#100#2"};
  EXPECT_EQ(commands_.ReadFormattedPostings("DEMO", "A=X", 1, result, texts, "@f", 10),
            ExchangeResult::Failed);
  EXPECT_EQ(result, (StringList{{"-2222", 0}}));
  EXPECT_TRUE(texts.empty());
}

TEST_F(CommandSetTest, ReadRecordClearsTheLockFlagOnlyWithoutLock) {
  reply_ = {"0", "12#64", "0#3", "200#^aName"};
  StringList record;
  ASSERT_EQ(commands_.ReadRecord("DEMO", 12, false, record), ExchangeResult::Good);
  EXPECT_EQ(record, (StringList{{"0", 0}, {"0", 12}, {"3", 0}, {"^aName", 200}}));
  ASSERT_EQ(commands_.ReadRecord("DEMO", 12, true, record), ExchangeResult::Good);
  EXPECT_EQ(record[1], (ListLine{"64", 12}));
  // Other status values pass through: 65 is deleted and locked.
  reply_ = {"0", "12#65", "0#3"};
  ASSERT_EQ(commands_.ReadRecord("DEMO", 12, false, record), ExchangeResult::Good);
  EXPECT_EQ(record[1], (ListLine{"1", 12}));
}

TEST_F(CommandSetTest, AbsentRecordCarriesTheMfnAskedFor) {
  reply_ = {"-605"};
  StringList record;
  ASSERT_EQ(commands_.ReadRecord("DEMO", 99, false, record), ExchangeResult::Good);
  EXPECT_EQ(record, (StringList{{"-605", 0}, {"-605", 99}}));
  // Such a record is never written back.
  const int before = peer_.requestCount();
  StringList answer;
  EXPECT_EQ(commands_.WriteRecord("DEMO", false, true, answer, record), ExchangeResult::Failed);
  EXPECT_EQ(peer_.requestCount(), before);
}

TEST_F(CommandSetTest, WriteRecordTakesNewMfnAndRaisesTheVersion) {
  StringList record = SampleRecord();
  record[1].object = 0;
  StringList answer;
  reply_ = {"0", "31#0"};
  ASSERT_EQ(commands_.WriteRecord("DEMO", false, true, answer, record), ExchangeResult::Good);
  EXPECT_EQ(record, (StringList{{"0", 0}, {"0", 31}, {"4", 0}, {"^aName", 200}}));
}

TEST_F(CommandSetTest, WriteRecordWithACodeOnlyAnswer) {
  StringList record = SampleRecord();
  StringList answer;
  reply_ = {"0", "-603"};
  ASSERT_EQ(commands_.WriteRecord("DEMO", false, true, answer, record), ExchangeResult::Good);
  EXPECT_EQ(record[0].text, "-603");
  EXPECT_EQ(answer, (StringList{{"-603", 0}}));
  reply_ = {"0", "oops"};
  ASSERT_EQ(commands_.WriteRecord("DEMO", false, true, answer, record), ExchangeResult::Good);
  EXPECT_EQ(answer, (StringList{{"-2222", 0}}));
}

TEST_F(CommandSetTest, WriteRecordTakesTheRecordAsTheServerStoresIt) {
  const StringList expected{{"0", 0}, {"0", 12}, {"4", 0}, {"^aName", 200}, {"^aX", 910}};
  // The stored copy without its MFN line, and with it (skipped, not a field).
  for (const char* stored : {"0#4\x1f\x1e"
                             "200#^aName\x1f\x1e"
                             "910#^aX\x1f\x1e",
                             "12#0\x1f\x1e"
                             "0#4\x1f\x1e"
                             "200#^aName\x1f\x1e"
                             "910#^aX\x1f\x1e"}) {
    StringList record = SampleRecord();
    StringList answer;
    reply_ = {"12", "12#0", stored};
    ASSERT_EQ(commands_.WriteRecord("DEMO", false, true, answer, record), ExchangeResult::Good);
    EXPECT_EQ(record, expected) << stored;
  }
}

TEST_F(CommandSetTest, WriteRecordVersionConflictKeepsTheHeaderOnly) {
  StringList record = SampleRecord();
  StringList answer;
  reply_ = {"-608", "-608#0",
            "0#9\x1f\x1e"
            "200#^aTheirs\x1f\x1e"};
  ASSERT_EQ(commands_.WriteRecord("DEMO", false, true, answer, record), ExchangeResult::Good);
  EXPECT_EQ(answer, (StringList{{"-608", 0}}));
  EXPECT_EQ(record[0].text, "-608");
  EXPECT_EQ(record[2].text, "9");
  EXPECT_EQ(record[3], (ListLine{"^aTheirs", 200}));
}

TEST_F(CommandSetTest, WriteRecordsUpdatesEachSentRecordText) {
  StringList first = SampleRecord();
  StringList second = SampleRecord();
  second[3].text = "^aOther";
  StringList texts{{RecordToText(first), 0}, {"", 0}, {RecordToText(second), 0}};
  reply_ = {"0", "40#0", "-603"};
  StringList answer;
  ASSERT_EQ(commands_.WriteRecords("DEMO", false, true, answer, texts), ExchangeResult::Good);
  StringList updated;
  RecordFromText(texts[0].text, updated);
  EXPECT_EQ(updated[1], (ListLine{"0", 40}));
  EXPECT_EQ(texts[1].text, "");
  RecordFromText(texts[2].text, updated);
  EXPECT_EQ(updated[0].text, "-603");
  EXPECT_EQ(updated[3].text, "^aOther");
  // The empty text was not sent: two records follow the three switches.
  EXPECT_EQ(ParameterBytes(LastRequest()),
            "DEMO\n0\n1\n" + RecordToLine(first) + "\n" + RecordToLine(second));
}

TEST_F(CommandSetTest, RegisterAtDropsLineOneOfAGoodAnswer) {
  reply_ = {"0", "session line", "[MAIN]", "X=1"};
  StringList result;
  ASSERT_EQ(commands_.RegisterAt("127.0.0.1", peer_.portText(), "C", result, "pw", "ivanov"),
            ExchangeResult::Good);
  EXPECT_EQ(result, (StringList{{"0", 0}, {"[MAIN]", 0}, {"X=1", 0}}));
  EXPECT_EQ(LastRequest().Line(1), "C");
  EXPECT_EQ(LastRequest().sequence(), "1");
  EXPECT_EQ(transport_.identity().user, "ivanov");
  // A refusal keeps every line.
  reply_ = {"-3337", "why"};
  ASSERT_EQ(commands_.RegisterAt("127.0.0.1", peer_.portText(), "C", result, "pw", "x"),
            ExchangeResult::Good);
  EXPECT_EQ(result.size(), 2u);
}

TEST_F(CommandSetTest, CachedTextIsReadOnceWhateverTheLetterCase) {
  reply_ = {"first line\x1f\x1esecond line\x1f\x1e"};
  StringList result;
  ASSERT_EQ(commands_.ReadCachedText(10, "DEMO", "brief.pft", result), ExchangeResult::Good);
  EXPECT_EQ(result, (StringList{{"first line", 0}, {"second line", 0}}));
  ASSERT_EQ(commands_.ReadCachedText(10, "demo", "BRIEF.PFT", result), ExchangeResult::Good);
  EXPECT_EQ(result.size(), 2u);
  EXPECT_EQ(peer_.requestCount(), 1);
  commands_.ClearResourceCache();
  ASSERT_EQ(commands_.ReadCachedText(10, "DEMO", "brief.pft", result), ExchangeResult::Good);
  EXPECT_EQ(peer_.requestCount(), 2);
}

TEST_F(CommandSetTest, CachedTextOfOneEmptyLineIsEmpty) {
  reply_ = {""};
  StringList result{{"old", 0}};
  ASSERT_EQ(commands_.ReadCachedText(10, "DEMO", "empty.txt", result), ExchangeResult::Good);
  EXPECT_TRUE(result.empty());
}

TEST_F(CommandSetTest, ResourceErrorAsksAndRetriesUntilNo) {
  replyFor_ = [](const PeerRequest&, int index) {
    return index < 2 ? std::vector<std::string>{"-601"} : std::vector<std::string>{"text"};
  };
  ui_.QueueMessageAnswer(ModalResult::Yes);
  ui_.QueueMessageAnswer(ModalResult::Yes);
  StringList result;
  ASSERT_EQ(commands_.ReadCachedText(10, "DEMO", "x.pft", result), ExchangeResult::Good);
  EXPECT_EQ(result, (StringList{{"text", 0}}));
  ASSERT_EQ(ui_.messages().size(), 2u);
  EXPECT_EQ(ui_.messages()[0].text, "Ошибка при получении ресурса (-601). Повторить?");
  EXPECT_EQ(ui_.messages()[0].caption, "Внимание!");

  replyFor_ = [](const PeerRequest&, int) { return std::vector<std::string>{"-601"}; };
  ui_.QueueMessageAnswer(ModalResult::No);
  EXPECT_EQ(commands_.ReadCachedText(10, "DEMO", "y.pft", result), ExchangeResult::Failed);
  EXPECT_EQ(result, (StringList{{"-601", 0}}));
  // A failure is not cached: the next read asks the server again.
  const int before = peer_.requestCount();
  ui_.QueueMessageAnswer(ModalResult::No);
  commands_.ReadCachedText(10, "DEMO", "y.pft", result);
  EXPECT_EQ(peer_.requestCount(), before + 1);
}

TEST_F(CommandSetTest, CachedBinaryIsACopyKeyedWithoutTheAt) {
  binary_ = std::string("GIF89a\0\x01", 8);
  StringList result;
  std::string block;
  ASSERT_EQ(commands_.ReadCachedBinary(10, "DEMO", "logo.gif", result, block),
            ExchangeResult::Good);
  EXPECT_EQ(block, *binary_);
  binary_ = "changed";
  std::string again;
  ASSERT_EQ(commands_.ReadCachedBinary(10, "DEMO", "LOGO.GIF", result, again),
            ExchangeResult::Good);
  EXPECT_EQ(again, std::string("GIF89a\0\x01", 8));
  EXPECT_EQ(peer_.requestCount(), 1);
}

TEST_F(CommandSetTest, BinaryResourceWithoutBinaryDataFails) {
  reply_ = {"-601"};
  StringList result;
  std::string block = "kept";
  EXPECT_EQ(commands_.ReadCachedBinary(10, "DEMO", "none.gif", result, block),
            ExchangeResult::Failed);
  EXPECT_EQ(block, "kept");
  EXPECT_EQ(result, (StringList{{"-601", 0}}));
}

}  // namespace
}  // namespace talor
