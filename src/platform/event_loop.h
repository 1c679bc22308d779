// The core's single event loop. Every piece of navigator state lives on the
// thread that runs it; timers, socket events and events posted from other
// threads (the web window, tests) are handlers on this loop.
//
// A modal wait (a server exchange, a message box, a dialog) is a nested wait:
// WaitUntil runs one handler at a time on the same thread until its condition
// holds, so timers and other events stay alive while the caller waits, as a
// re-entrant message loop would.

#ifndef TALOR_PLATFORM_EVENT_LOOP_H_
#define TALOR_PLATFORM_EVENT_LOOP_H_

#include <asio/executor_work_guard.hpp>
#include <asio/io_context.hpp>
#include <chrono>
#include <functional>

namespace talor {

class EventLoop {
 public:
  EventLoop();
  ~EventLoop();
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  // The Asio context that sockets and timers of the core are created on.
  asio::io_context& context() { return context_; }

  // Queues `handler` to run on the loop's thread. Safe from any thread; the
  // only way for code outside the core to reach it.
  void Post(std::function<void()> handler);

  // Runs handlers until Quit. Returns at once when Quit was already called.
  void Run();

  // Runs one handler at a time until `condition` holds (checked before the
  // first handler and after each one). Returns true when it holds, false when
  // the loop was told to quit first. Callable from inside a handler: this is
  // the nested wait of every modal operation.
  bool WaitUntil(const std::function<bool()>& condition);

  // Runs handlers for `duration`, then returns; false when the loop was told
  // to quit before the time was over.
  bool WaitFor(std::chrono::milliseconds duration);

  // Ends Run and every nested wait; the application is ending. Idempotent.
  // Safe only on the loop's thread; other threads Post it.
  void Quit();
  bool quitting() const { return quitting_; }

  // The depth of nested waits currently running (0 outside any wait).
  int depth() const { return depth_; }

 private:
  asio::io_context context_;
  asio::executor_work_guard<asio::io_context::executor_type> work_;
  bool quitting_ = false;
  int depth_ = 0;
};

}  // namespace talor

#endif  // TALOR_PLATFORM_EVENT_LOOP_H_
