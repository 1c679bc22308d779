#include "client/term_collector.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "client/fake_peer.h"
#include "platform/scripted_user_interface.h"

namespace talor {
namespace {

using testing::AnswerBytes;
using testing::FakePeer;
using testing::PeerReply;
using testing::PeerRequest;

struct Term {
  std::string text;
  int count;
};

// A dictionary that answers H (forward, from the start term on) and P
// (backward, from the start term down) like a catalogue server.
FakePeer::Script Dictionary(std::vector<Term> terms) {
  return [terms](const PeerRequest& request, int) {
    const auto parameters = request.parameters();
    const std::string start = parameters.size() > 1 ? parameters[1] : "";
    const size_t count = parameters.size() > 2 ? std::stoul(parameters[2]) : 0;
    std::vector<std::string> lines{"0"};
    if (request.command() == "H") {
      for (const Term& term : terms) {
        if (term.text >= start && lines.size() <= count) {
          lines.push_back(std::to_string(term.count) + "#" + term.text);
        }
      }
    } else {
      for (auto it = terms.rbegin(); it != terms.rend(); ++it) {
        if (it->text <= start && lines.size() <= count) {
          lines.push_back(std::to_string(it->count) + "#" + it->text);
        }
      }
    }
    return PeerReply{AnswerBytes(request, lines)};
  };
}

const std::vector<Term> kTerms = {{"A=A", 1}, {"A=B", 2}, {"A=C", 0},
                                  {"A=D", 4}, {"A=E", 1}, {"A=F", 3}};

class TermCollectorTest : public ::testing::Test {
 protected:
  void Serve(FakePeer::Script script) {
    peer_ = std::make_unique<FakePeer>(std::move(script));
    transport_.SetServer("127.0.0.1", peer_->portText(), "R");
  }

  EventLoop loop_;
  ScriptedUserInterface ui_{loop_};
  FixedClock clock_{7};
  Transport transport_{loop_, ui_, clock_};
  CommandSet commands_{transport_, ui_};
  std::unique_ptr<FakePeer> peer_;
  StringList result_;
};

TEST_F(TermCollectorTest, ForwardSkipsEmptyTermsAndContinuesOverPortions) {
  Serve(Dictionary(kTerms));
  EXPECT_EQ(CollectTermsForward(commands_, "DEMO", "A=B", 3, result_), 1);
  EXPECT_EQ(result_, (StringList{{"0", 0}, {"A=B", 2}, {"A=D", 4}, {"A=E", 1}}));
  // The second portion started at the last term of the first.
  ASSERT_EQ(peer_->requestCount(), 2);
  EXPECT_EQ(peer_->requests()[1].parameters()[1], "A=D");
}

TEST_F(TermCollectorTest, ExhaustedDictionaryWithAbsentStartIsMarkedMinusOne) {
  Serve(Dictionary(kTerms));
  EXPECT_EQ(CollectTermsForward(commands_, "DEMO", "A=BB", 5, result_), 1);
  EXPECT_EQ(result_, (StringList{{"-1", 0}, {"A=D", 4}, {"A=E", 1}, {"A=F", 3}}));
  EXPECT_EQ(peer_->requestCount(), 1);
}

TEST_F(TermCollectorTest, StartTermMatchesAfterUpperCasing) {
  Serve(Dictionary({{"КОТ", 2}}));
  EXPECT_EQ(CollectTermsForward(commands_, "DEMO", "КОТ", 5, result_), 1);
  EXPECT_EQ(result_[0].text, "0");
  Serve([](const PeerRequest& request, int) {
    return PeerReply{AnswerBytes(request, {"0", "2#КОТ"})};
  });
  EXPECT_EQ(CollectTermsForward(commands_, "DEMO", "кот", 5, result_), 1);
  EXPECT_EQ(result_, (StringList{{"0", 0}, {"КОТ", 2}}));
}

TEST_F(TermCollectorTest, BackwardReadsDownFromTheStart) {
  Serve(Dictionary(kTerms));
  EXPECT_EQ(CollectTermsBackward(commands_, "DEMO", "A=E", 3, result_), 1);
  EXPECT_EQ(result_, (StringList{{"0", 0}, {"A=E", 1}, {"A=D", 4}, {"A=B", 2}}));
  EXPECT_EQ(peer_->requests()[0].command(), "P");
}

TEST_F(TermCollectorTest, EmptyDictionaryGivesOnlyTheMarker) {
  Serve(Dictionary({}));
  EXPECT_EQ(CollectTermsForward(commands_, "DEMO", "A=", 10, result_), 1);
  EXPECT_EQ(result_, (StringList{{"-1", 0}}));
}

TEST_F(TermCollectorTest, DictionaryThatMakesNoProgressDoesNotHoldTheLoop) {
  // Every portion is the same term without postings.
  Serve([](const PeerRequest& request, int) {
    return PeerReply{AnswerBytes(request, {"0", "0#A=A"})};
  });
  EXPECT_EQ(CollectTermsForward(commands_, "DEMO", "A=A", 1, result_), 1);
  EXPECT_EQ(result_, (StringList{{"-1", 0}}));
  EXPECT_EQ(peer_->requestCount(), 1);
}

TEST_F(TermCollectorTest, FailedRequestKeepsWhatWasCollected) {
  Serve([](const PeerRequest& request, int index) {
    if (index == 0) return PeerReply{AnswerBytes(request, {"0", "1#A=A", "2#A=B", "0#A=C"})};
    return PeerReply{AnswerBytes(request, {"0", "x#broken"})};
  });
  EXPECT_EQ(CollectTermsForward(commands_, "DEMO", "A=A", 3, result_), 2);
  EXPECT_EQ(result_, (StringList{{"0", 0}, {"A=A", 1}, {"A=B", 2}}));
  EXPECT_EQ(peer_->requestCount(), 2);
}

}  // namespace
}  // namespace talor
