#include "ui/event_channel.h"

#include <gtest/gtest.h>

#include <string>

namespace talor {
namespace {

using std::chrono::milliseconds;
using NextResult = EventChannel::NextResult;

// Everything the stream holds right now, or the result that ended it.
std::string Drain(EventChannel& channel, EventSubscriber& subscriber) {
  std::string out;
  switch (channel.Next(subscriber, milliseconds(0), out)) {
    case NextResult::kData:
      return out;
    case NextResult::kIdle:
      return "<idle>";
    case NextResult::kClosed:
      return "<closed>";
  }
  return "<?>";
}

TEST(EventChannelTest, FormatsOneDataLinePerLine) {
  EXPECT_EQ(EventChannel::Format("state", "{\"a\":1}"), "event: state\ndata: {\"a\":1}\n\n");
  EXPECT_EQ(EventChannel::Format("st\nate\r", "[1,\r\n2,\n3]"),
            "event: state\ndata: [1,\ndata: 2,\ndata: 3]\n\n");
  EXPECT_EQ(EventChannel::Format("e", ""), "event: e\ndata: \n\n");
}

TEST(EventChannelTest, SnapshotComesFirstThenPushesInOrder) {
  EventChannel channel;
  int state = 7;
  channel.SetSnapshot([&] { return std::vector<WindowEvent>{{"state", std::to_string(state)}}; });
  auto early = channel.Open();
  ASSERT_NE(early, nullptr);
  channel.Push("lost", "0");  // not attached yet: the snapshot will cover it
  EXPECT_EQ(Drain(channel, *early), "<idle>");
  channel.Attach(*early);
  channel.Push("a", "1");
  channel.Push("b", "2");
  EXPECT_EQ(Drain(channel, *early),
            "event: state\ndata: 7\n\nevent: a\ndata: 1\n\nevent: b\ndata: 2\n\n");

  state = 9;
  auto late = channel.Open();
  channel.Attach(*late);
  channel.Attach(*late);  // a second attach repeats nothing
  channel.Push("c", "3");
  EXPECT_EQ(Drain(channel, *late), "event: state\ndata: 9\n\nevent: c\ndata: 3\n\n");
  EXPECT_EQ(Drain(channel, *early), "event: c\ndata: 3\n\n");
}

TEST(EventChannelTest, ReaderThatFallsBehindIsDropped) {
  EventChannel channel({.maxStreams = 4, .maxPendingBytes = 100});
  auto slow = channel.Open();
  auto fast = channel.Open();
  channel.Attach(*slow);
  channel.Attach(*fast);
  std::string data(30, 'x');
  for (int i = 0; i < 5; ++i) {
    channel.Push("e", data);
    EXPECT_NE(Drain(channel, *fast), "<closed>");
  }
  EXPECT_EQ(Drain(channel, *slow), "<closed>");
  channel.Push("e", "1");
  EXPECT_EQ(Drain(channel, *fast), "event: e\ndata: 1\n\n");
}

TEST(EventChannelTest, StreamLimitReleaseAndClose) {
  EventChannel channel({.maxStreams = 2, .maxPendingBytes = 1000});
  auto first = channel.Open();
  auto second = channel.Open();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(channel.Open(), nullptr);
  channel.Release(*first);
  channel.Release(*first);
  EXPECT_EQ(channel.streamCount(), 1u);
  channel.Attach(*first);  // released: stays out
  channel.Push("e", "1");
  EXPECT_EQ(Drain(channel, *first), "<idle>");

  auto third = channel.Open();
  ASSERT_NE(third, nullptr);
  channel.Close();
  EXPECT_EQ(Drain(channel, *third), "<closed>");
  EXPECT_EQ(channel.Open(), nullptr);
}

}  // namespace
}  // namespace talor
