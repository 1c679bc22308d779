// talor-navigator send-page, run as a program against a bus of the test.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "barcode/run_program.h"
#include "platform/bus_test_support.h"
#include "platform/message_bus.h"
#include "shell/temp_dir.h"

namespace talor {
namespace {

using testing::Inbox;
using testing::ProgramResult;
using testing::RunProgram;
using testing::RunUntil;

constexpr WindowHandle kNavigatorHandle = 4242;

class SendPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef TALOR_NAVIGATOR_PROGRAM
    GTEST_SKIP() << "talor-navigator is not part of this build";
#endif
  }

  // Runs send-page with the bus of the test directory as its runtime
  // directory's bus.
  ProgramResult SendPage(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {"/usr/bin/env", "XDG_RUNTIME_DIR=" + temp_.path()};
#ifdef TALOR_NAVIGATOR_PROGRAM
    command.push_back(TALOR_NAVIGATOR_PROGRAM);
#endif
    command.push_back("send-page");
    command.insert(command.end(), arguments.begin(), arguments.end());
    return RunProgram(command);
  }

  TempDir temp_;
  const std::string config_ = temp_.File("nav.ini");
  EventLoop loop_;
  MessageBus bus_{loop_, temp_.File("talor-bus")};
};

TEST_F(SendPageTest, WritesThePageAndHandsItToTheRunningNavigator) {
  temp_.Write("nav.ini", "[Main]\nServerIP=10.0.0.1\n");
  Inbox navigator;
  ASSERT_EQ(bus_.Listen(kNavigatorWindowClass, kNavigatorHandle, navigator.Handler()),
            ListenResult::Listening);

  const ProgramResult result =
      SendPage({"TALOR:3,0,,start.html", "--config", config_, "--return-handle", "77"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(temp_.Read("nav.ini"),
            "[Main]\nServerIP=10.0.0.1\n\n"
            "[CONTEXT]\nInitURL=TALOR:3,0,,start.html\nReturnHandle=77\n");
  ASSERT_TRUE(RunUntil(loop_, [&] { return !navigator.messages.empty(); }));
  EXPECT_EQ(navigator.messages, (std::vector<WindowMessage>{{kHandOverMessage, 0, 77}}));
}

TEST_F(SendPageTest, WithoutReturnWindowAnOldOneIsCleared) {
  temp_.Write("nav.ini", "[CONTEXT]\nInitURL=\nReturnHandle=5\n");
  Inbox navigator;
  ASSERT_EQ(bus_.Listen(kNavigatorWindowClass, kNavigatorHandle, navigator.Handler()),
            ListenResult::Listening);

  const ProgramResult result = SendPage({"--config", config_, "http://example.org/a b"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(temp_.Read("nav.ini"), "[CONTEXT]\nInitURL=http://example.org/a b\nReturnHandle=0\n");
  ASSERT_TRUE(RunUntil(loop_, [&] { return !navigator.messages.empty(); }));
  EXPECT_EQ(navigator.messages.front(), (WindowMessage{kHandOverMessage, 0, 0}));
}

TEST_F(SendPageTest, WithoutNavigatorThePageWaitsForTheNextStart) {
  // Another program's window is not the navigator.
  Inbox sibling;
  ASSERT_EQ(bus_.Listen(kSiblingClientWindowClass, 9, sibling.Handler()), ListenResult::Listening);

  const ProgramResult result = SendPage({"TALOR:3,0,,next.html", "--config", config_});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("окно навигатора не найдено"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find(config_), std::string::npos) << result.err;
  EXPECT_EQ(temp_.Read("nav.ini"), "[CONTEXT]\nInitURL=TALOR:3,0,,next.html\n");
  testing::RunReady(loop_);
  EXPECT_TRUE(sibling.messages.empty());
}

TEST_F(SendPageTest, BadUsageChangesNothing) {
  const std::vector<std::vector<std::string>> usages = {
      {},
      {"--config", config_},
      {"a.html", "b.html", "--config", config_},
      {"a.html", "--return-handle", "x", "--config", config_},
      {"a.html", "--return-handle", "-1", "--config", config_},
      {"a.html", "--return-handle", "2147483648", "--config", config_},
      {"a.html", "--config", config_, "--return-handle"},
      {"a.html", "--frame", "--config", config_},
      {"", "--config", config_},
      {"a.html\nInitURL=b.html", "--config", config_},
  };
  for (const std::vector<std::string>& usage : usages) {
    const ProgramResult result = SendPage(usage);
    EXPECT_EQ(result.status, 2) << ::testing::PrintToString(usage);
    EXPECT_NE(result.err.find("Использование"), std::string::npos);
  }
  EXPECT_EQ(temp_.Read("nav.ini"), "");

  const ProgramResult help = SendPage({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("InitURL"), std::string::npos);
}

}  // namespace
}  // namespace talor
