// The transport handing out answers as views into the received bytes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/fake_peer.h"
#include "client/server_answer.h"
#include "client/transport.h"
#include "platform/scripted_user_interface.h"

namespace talor {
namespace {

using testing::AnswerBytes;
using testing::AnswerShape;
using testing::FakePeer;
using testing::PeerReply;
using testing::PeerRequest;

std::vector<std::string> Lines(const ServerAnswer& answer) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < answer.size(); ++i) lines.emplace_back(answer[i]);
  return lines;
}

// Answers request n with the lines "0" and "answer n", plus `extra` lines.
FakePeer::Script Numbered(size_t extra = 0) {
  return [extra](const PeerRequest& request, int index) {
    std::vector<std::string> lines{"0", "answer " + std::to_string(index)};
    for (size_t i = 0; i < extra; ++i)
      lines.push_back(std::to_string(i) + "#" + std::string(60, 'v'));
    return PeerReply{AnswerBytes(request, lines)};
  };
}

class TransportAnswerTest : public ::testing::TestWithParam<bool> {
 protected:
  TransportAnswerTest() : clock_(7654321), transport_(loop_, ui_, clock_) {
    transport_.SetBlocking(GetParam());
  }

  void Connect(const FakePeer& peer) {
    ASSERT_TRUE(peer.listening());
    transport_.SetServer("127.0.0.1", peer.portText(), "R");
  }

  EventLoop loop_;
  ScriptedUserInterface ui_{loop_};
  FixedClock clock_;
  Transport transport_;
};

TEST_P(TransportAnswerTest, AnswerLinesAreTheStrippedLinesOverTheAnswerText) {
  FakePeer peer(Numbered());
  Connect(peer);
  ServerAnswer answer;
  ASSERT_EQ(transport_.RunCommand('K', "DEMO", answer), ExchangeResult::Good);
  EXPECT_EQ(Lines(answer), (std::vector<std::string>{"0", "answer 0"}));
  // No line was copied: each one lies inside the answer text.
  const std::string_view text = transport_.answerText();
  EXPECT_TRUE(text.ends_with("answer 0\r\n"));
  EXPECT_EQ(answer[1].data(), text.data() + text.size() - 10);
}

TEST_P(TransportAnswerTest, AnAnswerTheCallerKeepsIsNotOverwrittenByTheNextOne) {
  FakePeer peer(Numbered(5000));
  Connect(peer);
  ServerAnswer answer;
  ASSERT_EQ(transport_.RunCommand('K', "DEMO", answer), ExchangeResult::Good);
  const ServerAnswer kept = answer;
  for (int round = 1; round <= 3; ++round) {
    ASSERT_EQ(transport_.RunCommand('K', "DEMO", answer), ExchangeResult::Good);
    EXPECT_EQ(answer[1], "answer " + std::to_string(round));
    EXPECT_EQ(answer.size(), 5002u);
  }
  ASSERT_EQ(kept.size(), 5002u);
  EXPECT_EQ(kept[1], "answer 0");
  EXPECT_EQ(kept[5001], "4999#" + std::string(60, 'v'));
}

TEST_P(TransportAnswerTest, ReusedMemoryCarriesALargerThenASmallerAnswer) {
  FakePeer peer([](const PeerRequest& request, int index) {
    std::vector<std::string> lines{"0"};
    const size_t count = index == 0 ? 30000 : 3;
    for (size_t i = 0; i < count; ++i)
      lines.push_back(std::to_string(index) + "/" + std::to_string(i));
    return PeerReply{AnswerBytes(request, lines)};
  });
  Connect(peer);
  StringList list;
  ASSERT_EQ(transport_.RunCommand('K', "DEMO", list), ExchangeResult::Good);
  ASSERT_EQ(list.size(), 30001u);
  EXPECT_EQ(list[30000].text, "0/29999");
  ASSERT_EQ(transport_.RunCommand('K', "DEMO", list), ExchangeResult::Good);
  EXPECT_EQ(list, (StringList{{"0", 0}, {"1/0", 0}, {"1/1", 0}, {"1/2", 0}}));
  EXPECT_TRUE(transport_.answerText().ends_with("1/2\r\n"));
}

TEST_P(TransportAnswerTest, CorruptAnswerLeavesOnlyItsCode) {
  FakePeer peer([](const PeerRequest& request, int) {
    AnswerShape shape;
    shape.sequence = "77";
    return PeerReply{AnswerBytes(request, {"0"}, shape)};
  });
  Connect(peer);
  ui_.QueueMessageAnswer(ModalResult::No);
  ServerAnswer answer;
  EXPECT_EQ(transport_.RunCommand('N', "", answer), ExchangeResult::Failed);
  EXPECT_EQ(Lines(answer), (std::vector<std::string>{GetParam() ? "-1112" : "-2222"}));
}

TEST_P(TransportAnswerTest, BinaryBlockViewsTheBytesAfterTheMarker) {
  const std::string binary("\0\r\nGIF89a\n\r", 11);
  FakePeer peer([binary](const PeerRequest& request, int) {
    AnswerShape shape;
    shape.withBinary = true;
    shape.binary = binary;
    return PeerReply{AnswerBytes(request, {"0"}, shape)};
  });
  Connect(peer);
  ServerAnswer answer;
  ASSERT_EQ(transport_.RunCommand('L', "10.DEMO.@a.gif", answer), ExchangeResult::Good);
  EXPECT_EQ(Lines(answer), (std::vector<std::string>{"0"}));
  EXPECT_EQ(transport_.binaryBlock(), binary);
  EXPECT_TRUE(transport_.binaryArrived());
  EXPECT_FALSE(transport_.answerText().ends_with("GIF89a"));
}

INSTANTIATE_TEST_SUITE_P(BothPaths, TransportAnswerTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "Blocking" : "NonBlocking");
                         });

TEST(TransportAnswerTunnelTest, TunnelledAnswerIsUnwrappedInPlace) {
  EventLoop loop;
  ScriptedUserInterface ui(loop);
  FixedClock clock(99);
  Transport transport(loop, ui, clock);
  FakePeer peer([](const PeerRequest& request, int) {
    PeerReply reply;
    reply.bytes = testing::TunnelAnswerBytes(request, {"0", "шлюз", ""});
    reply.keepOpen = true;
    return reply;
  });
  ASSERT_TRUE(peer.listening());
  transport.SetTunnelPort(peer.portText());
  transport.SetServer("127.0.0.1", peer.portText(), "R");
  ServerAnswer answer;
  ASSERT_EQ(transport.RunCommand('K', "DEMO", answer), ExchangeResult::Good);
  EXPECT_EQ(Lines(answer), (std::vector<std::string>{"0", "шлюз", ""}));
  EXPECT_FALSE(transport.answerText().ends_with("TALOR_END_REQUEST"));
}

}  // namespace
}  // namespace talor
