#include "platform/event_loop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "platform/loop_timer.h"

namespace talor {
namespace {

using std::chrono::milliseconds;

TEST(EventLoopTest, NestedWaitRunsOtherHandlersUntilConditionHolds) {
  EventLoop loop;
  std::vector<int> order;
  bool answered = false;
  loop.Post([&] {
    order.push_back(1);
    // A modal wait inside a handler: later handlers run inside it.
    loop.Post([&] {
      order.push_back(2);
      answered = true;
    });
    loop.Post([&] { order.push_back(4); });
    EXPECT_TRUE(loop.WaitUntil([&] { return answered; }));
    order.push_back(3);
    loop.Quit();
  });
  loop.Run();
  // The wait returns as soon as its condition holds, one handler at a time:
  // the handler queued after the answer has not run yet.
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(EventLoopTest, WaitsNestInsideEachOtherAndUnwindInOrder) {
  EventLoop loop;
  bool inner = false;
  bool outer = false;
  int deepest = 0;
  loop.Post([&] {
    loop.Post([&] {
      loop.Post([&] {
        deepest = loop.depth();
        inner = true;
      });
      loop.WaitUntil([&] { return inner; });
      outer = true;
    });
    loop.WaitUntil([&] { return outer; });
    loop.Quit();
  });
  loop.Run();
  EXPECT_EQ(deepest, 3);  // Run, the outer wait and the inner wait
  EXPECT_EQ(loop.depth(), 0);
}

TEST(EventLoopTest, QuitEndsEveryNestedWaitWithFalse) {
  EventLoop loop;
  bool waitResult = true;
  loop.Post([&] {
    loop.Post([&] { loop.Quit(); });
    waitResult = loop.WaitUntil([] { return false; });
  });
  loop.Run();
  EXPECT_FALSE(waitResult);
  EXPECT_FALSE(loop.WaitUntil([] { return false; }));
}

TEST(EventLoopTest, EventsPostedFromAnotherThreadRunOnTheLoopThread) {
  EventLoop loop;
  const auto loopThread = std::this_thread::get_id();
  std::thread::id ranOn;
  std::thread outside([&] {
    loop.Post([&] {
      ranOn = std::this_thread::get_id();
      loop.Quit();
    });
  });
  loop.Run();
  outside.join();
  EXPECT_EQ(ranOn, loopThread);
}

TEST(EventLoopTest, WaitForLetsTimeAndTimersPass) {
  EventLoop loop;
  int ticks = 0;
  LoopTimer timer(loop, milliseconds(10), [&] { ++ticks; });
  timer.Start();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(loop.WaitFor(milliseconds(60)));
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(60));
  EXPECT_GE(ticks, 2);
}

TEST(LoopTimerTest, StaysOffUntilStartedAndRepeatsUntilStopped) {
  EventLoop loop;
  int ticks = 0;
  LoopTimer timer(loop, milliseconds(5), [&] {
    if (++ticks == 3) timer.Stop();
  });
  loop.WaitFor(milliseconds(30));
  EXPECT_EQ(ticks, 0);
  timer.Start();
  loop.WaitFor(milliseconds(100));
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(timer.enabled());
}

TEST(LoopTimerTest, ATickAlreadyDueDoesNotRunAfterStop) {
  EventLoop loop;
  int ticks = 0;
  std::unique_ptr<LoopTimer> first;
  std::unique_ptr<LoopTimer> second;
  // Both expire during the sleep, so both ticks are due together; whichever
  // runs first stops the other, whose due tick must then not run.
  first = std::make_unique<LoopTimer>(loop, milliseconds(1), [&] {
    ++ticks;
    first->Stop();
    second->Stop();
  });
  second = std::make_unique<LoopTimer>(loop, milliseconds(1), [&] {
    ++ticks;
    first->Stop();
    second->Stop();
  });
  first->Start();
  second->Start();
  std::this_thread::sleep_for(milliseconds(20));
  loop.WaitFor(milliseconds(20));
  EXPECT_EQ(ticks, 1);
}

TEST(LoopTimerTest, RestartPushesTheNextTickAFullIntervalAway) {
  EventLoop loop;
  int ticks = 0;
  LoopTimer timer(loop, milliseconds(250), [&] { ++ticks; });
  timer.Start();
  // Restarted every 50 ms, a 250 ms timer never gets to tick.
  for (int i = 0; i < 8; ++i) {
    loop.WaitFor(milliseconds(50));
    timer.Restart();
  }
  EXPECT_EQ(ticks, 0);
}

TEST(LoopTimerTest, DestroyingATimerWithAPendingTickIsSafe) {
  EventLoop loop;
  int ticks = 0;
  {
    LoopTimer timer(loop, milliseconds(1), [&] { ++ticks; });
    timer.Start();
    std::this_thread::sleep_for(milliseconds(5));
  }
  loop.WaitFor(milliseconds(20));
  EXPECT_EQ(ticks, 0);
}

TEST(LoopTimerTest, HandlerThatWaitsNestedStillSeesLaterTicks) {
  EventLoop loop;
  int ticks = 0;
  bool sawTickWhileWaiting = false;
  LoopTimer timer(loop, milliseconds(5), [&] {
    if (++ticks == 1) {
      const int before = ticks;
      loop.WaitFor(milliseconds(40));
      sawTickWhileWaiting = ticks > before;
      timer.Stop();
    }
  });
  timer.Start();
  loop.WaitFor(milliseconds(100));
  EXPECT_TRUE(sawTickWhileWaiting);
}

}  // namespace
}  // namespace talor
