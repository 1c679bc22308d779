// The blocking exchange: connect, send and receive in one call, with no
// events running meanwhile and no wait dialog.

#include <poll.h>

#include <algorithm>
#include <asio/connect.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/write.hpp>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <optional>

#include "client/transport.h"

namespace talor {
namespace {

using std::chrono::steady_clock;

// Waits until the socket has bytes or its end to read; false when the
// deadline passes first. A failed wait lets the read that follows report it.
bool WaitReadable(asio::ip::tcp::socket& socket, steady_clock::time_point deadline) {
  for (;;) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - steady_clock::now()).count();
    if (left <= 0) return false;
    pollfd descriptor{socket.native_handle(), POLLIN, 0};
    const int ready = ::poll(&descriptor, 1, static_cast<int>(std::min<int64_t>(left, INT32_MAX)));
    if (ready != 0 && !(ready < 0 && errno == EINTR)) return true;
  }
}

}  // namespace

ExchangeResult Transport::RunBlocking(ServerAnswer& answer) {
  try {
    const steady_clock::time_point deadline = steady_clock::now() + answerDeadline_;
    state_ = ExchangeResult::Busy;
    // The caller's last answer goes first, so that its store can take this one.
    answer.Clear();
    // This path never uses the tunnel form.
    tunnelled_ = false;
    BeginAnswer();
    timerNoOperation_.Restart();

    const std::string packet = FramePlainPacket(identity_.currentCommand, requestText_);
    std::optional<uint16_t> port = PortNumber(identity_.port);
    if (!port) throw std::invalid_argument("port");

    asio::ip::tcp::resolver resolver(loop_.context());
    asio::ip::tcp::socket socket(loop_.context());
    asio::connect(socket, resolver.resolve(identity_.host, std::to_string(*port)));
    asio::write(socket, asio::buffer(packet));

    // Reads go first and the wait only when the socket has nothing yet:
    // while a large answer streams in, every read finds bytes waiting.
    FailureKind broken = FailureKind::None;
    for (;;) {
      if (steady_clock::now() >= deadline) {
        broken = FailureKind::AnswerTimedOut;
        break;
      }
      const ReadTurn turn = ReadAvailable(socket.native_handle());
      broken = turn.broken;
      if (broken != FailureKind::None || turn.ended) break;
      if (turn.error) throw std::system_error(turn.error);
      if (turn.drained && !WaitReadable(socket, deadline)) {
        broken = FailureKind::AnswerTimedOut;
        break;
      }
    }
    asio::error_code ignored;
    socket.close(ignored);
    ServerAnswer lines;
    std::optional<AnswerCheck> check;
    if (broken == FailureKind::None) {
      check = AcceptReceived(lines);
      if (!check) broken = FailureKind::AnswerTooManyLines;
    }
    if (broken != FailureKind::None) {
      AbandonAnswer(broken);
      return state_;
    }

    if (*check == AnswerCheck::Good) {
      state_ = ExchangeResult::Good;
    } else {
      lines = ServerAnswer::SingleLine(std::to_string(kCorruptAnswer));
      state_ = ExchangeResult::Failed;
      retry_ = true;
      failureKind_ = FailureKind::CorruptAnswer;
    }
    answer = std::move(lines);
    if (state_ == ExchangeResult::Good) answer.DropFront(kAnswerHeaderLines);
    return state_;
  } catch (...) {
    state_ = ExchangeResult::Failed;
    answerText_ = {};
    ResetReceiveBuffer();
    answer.Clear();
    return state_;
  }
}

}  // namespace talor
