// Helpers for the message bus tests: waiting on the loop with a deadline, a
// window that records what it receives, and raw sockets that play a
// misbehaving or dead program.

#ifndef TALOR_TESTS_PLATFORM_BUS_TEST_SUPPORT_H_
#define TALOR_TESTS_PLATFORM_BUS_TEST_SUPPORT_H_

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <asio/steady_timer.hpp>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/event_loop.h"
#include "platform/window_messages.h"

namespace talor::testing {

// Runs the loop until `condition` holds; false when it still did not after a
// deadline far beyond any normal delivery.
inline bool RunUntil(EventLoop& loop, const std::function<bool()>& condition) {
  auto expired = std::make_shared<bool>(false);
  asio::steady_timer timer(loop.context(), std::chrono::seconds(20));
  timer.async_wait([expired](const asio::error_code& error) {
    if (!error) *expired = true;
  });
  loop.WaitUntil([&] { return condition() || *expired; });
  return condition();
}

// Runs every handler that is ready now.
inline void RunReady(EventLoop& loop) {
  auto done = std::make_shared<bool>(false);
  loop.Post([done] { *done = true; });
  loop.WaitUntil([&] { return *done; });
}

// What one window received, and on which threads.
struct Inbox {
  std::vector<WindowMessage> messages;
  std::vector<std::thread::id> threads;

  std::function<void(const WindowMessage&)> Handler() {
    return [this](const WindowMessage& message) {
      messages.push_back(message);
      threads.push_back(std::this_thread::get_id());
    };
  }
};

inline sockaddr_un SocketAddress(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, sizeof address.sun_path - 1);
  return address;
}

// A blocking connection to the socket at `path`, closed with the object.
class RawClient {
 public:
  explicit RawClient(const std::string& path) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
    const sockaddr_un address = SocketAddress(path);
    connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  }
  ~RawClient() { ::close(fd_); }
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  bool connected() const { return connected_; }
  bool Send(std::string_view bytes) {
    return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
  }

 private:
  int fd_;
  bool connected_ = false;
};

// Leaves a socket file at `path` as a program does that ended without
// removing it: bound and listening once, now closed. True when it is there.
inline bool MakeDeadSocketFile(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  const sockaddr_un address = SocketAddress(path);
  const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                     ::listen(fd, 1) == 0;
  ::close(fd);
  return bound;
}

}  // namespace talor::testing

#endif  // TALOR_TESTS_PLATFORM_BUS_TEST_SUPPORT_H_
