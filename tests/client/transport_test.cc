#include "client/transport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "client/fake_peer.h"
#include "platform/scripted_user_interface.h"

namespace talor {
namespace {

using std::chrono::milliseconds;
using testing::AnswerBytes;
using testing::AnswerShape;
using testing::FakePeer;
using testing::PeerReply;
using testing::PeerRequest;

const std::string kRepeatCorrupt =
    "Произошла ошибка при получении данных от сервера (-1112). Следует повторить обращение к "
    "серверу";
const std::string kRepeatStopped =
    "Связь с сервером ТАЛОР64 прервана. Следует повторить обращение к серверу";

FakePeer::Script Answer(std::vector<std::string> lines, milliseconds delay = milliseconds(0)) {
  return [lines, delay](const PeerRequest& request, int) {
    return PeerReply{AnswerBytes(request, lines), delay};
  };
}

// Answers with `bad` for the first `badCount` requests, then well.
FakePeer::Script CorruptFirst(int badCount, AnswerShape bad) {
  return [badCount, bad](const PeerRequest& request, int index) {
    return PeerReply{AnswerBytes(request, {"0", "ok"}, index < badCount ? bad : AnswerShape{})};
  };
}

AnswerShape WrongClientId() {
  AnswerShape shape;
  shape.clientId = "999999x";
  return shape;
}
AnswerShape WrongSequence() {
  AnswerShape shape;
  shape.sequence = "77";
  return shape;
}
AnswerShape WrongLength(int error) {
  AnswerShape shape;
  shape.lengthError = error;
  return shape;
}

// Waits on the loop until `condition` holds or a second has passed.
bool Eventually(EventLoop& loop, const std::function<bool()>& condition) {
  for (int i = 0; i < 200 && !condition(); ++i) loop.WaitFor(milliseconds(5));
  return condition();
}

class TransportTest : public ::testing::Test {
 protected:
  TransportTest() : clock_(1234567), transport_(loop_, ui_, clock_) {
    transport_.identity().user = "reader";
    transport_.identity().password = "secret";
  }

  void Connect(const FakePeer& peer) {
    ASSERT_TRUE(peer.listening());
    transport_.SetServer("127.0.0.1", peer.portText(), "R");
  }

  ExchangeResult Run(char command, std::string_view parameters = "") {
    return transport_.RunCommand(command, parameters, answer_);
  }

