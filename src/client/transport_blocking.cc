// The blocking exchange: connect, send and receive in one call, with no
// events running meanwhile and no wait dialog.

#include <poll.h>

#include <algorithm>
#include <array>
#include <asio/connect.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/read.hpp>
#include <asio/write.hpp>
#include <cerrno>
#include <chrono>
#include <cstdint>

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

ExchangeResult Transport::RunBlocking(StringList& answer) {
  try {
    const steady_clock::time_point deadline = steady_clock::now() + answerDeadline_;
    state_ = ExchangeResult::Busy;
    binary_.clear();
    binaryArrived_ = false;
    received_.clear();
    timerNoOperation_.Restart();

    // This path never uses the tunnel form.
    const std::string packet = FramePlainPacket(identity_.currentCommand, requestText_);
    std::optional<uint16_t> port = PortNumber(identity_.port);
    if (!port) throw std::invalid_argument("port");

    asio::ip::tcp::resolver resolver(loop_.context());
    asio::ip::tcp::socket socket(loop_.context());
    asio::connect(socket, resolver.resolve(identity_.host, std::to_string(*port)));
    asio::write(socket, asio::buffer(packet));

    answerText_.clear();
    std::array<char, kReceiveChunk> chunk;
    asio::error_code error;
    std::optional<FailureKind> broken;
    while (!broken) {
      if (!WaitReadable(socket, deadline)) {
        broken = FailureKind::AnswerTimedOut;
        break;
      }
      size_t count = socket.read_some(asio::buffer(chunk), error);
      if (!AcceptChunk({chunk.data(), count})) broken = FailureKind::AnswerTooLarge;
      if (error == asio::error::eof) break;
      if (error) throw asio::system_error(error);
    }
    asio::error_code ignored;
    socket.close(ignored);
    if (!broken && !AnswerLinesWithinLimit()) broken = FailureKind::AnswerTooManyLines;
    if (broken) {
      AbandonAnswer(*broken);
      answer.Clear();
      return state_;
    }

    tunnelled_ = false;
    StringList lines;
    if (AcceptReceived(lines) == AnswerCheck::Good) {
      state_ = ExchangeResult::Good;
    } else {
      lines = StringList{{std::to_string(kCorruptAnswer), 0}};
      state_ = ExchangeResult::Failed;
      retry_ = true;
      failureKind_ = FailureKind::CorruptAnswer;
    }
    answer = std::move(lines);
    if (state_ == ExchangeResult::Good) StripAnswerHeader(answer);
    return state_;
  } catch (...) {
    state_ = ExchangeResult::Failed;
    answerText_.clear();
    ResetReceiveBuffer();
    answer.Clear();
    return state_;
  }
}

}  // namespace talor
