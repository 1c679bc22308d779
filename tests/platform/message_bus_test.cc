#include "platform/message_bus.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/bus_test_support.h"
#include "shell/temp_dir.h"

namespace talor {
namespace {

using testing::Inbox;
using testing::MakeDeadSocketFile;
using testing::RawClient;
using testing::RunReady;
using testing::RunUntil;

constexpr std::string_view kOtherClass = "TOtherForm";

class MessageBusTest : public ::testing::Test {
 protected:
  std::string SocketPath(std::string_view windowClass, WindowHandle handle) const {
    return busDir_ + "/" + WindowSocketName(windowClass, handle);
  }
  bool Exists(const std::string& path) const {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
  }

  TempDir temp_;
  const std::string busDir_ = temp_.File("bus");
  EventLoop loop_;
  MessageBus bus_{loop_, busDir_};
  // A second program's view of the same bus.
  MessageBus sender_{loop_, busDir_};
};

TEST_F(MessageBusTest, PostedMessageArrivesOnTheLoopThread) {
  Inbox inbox;
  ASSERT_EQ(bus_.Listen(kNavigatorWindowClass, 4242, inbox.Handler()), ListenResult::Listening);
  bool posted = false;
  std::thread poster(
      [&] { posted = sender_.PostMessage(kNavigatorWindowClass, 4242, kHandOverMessage, -3, 77); });
  ASSERT_TRUE(RunUntil(loop_, [&] { return !inbox.messages.empty(); }));
  poster.join();
  EXPECT_TRUE(posted);
  EXPECT_EQ(inbox.messages, (std::vector<WindowMessage>{{kHandOverMessage, -3, 77}}));
  EXPECT_EQ(inbox.threads.front(), std::this_thread::get_id());
}

TEST_F(MessageBusTest, PostsReachOnlyTheNamedWindow) {
  Inbox navigator;
  Inbox other;
  ASSERT_EQ(bus_.Listen(kNavigatorWindowClass, 10, navigator.Handler()), ListenResult::Listening);
  ASSERT_EQ(bus_.Listen(kOtherClass, 11, other.Handler()), ListenResult::Listening);

  EXPECT_FALSE(sender_.PostMessage(kOtherClass, 10, 1, 0, 0));
  EXPECT_FALSE(sender_.PostMessage(kNavigatorWindowClass, 12, 1, 0, 0));
  EXPECT_TRUE(sender_.PostMessage("ttalornavigatorform", 10, 2, 0, 0));
  EXPECT_TRUE(sender_.PostMessage(kAnyWindowClass, 11, 3, 0, 0));
  ASSERT_TRUE(
      RunUntil(loop_, [&] { return navigator.messages.size() + other.messages.size() == 2; }));
  EXPECT_EQ(navigator.messages, (std::vector<WindowMessage>{{2, 0, 0}}));
  EXPECT_EQ(other.messages, (std::vector<WindowMessage>{{3, 0, 0}}));
}

TEST_F(MessageBusTest, FindsListeningWindowsByClassUntilTheyStop) {
  Inbox inbox;
  EXPECT_EQ(sender_.FindWindow(kSiblingClientWindowClass), std::nullopt);
  ASSERT_EQ(bus_.Listen(kOtherClass, 5, inbox.Handler()), ListenResult::Listening);
  ASSERT_EQ(bus_.Listen(kSiblingClientWindowClass, 30, inbox.Handler()), ListenResult::Listening);
  ASSERT_EQ(bus_.Listen(kSiblingClientWindowClass, 200, inbox.Handler()), ListenResult::Listening);

  // The first in name order: "TWBMAINFORM.200" before "TWBMAINFORM.30".
  EXPECT_EQ(sender_.FindWindow("twbmainform"), 200);
  EXPECT_EQ(sender_.WindowClass(30), kSiblingClientWindowClass);
  EXPECT_EQ(sender_.WindowClass(31), std::nullopt);

  EXPECT_TRUE(bus_.StopListening(200));
  EXPECT_FALSE(Exists(SocketPath(kSiblingClientWindowClass, 200)));
  EXPECT_EQ(sender_.FindWindow(kSiblingClientWindowClass), 30);
  EXPECT_FALSE(sender_.PostMessage(kSiblingClientWindowClass, 200, 1, 0, 0));
  EXPECT_FALSE(bus_.StopListening(200));
}

TEST_F(MessageBusTest, DestroyedBusLeavesNoWindowBehind) {
  Inbox inbox;
  {
    MessageBus program(loop_, busDir_);
    ASSERT_EQ(program.Listen(kNavigatorWindowClass, 8, inbox.Handler()), ListenResult::Listening);
    EXPECT_EQ(sender_.FindWindow(kNavigatorWindowClass), 8);
  }
  EXPECT_FALSE(Exists(SocketPath(kNavigatorWindowClass, 8)));
  EXPECT_EQ(sender_.FindWindow(kNavigatorWindowClass), std::nullopt);
  // Connections it had accepted end with it; running the loop delivers nothing.
  RunReady(loop_);
  EXPECT_TRUE(inbox.messages.empty());
}

TEST_F(MessageBusTest, SocketFileOfAnEndedProgramIsReplaced) {
  ASSERT_EQ(::mkdir(busDir_.c_str(), 0700), 0);
  ASSERT_TRUE(MakeDeadSocketFile(SocketPath(kNavigatorWindowClass, 9)));
  EXPECT_EQ(sender_.FindWindow(kNavigatorWindowClass), std::nullopt);
  EXPECT_FALSE(sender_.PostMessage(kNavigatorWindowClass, 9, 1, 0, 0));

  Inbox inbox;
  ASSERT_EQ(bus_.Listen(kNavigatorWindowClass, 9, inbox.Handler()), ListenResult::Listening);
  EXPECT_TRUE(sender_.PostMessage(kNavigatorWindowClass, 9, kHandOverMessage, 0, 1));
  ASSERT_TRUE(RunUntil(loop_, [&] { return !inbox.messages.empty(); }));
  EXPECT_EQ(inbox.messages.front(), (WindowMessage{kHandOverMessage, 0, 1}));
}

TEST_F(MessageBusTest, NameOfALiveWindowOrOfAnotherFileIsNotTaken) {
  Inbox first;
  Inbox second;
  ASSERT_EQ(bus_.Listen(kNavigatorWindowClass, 3, first.Handler()), ListenResult::Listening);
  EXPECT_EQ(sender_.Listen(kNavigatorWindowClass, 3, second.Handler()), ListenResult::InUse);
  EXPECT_EQ(bus_.Listen(kNavigatorWindowClass, 3, second.Handler()), ListenResult::InUse);
  EXPECT_TRUE(sender_.PostMessage(kNavigatorWindowClass, 3, 1, 0, 0));
  ASSERT_TRUE(RunUntil(loop_, [&] { return !first.messages.empty(); }));
  EXPECT_TRUE(second.messages.empty());

  temp_.Write("bus/TOtherForm.4", "not a socket");
  EXPECT_EQ(bus_.Listen(kOtherClass, 4, second.Handler()), ListenResult::InUse);
  EXPECT_EQ(temp_.Read("bus/TOtherForm.4"), "not a socket");
}

TEST_F(MessageBusTest, BadNamesAndLongPathsAreRefused) {
  Inbox inbox;
  EXPECT_EQ(bus_.Listen("../evil", 1, inbox.Handler()), ListenResult::BadName);
  EXPECT_EQ(bus_.Listen(kNavigatorWindowClass, 0, inbox.Handler()), ListenResult::BadName);
  EXPECT_EQ(bus_.Listen(kNavigatorWindowClass, -7, inbox.Handler()), ListenResult::BadName);
  MessageBus deep(loop_, temp_.File(std::string(110, 'd')));
  EXPECT_EQ(deep.Listen(kNavigatorWindowClass, 1, inbox.Handler()), ListenResult::NameTooLong);
  MessageBus orphan(loop_, temp_.File("no/such/bus"));
  EXPECT_EQ(orphan.Listen(kNavigatorWindowClass, 1, inbox.Handler()), ListenResult::NoDirectory);
}

TEST_F(MessageBusTest, BadLinesAreSkippedAndTheNextGoodOneArrives) {
  Inbox inbox;
  ASSERT_EQ(bus_.Listen(kNavigatorWindowClass, 6, inbox.Handler()), ListenResult::Listening);
  RawClient client(SocketPath(kNavigatorWindowClass, 6));
  ASSERT_TRUE(client.connected());
  ASSERT_TRUE(client.Send("hello\n2024 1\n\n"));
  // Too long to be read, although its end looks like a number.
  ASSERT_TRUE(client.Send("7 0 " + std::string(kMaxMessageLineLength, '0') + "1\n"));
  // A good line may come in pieces.
  ASSERT_TRUE(client.Send("20"));
  ASSERT_TRUE(client.Send("24 5 6\r\n1 2 3\n"));
  ASSERT_TRUE(RunUntil(loop_, [&] { return inbox.messages.size() >= 2; }));
  EXPECT_EQ(inbox.messages, (std::vector<WindowMessage>{{2024, 5, 6}, {1, 2, 3}}));
}

TEST_F(MessageBusTest, HandlerMayEndItsWindowOrTheWholeBus) {
  Inbox inbox;
  auto program = std::make_unique<MessageBus>(loop_, busDir_);
  ASSERT_EQ(program->Listen(kNavigatorWindowClass, 7,
                            [&](const WindowMessage& message) {
                              inbox.messages.push_back(message);
                              program.reset();
                            }),
            ListenResult::Listening);
  ASSERT_EQ(bus_.Listen(kOtherClass, 70,
                        [&](const WindowMessage& message) {
                          inbox.messages.push_back(message);
                          bus_.StopListening(70);
                        }),
            ListenResult::Listening);
  RawClient toProgram(SocketPath(kNavigatorWindowClass, 7));
  RawClient toBus(SocketPath(kOtherClass, 70));
  ASSERT_TRUE(toProgram.Send("1 0 0\n2 0 0\n"));
  ASSERT_TRUE(toBus.Send("3 0 0\n4 0 0\n"));
  ASSERT_TRUE(RunUntil(loop_, [&] { return inbox.messages.size() >= 2; }));
  RunReady(loop_);
  // Each window took its first line and then was gone.
  EXPECT_EQ(inbox.messages.size(), 2u);
  EXPECT_FALSE(program);
  EXPECT_FALSE(Exists(SocketPath(kNavigatorWindowClass, 7)));
  EXPECT_FALSE(Exists(SocketPath(kOtherClass, 70)));
}

TEST_F(MessageBusTest, ManyIdleConnectionsDoNotBlockAPost) {
  Inbox inbox;
  ASSERT_EQ(bus_.Listen(kNavigatorWindowClass, 12, inbox.Handler()), ListenResult::Listening);
  std::vector<std::unique_ptr<RawClient>> idle;
  for (size_t i = 0; i < kMaxWindowConnections + 8; ++i) {
    idle.push_back(std::make_unique<RawClient>(SocketPath(kNavigatorWindowClass, 12)));
    RunReady(loop_);
  }
  EXPECT_TRUE(sender_.PostMessage(kNavigatorWindowClass, 12, 9, 0, 0));
  ASSERT_TRUE(RunUntil(loop_, [&] { return !inbox.messages.empty(); }));
  EXPECT_EQ(inbox.messages.front(), (WindowMessage{9, 0, 0}));
}

TEST_F(MessageBusTest, UnsafeDirectoryIsNeitherUsedNorTrusted) {
  Inbox inbox;
  ASSERT_EQ(bus_.Listen(kNavigatorWindowClass, 13, inbox.Handler()), ListenResult::Listening);
  ASSERT_EQ(::chmod(busDir_.c_str(), 0755), 0);
  EXPECT_EQ(sender_.FindWindow(kNavigatorWindowClass), std::nullopt);
  EXPECT_FALSE(sender_.PostMessage(kNavigatorWindowClass, 13, 1, 0, 0));
  EXPECT_EQ(bus_.Listen(kNavigatorWindowClass, 14, inbox.Handler()), ListenResult::UnsafeDirectory);

  ASSERT_EQ(::chmod(busDir_.c_str(), 0700), 0);
  ASSERT_EQ(::symlink(busDir_.c_str(), temp_.File("link").c_str()), 0);
  MessageBus linked(loop_, temp_.File("link"));
  EXPECT_EQ(linked.FindWindow(kNavigatorWindowClass), std::nullopt);
  EXPECT_EQ(linked.Listen(kOtherClass, 15, inbox.Handler()), ListenResult::UnsafeDirectory);
  EXPECT_FALSE(Exists(SocketPath(kOtherClass, 15)));
}

TEST_F(MessageBusTest, PostToNobodyFailsAtOnce) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(sender_.PostMessage(kNavigatorWindowClass, 1, 1, 0, 0));  // no directory yet
  Inbox inbox;
  ASSERT_EQ(bus_.Listen(kOtherClass, 2, inbox.Handler()), ListenResult::Listening);
  EXPECT_FALSE(sender_.PostMessage(kNavigatorWindowClass, 1, 1, 0, 0));
  EXPECT_FALSE(sender_.PostMessage(kAnyWindowClass, 0, 1, 0, 0));
  EXPECT_EQ(sender_.FindWindow(kNavigatorWindowClass), std::nullopt);
  // Nothing above waits for anyone.
  EXPECT_LT(std::chrono::steady_clock::now() - start, kPostTimeout);
}

TEST_F(MessageBusTest, NewHandlesAreFreeOnTheBus) {
  Inbox inbox;
  const WindowHandle first = bus_.NewWindowHandle();
  EXPECT_GT(first, 0);
  ASSERT_EQ(bus_.Listen(kNavigatorWindowClass, first, inbox.Handler()), ListenResult::Listening);
  const WindowHandle second = bus_.NewWindowHandle();
  EXPECT_GT(second, 0);
  EXPECT_NE(second, first);
}

}  // namespace
}  // namespace talor
