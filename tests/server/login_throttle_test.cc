#include "server/login_throttle.h"

#include <gtest/gtest.h>

namespace talor::server {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using Clock = LoginThrottle::Clock;

class LoginThrottleTest : public ::testing::Test {
 protected:
  static ThrottleLimits Limits() {
    ThrottleLimits limits;
    limits.freeFailures = 2;
    limits.firstDelay = milliseconds(100);
    limits.maxDelay = milliseconds(700);
    limits.maxHold = milliseconds(300);
    limits.forgetAfter = seconds(60);
    limits.maxAddresses = 3;
    return limits;
  }
  // Fails `count` times from `address`, each attempt as soon as allowed.
  void FailRepeatedly(std::string_view address, int count) {
    for (int i = 0; i < count; ++i) {
      while (!throttle_.MayTry(address, now_)) now_ += milliseconds(1);
      throttle_.Failed(address, now_);
    }
  }
  // How long the address must wait before its next check.
  Clock::duration Window(std::string_view address) {
    Clock::duration waited{};
    while (!throttle_.MayTry(address, now_ + waited)) waited += milliseconds(1);
    return waited;
  }

  LoginThrottle throttle_{Limits()};
  Clock::time_point now_ = Clock::time_point() + seconds(1000);
};

TEST_F(LoginThrottleTest, TheWindowOpensAfterTheFreeFailuresDoublesAndIsCapped) {
  FailRepeatedly("10.0.0.1", 2);
  EXPECT_EQ(Window("10.0.0.1"), milliseconds(0));
  const milliseconds expected[] = {milliseconds(100), milliseconds(200), milliseconds(400),
                                   milliseconds(700), milliseconds(700)};
  for (milliseconds window : expected) {
    FailRepeatedly("10.0.0.1", 1);
    EXPECT_EQ(Window("10.0.0.1"), window);
  }
  // Another address is not concerned.
  EXPECT_TRUE(throttle_.MayTry("10.0.0.2", now_));
}

TEST_F(LoginThrottleTest, HoldIsTheRestOfTheWindowAtMostMaxHold) {
  FailRepeatedly("a", 5);  // window 400 ms
  EXPECT_EQ(throttle_.Hold("a", now_), milliseconds(300));
  EXPECT_EQ(throttle_.Hold("a", now_ + milliseconds(250)), milliseconds(150));
  EXPECT_EQ(throttle_.Hold("a", now_ + milliseconds(400)), milliseconds(0));
  EXPECT_EQ(throttle_.Hold("unknown", now_), milliseconds(0));
}

TEST_F(LoginThrottleTest, ASuccessForgetsTheFailures) {
  FailRepeatedly("a", 6);
  throttle_.Succeeded("a");
  EXPECT_TRUE(throttle_.MayTry("a", now_));
  FailRepeatedly("a", 2);
  EXPECT_EQ(Window("a"), milliseconds(0));
  EXPECT_EQ(throttle_.AddressCount(), 1u);
}

TEST_F(LoginThrottleTest, OldFailuresAreForgotten) {
  FailRepeatedly("a", 6);
  now_ += seconds(61);
  FailRepeatedly("a", 1);
  EXPECT_EQ(Window("a"), milliseconds(0));
}

TEST_F(LoginThrottleTest, TheTableIsBoundedAndDropsItsStalestAddress) {
  for (std::string_view address : {"a", "b", "c"}) {
    FailRepeatedly(address, 4);
    now_ += seconds(1);
  }
  FailRepeatedly("d", 4);  // "a" makes room
  EXPECT_EQ(throttle_.AddressCount(), 3u);
  FailRepeatedly("a", 1);  // starts afresh: a free failure
  EXPECT_EQ(Window("a"), milliseconds(0));
  EXPECT_EQ(Window("d"), milliseconds(200));
  for (int i = 0; i < 1000; ++i) FailRepeatedly("x" + std::to_string(i), 1);
  EXPECT_EQ(throttle_.AddressCount(), 3u);
}

}  // namespace
}  // namespace talor::server
