#include "platform/loop_timer.h"

#include <asio/steady_timer.hpp>

namespace talor {

struct LoopTimer::State {
  State(asio::io_context& context, std::chrono::milliseconds every, std::function<void()> onTick)
      : timer(context), interval(every), handler(std::move(onTick)) {}

  asio::steady_timer timer;
  std::chrono::milliseconds interval;
  std::function<void()> handler;
  bool enabled = false;
  // Raised by every Start and Stop, so that a tick scheduled before the
  // change is recognised as stale even when it had already completed.
  unsigned generation = 0;
};

LoopTimer::LoopTimer(EventLoop& loop, std::chrono::milliseconds interval,
                     std::function<void()> handler)
    : state_(std::make_shared<State>(loop.context(), interval, std::move(handler))) {}

LoopTimer::~LoopTimer() {
  Stop();
  state_->handler = nullptr;
}

void LoopTimer::Start() {
  state_->enabled = true;
  ++state_->generation;
  Arm(state_);
}

void LoopTimer::Stop() {
  state_->enabled = false;
  ++state_->generation;
  state_->timer.cancel();
}

bool LoopTimer::enabled() const { return state_->enabled; }

void LoopTimer::SetInterval(std::chrono::milliseconds interval) {
  state_->interval = interval;
  if (state_->enabled) Start();
}

std::chrono::milliseconds LoopTimer::interval() const { return state_->interval; }

void LoopTimer::Arm(const std::shared_ptr<State>& state) {
  const unsigned generation = state->generation;
  state->timer.expires_after(state->interval);
  state->timer.async_wait([state, generation](const asio::error_code& error) {
    if (error || !state->enabled || state->generation != generation) return;
    // Re-arm before running the handler: it may stop or restart the timer,
    // or wait in a nested loop during which the next tick is due.
    Arm(state);
    if (state->handler) state->handler();
  });
}

}  // namespace talor