  EventLoop loop_;
  ScriptedUserInterface ui_{loop_};
  FixedClock clock_;
  Transport transport_;
  StringList answer_;
};

TEST_F(TransportTest, GoodExchangeSendsThePacketAndStripsTheAnswerHeader) {
  FakePeer peer(Answer({"0", "first", "second"}));
  Connect(peer);
  EXPECT_EQ(Run('K', "DEMO\n\"A=X$\"\n10"), ExchangeResult::Good);
  EXPECT_EQ(answer_, (StringList{{"0", 0}, {"first", 0}, {"second", 0}}));

  ASSERT_EQ(peer.requestCount(), 1);
  const PeerRequest request = peer.requests()[0];
  EXPECT_EQ(request.lines[0], "K");
  EXPECT_EQ(request.lines[1], "R");
  EXPECT_EQ(request.lines[2], "K");
  EXPECT_EQ(request.clientId(), transport_.identity().clientId);
  EXPECT_EQ(request.Line(5), "secret");
  EXPECT_EQ(request.Line(6), "reader");
  EXPECT_FALSE(request.resent());
  EXPECT_EQ(request.parameters(), (std::vector<std::string>{"DEMO", "\"A=X$\"", "10"}));
  // The length line counts every byte after it.
  const size_t lf = request.bytes.find('\n');
  EXPECT_EQ(std::stoul(request.bytes.substr(0, lf)), request.bytes.size() - lf - 1);

  // The owner was disabled during the exchange and is enabled again.
  EXPECT_EQ(ui_.mainWindowDisableCount(), 1);
  EXPECT_TRUE(ui_.mainWindowEnabled());
  EXPECT_EQ(ui_.waitFormShowCount(), 0);
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_EQ(transport_.busyLock(), ExchangeResult::Good);
}

TEST_F(TransportTest, SequenceNumbersGrowAndRestartWithRegistration) {
  FakePeer peer(Answer({"0"}));
  Connect(peer);
  Run('N');
  Run('N');
  Run('N');
  transport_.RunCommand('A', "reader\nsecret", answer_, Transport::CommandKind::Registration);
  Run('N');
  std::vector<std::string> sequences;
  for (const PeerRequest& request : peer.requests()) sequences.push_back(request.sequence());
  EXPECT_EQ(sequences, (std::vector<std::string>{"1", "2", "3", "1", "2"}));
}

struct CorruptCase {
  const char* name;
  AnswerShape shape;
  StringList answerAfterGivingUp;
};

class CorruptAnswerTest : public TransportTest,
                          public ::testing::WithParamInterface<CorruptCase> {};

TEST_P(CorruptAnswerTest, FiveSilentResendsThenTheQuestionAndNoEndsTheApplication) {
  FakePeer peer(CorruptFirst(1000, GetParam().shape));
  Connect(peer);
  EXPECT_EQ(Run('C', "DEMO\n1\n0\n\n"), ExchangeResult::Failed);
  EXPECT_EQ(peer.requestCount(), 6);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].caption, "Внимание!");
  EXPECT_EQ(ui_.messages()[0].text, kRepeatCorrupt);
  EXPECT_EQ(ui_.messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_TRUE(ui_.messages()[0].taskModal);
  EXPECT_TRUE(ui_.applicationEnded());
  EXPECT_TRUE(transport_.identity().host.empty());
  EXPECT_EQ(answer_, GetParam().answerAfterGivingUp);
}

TEST_P(CorruptAnswerTest, OneCorruptAnswerIsResentSilentlyAsARepeat) {
  FakePeer peer(CorruptFirst(1, GetParam().shape));
  Connect(peer);
  EXPECT_EQ(Run('C', "DEMO\n1\n0\n\n"), ExchangeResult::Good);
  EXPECT_EQ(answer_, (StringList{{"0", 0}, {"ok", 0}}));
  EXPECT_TRUE(ui_.messages().empty());
  const auto requests = peer.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(std::stoi(requests[1].sequence()), std::stoi(requests[0].sequence()) + 1);
  EXPECT_FALSE(requests[0].resent());
  EXPECT_TRUE(requests[1].resent());
  EXPECT_NE(requests[1].bytes.find("\r\n"), std::string::npos);
  EXPECT_EQ(requests[1].parameters(), requests[0].parameters());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CorruptAnswerTest,
    ::testing::Values(
        // An identity mismatch leaves the mark of an unreadable answer.
        CorruptCase{"WrongClientId", WrongClientId(), StringList{{"-2222", 0}}},
        CorruptCase{"WrongSequence", WrongSequence(), StringList{{"-2222", 0}}},
        // A length mismatch drops the answer altogether.
        CorruptCase{"LengthTooLong", WrongLength(2), StringList{}},
        CorruptCase{"LengthTooShort", WrongLength(-1), StringList{}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TransportTest, YesAfterTheResendsGivesFiveMoreSilentOnes) {
  FakePeer peer(CorruptFirst(8, WrongLength(5)));
  Connect(peer);
  ui_.QueueMessageAnswer(ModalResult::Yes);
  EXPECT_EQ(Run('N'), ExchangeResult::Good);
  EXPECT_EQ(peer.requestCount(), 9);
  EXPECT_EQ(ui_.messages().size(), 1u);
  EXPECT_FALSE(ui_.applicationEnded());
}

TEST_F(TransportTest, EverySilentResendBudgetBelongsToOneCommand) {
  // Three corrupt answers per command: each command recovers silently.
  FakePeer peer([](const PeerRequest& request, int index) {
    return PeerReply{AnswerBytes(request, {"0"}, index % 4 < 3 ? WrongLength(1) : AnswerShape{})};
  });
  Connect(peer);
  EXPECT_EQ(Run('N'), ExchangeResult::Good);
  EXPECT_EQ(Run('N'), ExchangeResult::Good);
  EXPECT_EQ(peer.requestCount(), 8);
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(TransportTest, ServerThatClosesWithoutAnsweringCountsAsCorrupt) {
  FakePeer peer([](const PeerRequest&, int) { return PeerReply{}; });
  Connect(peer);
  EXPECT_EQ(Run('N'), ExchangeResult::Failed);
  EXPECT_EQ(peer.requestCount(), 6);
  EXPECT_EQ(ui_.messages().size(), 1u);
}

TEST_F(TransportTest, UnreachableServerFailsWithoutQuestionOrResend) {
  uint16_t closedPort;
  {
    FakePeer gone(Answer({"0"}));
    closedPort = gone.port();
  }
  transport_.SetServer("127.0.0.1", std::to_string(closedPort), "R");
  EXPECT_EQ(Run('N'), ExchangeResult::Failed);
  EXPECT_TRUE(answer_.empty());
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_FALSE(ui_.applicationEnded());
  EXPECT_TRUE(ui_.mainWindowEnabled());
}

TEST_F(TransportTest, QuickExchangeNeverShowsTheWaitDialog) {
  FakePeer peer(Answer({"0"}, milliseconds(150)));
  Connect(peer);
  transport_.SetWaitSeconds(1);
  EXPECT_EQ(Run('N'), ExchangeResult::Good);
  EXPECT_EQ(ui_.waitFormShowCount(), 0);
}

TEST_F(TransportTest, WaitDialogShowsAfterTheDelayCentredOnTheOwner) {
  FakePeer peer(Answer({"0"}, milliseconds(700)));
  Connect(peer);
  transport_.SetWaitSeconds(0);
  std::optional<WaitFormState> firstShown;
  int ticksSeen = 0;
  LoopTimer watch(loop_, milliseconds(20), [&] {
    if (transport_.waitForm().visible && !firstShown) firstShown = transport_.waitForm();
    if (transport_.waitForm().visible) ++ticksSeen;
  });
  watch.Start();
  EXPECT_EQ(Run('N'), ExchangeResult::Good);
  watch.Stop();
  ASSERT_TRUE(firstShown.has_value());
  const WindowRect owner = ScriptedUserInterface::kMainWindowRect;
  EXPECT_EQ(firstShown->bounds, (WindowRect{owner.left + owner.width / 2 - 135,
                                            owner.top + owner.height / 2 - 65, 270, 130}));
  EXPECT_EQ(ui_.waitFormShowCount(), 1);
  EXPECT_FALSE(ui_.waitFormVisible());  // hidden again at the end
  EXPECT_FALSE(transport_.waitForm().visible);
  // The animation moved and the progress bar stepped while it showed.
  int maxProgress = 0;
  for (const WaitFormState& state : ui_.waitFormStates()) {
    maxProgress = std::max(maxProgress, state.progress);
  }
  EXPECT_GE(maxProgress, 9);
}

TEST_F(TransportTest, WaitDialogAnimationWrapsAndProgressStartsAgainAfterHundred) {
  FakePeer peer(Answer({"0"}, milliseconds(100)));
  Connect(peer);
  transport_.SetWaitSeconds(0);
  // Drive the ticks by hand during one exchange.
  std::vector<WaitFormState> states;
  loop_.Post([&] {
    for (int i = 0; i < 100; ++i) {
      transport_.TimerWaitTimer();
      states.push_back(transport_.waitForm());
    }
  });
  Run('N');
  ASSERT_EQ(states.size(), 100u);
  EXPECT_EQ(states[0].animationLeft, 10);
  EXPECT_EQ(states[0].progress, 3);
  bool wrappedAnimation = false;
  bool wrappedProgress = false;
  for (size_t i = 1; i < states.size(); ++i) {
    if (states[i].animationLeft == 7 - 65) wrappedAnimation = true;
    if (states[i].progress == 0 && states[i - 1].progress == 99) wrappedProgress = true;
    EXPECT_LE(states[i].animationLeft, 270 - 7);
    EXPECT_LE(states[i].progress, 100);
  }
  EXPECT_TRUE(wrappedAnimation);
  EXPECT_TRUE(wrappedProgress);
}

TEST_F(TransportTest, ThreeStopPressesSendLevelsZeroOneOneAndAskTheQuestion) {
  FakePeer peer([](const PeerRequest&, int) {
    PeerReply reply;
    reply.hold = true;
    return reply;
  });
  Connect(peer);
  int presses = 0;
  LoopTimer stopButton(loop_, milliseconds(60), [&] {
    ++presses;
    transport_.BitBtnWaitClick();
    // Let each stop packet reach the peer before the next press.
    const size_t expected = static_cast<size_t>(presses);
    Eventually(loop_, [&] { return peer.stops().size() >= expected; });
  });
  stopButton.Start();
  EXPECT_EQ(Run('K', "DEMO\nX\n10\n1\n@"), ExchangeResult::Failed);
  stopButton.Stop();
  EXPECT_EQ(presses, 3);
  ASSERT_TRUE(Eventually(loop_, [&] { return peer.stops().size() == 3; }));
  std::vector<std::string> levels;
  for (const PeerRequest& stop : peer.stops()) {
    levels.push_back(stop.stopLevel);
    EXPECT_EQ(stop.Line(0), "K");  // the command being stopped
    EXPECT_EQ(stop.Line(1), "R");
    EXPECT_EQ(stop.Line(3), transport_.identity().clientId);
  }
  EXPECT_EQ(levels, (std::vector<std::string>{"0", "1", "1"}));
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text, kRepeatStopped);
  EXPECT_TRUE(ui_.applicationEnded());
}

TEST_F(TransportTest, YesAfterAStopResendsTheRequest) {
  FakePeer peer([](const PeerRequest& request, int index) {
    PeerReply reply;
    if (index == 0) {
      reply.hold = true;
    } else {
      reply.bytes = AnswerBytes(request, {"0", "late"});
    }
    return reply;
  });
  Connect(peer);
  ui_.QueueMessageAnswer(ModalResult::Yes);
  LoopTimer stopButton(loop_, milliseconds(40), [&] {
    if (peer.requestCount() == 1) transport_.BitBtnWaitClick();
  });
  stopButton.Start();
  EXPECT_EQ(Run('N'), ExchangeResult::Good);
  EXPECT_EQ(answer_, (StringList{{"0", 0}, {"late", 0}}));
  ASSERT_EQ(peer.requestCount(), 2);
  EXPECT_TRUE(peer.requests()[1].resent());
}

TEST_F(TransportTest, StopPressAfterTheExchangeSendsNothing) {
  FakePeer peer(Answer({"0"}));
  Connect(peer);
  Run('N');
  transport_.BitBtnWaitClick();
  loop_.WaitFor(milliseconds(50));
  EXPECT_TRUE(peer.stops().empty());
}

TEST_F(TransportTest, SecondOperationFromATimerDuringAnExchangeIsRefusedWithBusy) {
  FakePeer peer(Answer({"0"}, milliseconds(300)));
  Connect(peer);
  std::optional<ExchangeResult> nested;
  StringList nestedAnswer{{"untouched", 0}};
  LoopTimer other(loop_, milliseconds(50), [&] {
    other.Stop();
    nested = transport_.RunCommand('C', "DEMO\n1\n0\n\n", nestedAnswer);
    // A no-operation tick during the exchange sends nothing either.
    transport_.TimerNoOperationTimer();
  });
  other.Start();
  EXPECT_EQ(Run('K', "DEMO"), ExchangeResult::Good);
  EXPECT_EQ(nested, ExchangeResult::Busy);
  EXPECT_EQ(nestedAnswer, (StringList{{"untouched", 0}}));
  EXPECT_EQ(peer.requestCount(), 1);
  // A registration is refused as well while the exchange runs.
  std::optional<ExchangeResult> registration;
  LoopTimer late(loop_, milliseconds(50), [&] {
    late.Stop();
    registration =
        transport_.RunCommand('A', "u\np", nestedAnswer, Transport::CommandKind::Registration);
  });
  late.Start();
  EXPECT_EQ(Run('K', "DEMO"), ExchangeResult::Good);
  EXPECT_EQ(registration, ExchangeResult::Busy);
  EXPECT_EQ(peer.requestCount(), 2);
}

TEST_F(TransportTest, NoOperationTimerStartsWithTheFirstExchangeAndSendsN) {
  FakePeer peer(Answer({"0"}));
  Connect(peer);
  EXPECT_FALSE(transport_.noOperationTimerEnabled());
  Run('K', "DEMO");
  EXPECT_TRUE(transport_.noOperationTimerEnabled());
  transport_.TimerNoOperationTimer();
  ASSERT_EQ(peer.requestCount(), 2);
  EXPECT_EQ(peer.requests()[1].command(), "N");
  EXPECT_TRUE(peer.requests()[1].parameters().empty());
}

TEST_F(TransportTest, BinaryDataAfterTheMarkerBecomesTheBinaryBlock) {
  std::string binary("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
  FakePeer peer([binary](const PeerRequest& request, int) {
    AnswerShape shape;
    shape.withBinary = true;
    shape.binary = binary;
    return PeerReply{AnswerBytes(request, {"0"}, shape)};
  });
  Connect(peer);
  EXPECT_EQ(Run('L', "10.DEMO.@logo.png"), ExchangeResult::Good);
  EXPECT_EQ(transport_.binaryBlock(), binary);
  EXPECT_EQ(answer_, (StringList{{"0", 0}}));
}

TEST_F(TransportTest, LargeAnswerArrivesWhole) {
  std::vector<std::string> lines{"0"};
  for (int i = 0; i < 20000; ++i) lines.push_back(std::to_string(i) + "#" + std::string(50, 'x'));
  FakePeer peer(Answer(lines));
  Connect(peer);
  EXPECT_EQ(Run('K', "DEMO"), ExchangeResult::Good);
  ASSERT_EQ(answer_.size(), lines.size());
  EXPECT_EQ(answer_[19999].text, lines[19999]);
  EXPECT_EQ(answer_[20000].text, lines[20000]);
}

TEST_F(TransportTest, BlockingPathExchangesWithoutDialogOrOwnerChange) {
  FakePeer peer(Answer({"0", "blocking"}));
  Connect(peer);
  transport_.SetBlocking(true);
  transport_.SetWaitSeconds(0);
  EXPECT_EQ(Run('N'), ExchangeResult::Good);
  EXPECT_EQ(answer_, (StringList{{"0", 0}, {"blocking", 0}}));
  EXPECT_EQ(ui_.mainWindowDisableCount(), 0);
  EXPECT_EQ(ui_.waitFormShowCount(), 0);
}

TEST_F(TransportTest, BlockingPathMarksEveryCorruptAnswerWith1112) {
  for (const AnswerShape& shape : {WrongClientId(), WrongLength(3)}) {
    FakePeer peer(CorruptFirst(1000, shape));
    Connect(peer);
    transport_.SetBlocking(true);
    ui_.QueueMessageAnswer(ModalResult::No);
    EXPECT_EQ(Run('N'), ExchangeResult::Failed);
    EXPECT_EQ(peer.requestCount(), 6);
    EXPECT_EQ(answer_, (StringList{{"-1112", 0}}));
  }
}

TEST_F(TransportTest, BlockingPathRefusesAPortThatIsNotANumber) {
  transport_.SetServer("127.0.0.1", "66x6", "R");
  transport_.SetBlocking(true);
  EXPECT_EQ(Run('N'), ExchangeResult::Failed);
  EXPECT_TRUE(answer_.empty());
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(TransportTest, TheTunnelPortGoesThroughTheGatewayAndClosesAtTheEndMarker) {
  FakePeer peer([](const PeerRequest& request, int) {
    PeerReply reply;
    reply.bytes = testing::TunnelAnswerBytes(request, {"0", "через шлюз"});
    reply.keepOpen = true;  // only the client's close ends the exchange
    return reply;
  });
  ASSERT_TRUE(peer.listening());
  const std::string port = std::to_string(peer.port());
  transport_.SetTunnelPort(port);
  transport_.SetServer("127.0.0.1", port, "R");
  EXPECT_EQ(Run('K', "DEMO\nX"), ExchangeResult::Good);
  EXPECT_EQ(answer_, (StringList{{"0", 0}, {"через шлюз", 0}}));
  ASSERT_EQ(peer.requestCount(), 1);
  const PeerRequest request = peer.requests()[0];
  EXPECT_TRUE(request.tunnel);
  EXPECT_TRUE(request.bytes.starts_with("POST /cgi-bin/wwwtalor.exe HTTP/1.1\r\n"));
  EXPECT_NE(request.bytes.find("Host: 127.0.0.1:" + port + "\r\n"), std::string::npos);
}

// A hostile or broken server, on both paths: whatever it sends, the exchange
// ends within the answer's bounds with a message, no resend, and the
// application running.
class AnswerBoundsTest : public TransportTest, public ::testing::WithParamInterface<bool> {
 protected:
  AnswerBoundsTest() { transport_.SetBlocking(GetParam()); }

  // The answer header for `request` without a declared length, then
  // `filler` `times` times, `pause` apart.
  static FakePeer::Script Flood(std::string filler, size_t times, milliseconds pause = {}) {
    return [filler, times, pause](const PeerRequest& request, int) {
      AnswerShape shape;
      shape.declareLength = false;
      PeerReply reply{AnswerBytes(request, {"0"}, shape)};
      reply.filler = filler;
      reply.fillerTimes = times;
      reply.fillerPause = pause;
      return reply;
    };
  }

  void ExpectAbandoned(const FakePeer& peer, const std::string& message) {
    EXPECT_EQ(peer.requestCount(), 1);
    EXPECT_TRUE(answer_.empty());
    EXPECT_TRUE(transport_.answerText().empty());
    ASSERT_EQ(ui_.messages().size(), 1u);
    EXPECT_EQ(ui_.messages()[0].text, message);
    EXPECT_EQ(ui_.messages()[0].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(ui_.applicationEnded());
    EXPECT_TRUE(ui_.mainWindowEnabled());
  }
};

const std::string kTooLargeOver64 =
    "Ответ сервера слишком велик (более 64 МБ). Обмен с сервером прерван.";

TEST_P(AnswerBoundsTest, EndlessAnswerIsCutOffAtTheSizeLimit) {
  FakePeer peer(Flood(std::string(1 << 20, 'x') + "\r\n", PeerReply::kEndless));
  Connect(peer);
  transport_.SetAnswerLimit(size_t{8} << 20);
  EXPECT_EQ(Run('K', "DEMO"), ExchangeResult::Failed);
  ExpectAbandoned(peer, "Ответ сервера слишком велик (более 8 МБ). Обмен с сервером прерван.");

  // The next command runs as usual.
  transport_.SetAnswerLimit(Transport::kDefaultAnswerLimit);
  FakePeer good(Answer({"0", "дальше"}));
  Connect(good);
  EXPECT_EQ(Run('N'), ExchangeResult::Good);
  EXPECT_EQ(answer_, (StringList{{"0", 0}, {"дальше", 0}}));
}

TEST_P(AnswerBoundsTest, HundredMegabyteAnswerStopsAtTheLimitWithoutAResend) {
  FakePeer peer(Flood(std::string(1000000 - 2, 'y') + "\r\n", 100));
  Connect(peer);
  transport_.SetAnswerLimit(size_t{64} << 20);
  EXPECT_EQ(Run('K', "DEMO"), ExchangeResult::Failed);
  ExpectAbandoned(peer, kTooLargeOver64);
}

TEST_P(AnswerBoundsTest, TheLargestResourceFitsUnderTheDefaultLimit) {
  const std::string resource(size_t{64} << 20, '\x7f');
  FakePeer peer([&resource](const PeerRequest& request, int) {
    AnswerShape shape;
    shape.withBinary = true;
    shape.binary = resource;
    return PeerReply{AnswerBytes(request, {}, shape)};
  });
  Connect(peer);
  EXPECT_EQ(Run('L', "10.DEMO.@cover.jpg"), ExchangeResult::Good);
  EXPECT_TRUE(transport_.binaryBlock() == resource);
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_P(AnswerBoundsTest, AnswerOfOnlyLineBreaksIsRefused) {
  // Few bytes, but every line would cost the client many times its size.
  FakePeer peer(Flood(std::string(1 << 20, '\n'), 5));
  Connect(peer);
  EXPECT_EQ(Run('K', "DEMO"), ExchangeResult::Failed);
  ExpectAbandoned(peer,
                  "Ответ сервера содержит слишком много строк (более 4194304). Обмен с сервером "
                  "прерван.");
}

TEST_P(AnswerBoundsTest, TricklingServerIsGivenUpAtTheDeadline) {
  FakePeer peer(Flood("z", PeerReply::kEndless, milliseconds(20)));
  Connect(peer);
  transport_.SetAnswerDeadline(milliseconds(700));
  EXPECT_EQ(Run('K', "DEMO"), ExchangeResult::Failed);
  ExpectAbandoned(peer, "Сервер не передал ответ за 1 с. Обмен с сервером прерван.");
}

TEST_P(AnswerBoundsTest, SilentServerIsGivenUpAtTheDeadline) {
  FakePeer peer([](const PeerRequest&, int) {
    PeerReply reply;
    reply.hold = true;
    return reply;
  });
  Connect(peer);
  transport_.SetAnswerDeadline(milliseconds(1500));
  EXPECT_EQ(Run('N'), ExchangeResult::Failed);
  ExpectAbandoned(peer, "Сервер не передал ответ за 2 с. Обмен с сервером прерван.");
}

TEST_P(AnswerBoundsTest, NulBytesAndInvalidUtf8ArriveAsTheyWereSent) {
  // The wire carries bytes unconverted; the declared length counts them all.
  const std::string nul("a\0b\0", 4);
  const std::string invalid = "\xff\xfe\xc3(\xe2\x82 \xed\xa0\x80 \xf8\x88\x80\x80\x80";
  FakePeer peer(Answer({"0", nul, invalid, std::string(1, '\0')}));
  Connect(peer);
  EXPECT_EQ(Run('C', "DEMO\n1"), ExchangeResult::Good);
  EXPECT_EQ(answer_, (StringList{{"0", 0}, {nul, 0}, {invalid, 0}, {std::string(1, '\0'), 0}}));
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_P(AnswerBoundsTest, NulBytesInTheAnswerHeaderMakeItCorrupt) {
  AnswerShape bad;
  bad.clientId = std::string(6, '\0');
  FakePeer peer(CorruptFirst(1, bad));
  Connect(peer);
  EXPECT_EQ(Run('N'), ExchangeResult::Good);
  EXPECT_EQ(peer.requestCount(), 2);
  EXPECT_TRUE(peer.requests()[1].resent());
  EXPECT_TRUE(ui_.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(BothPaths, AnswerBoundsTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "Blocking" : "NonBlocking");
                         });

}  // namespace
}  // namespace talor
