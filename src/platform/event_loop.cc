#include "platform/event_loop.h"

#include <asio/post.hpp>
#include <asio/steady_timer.hpp>
#include <memory>

namespace talor {

EventLoop::EventLoop() : work_(asio::make_work_guard(context_)) {}

EventLoop::~EventLoop() {
  work_.reset();
  context_.stop();
}

void EventLoop::Post(std::function<void()> handler) { asio::post(context_, std::move(handler)); }

void EventLoop::Run() {
  WaitUntil([] { return false; });
}

bool EventLoop::WaitUntil(const std::function<bool()>& condition) {
  ++depth_;
  bool held = false;
  while (!quitting_) {
    if (condition()) {
      held = true;
      break;
    }
    // With the work guard in place run_one only returns 0 once the context
    // has been stopped, which happens solely through Quit.
    if (context_.run_one() == 0) break;
  }
  --depth_;
  return held;
}

bool EventLoop::WaitFor(std::chrono::milliseconds duration) {
  auto timer = std::make_shared<asio::steady_timer>(context_, duration);
  auto elapsed = std::make_shared<bool>(false);
  timer->async_wait([elapsed](const asio::error_code&) { *elapsed = true; });
  bool held = WaitUntil([&elapsed] { return *elapsed; });
  if (!held) timer->cancel();
  return held;
}

void EventLoop::Quit() {
  if (quitting_) return;
  quitting_ = true;
  // Wake a wait that is blocked in run_one with nothing else to do.
  asio::post(context_, [] {});
}

}  // namespace talor
