// The blocking exchange: connect, send and receive in one call, with no
// events running meanwhile and no wait dialog.

#include <array>
#include <asio/connect.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/read.hpp>
#include <asio/write.hpp>

#include "client/transport.h"

namespace talor {

ExchangeResult Transport::RunBlocking(StringList& answer) {
  try {
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
    for (;;) {
      size_t count = socket.read_some(asio::buffer(chunk), error);
      received_.append(chunk.data(), count);
      if (error == asio::error::eof) break;
      if (error) throw asio::system_error(error);
    }
    asio::error_code ignored;
    socket.close(ignored);

    tunnelled_ = false;
    ReceivedAnswer received = SplitAnswer(received_, false);
    TakeAnswerText();
    binary_ = received.binary.value_or(std::string());
    binaryArrived_ = received.binary.has_value();
    StringList lines = std::move(received.lines);
    if (CheckAnswer(lines, identity_, received) == AnswerCheck::Good) {
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
    received_.clear();
    answer.Clear();
    return state_;
  }
}

}  // namespace talor
