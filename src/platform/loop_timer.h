// A repeating timer on the core loop, the counterpart of a window timer: off
// until started, fires every interval until stopped, and a handler that is
// already due when the timer is stopped or destroyed does not run.

#ifndef TALOR_PLATFORM_LOOP_TIMER_H_
#define TALOR_PLATFORM_LOOP_TIMER_H_

#include <chrono>
#include <functional>
#include <memory>

#include "platform/event_loop.h"

namespace talor {

class LoopTimer {
 public:
  LoopTimer(EventLoop& loop, std::chrono::milliseconds interval, std::function<void()> handler);
  ~LoopTimer();
  LoopTimer(const LoopTimer&) = delete;
  LoopTimer& operator=(const LoopTimer&) = delete;

  // Starts counting a full interval from now; starting a running timer
  // starts its interval again.
  void Start();
  void Stop();
  // Off, then on: the next tick comes one full interval from now.
  void Restart() { Start(); }
  bool enabled() const;

  void SetInterval(std::chrono::milliseconds interval);
  std::chrono::milliseconds interval() const;

 private:
  struct State;
  static void Arm(const std::shared_ptr<State>& state);

  std::shared_ptr<State> state_;
};

}  // namespace talor

#endif  // TALOR_PLATFORM_LOOP_TIMER_H_
