#include "client/transport.h"

#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <asio/connect.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/post.hpp>
#include <asio/write.hpp>
#include <cerrno>
#include <random>

#include "client/decimal.h"
#include "client/transport_connection.h"

namespace talor {
namespace {

std::string DrawClientId(const Clock& clock) {
  std::mt19937 generator(static_cast<uint32_t>(clock.NowMilliseconds()));
  std::uniform_int_distribution<int> distribution(0, kClientIdLimit - 1);
  return std::to_string(distribution(generator));
}

}  // namespace

std::optional<uint16_t> PortNumber(std::string_view portText) {
  std::optional<int32_t> port = ParseDecimal(portText);
  if (!port || *port < 0 || *port > 65535) return std::nullopt;
  return static_cast<uint16_t>(*port);
}

Transport::Transport(EventLoop& loop, UserInterface& ui, const Clock& clock)
    : loop_(loop),
      ui_(ui),
      alive_(std::make_shared<bool>(true)),
      timerWait_(loop, kWaitTick, [this] { TimerWaitTimer(); }),
      timerNoOperation_(loop, kNoOperationInterval, [this] { TimerNoOperationTimer(); }),
      timerAnswerDeadline_(loop, kDefaultAnswerDeadline, [this] { AnswerDeadlinePassed(); }) {
  identity_.clientId = DrawClientId(clock);
  identity_.host = std::string(kDefaultHost);
  identity_.port = std::to_string(kDefaultPort);
}

Transport::~Transport() {
  *alive_ = false;
  CloseConnection();
}

void Transport::SetServer(std::string_view host, std::string_view port,
                          std::string_view workstationCode) {
  identity_.host = std::string(host);
  identity_.port = std::string(port);
  identity_.workstationCode = std::string(workstationCode.substr(0, 1));
}

void Transport::SetAnswerDeadline(std::chrono::milliseconds deadline) {
  answerDeadline_ = deadline;
  timerAnswerDeadline_.SetInterval(deadline);
}

ExchangeResult Transport::RunCommand(char command, std::string_view parameters, StringList& answer,
                                     CommandKind kind) {
  ServerAnswer lines;
  bool exchanged = false;
  const ExchangeResult result = RunCommandOnce(command, parameters, lines, kind, exchanged);
  if (exchanged) lines.CopyTo(answer);
  return result;
}

ExchangeResult Transport::RunCommand(char command, std::string_view parameters,
                                     ServerAnswer& answer, CommandKind kind) {
  bool exchanged = false;
  return RunCommandOnce(command, parameters, answer, kind, exchanged);
}

ExchangeResult Transport::RunCommandOnce(char command, std::string_view parameters,
                                         ServerAnswer& answer, CommandKind kind, bool& exchanged) {
  // A registration does not consult the lock, but it must never start inside
  // a running exchange: it would take over that exchange's connection and
  // sequence number.
  if (busyLock_ == ExchangeResult::Busy && (kind == CommandKind::Ordinary || exchangeRunning())) {
    return ExchangeResult::Busy;
  }
  busyLock_ = ExchangeResult::Busy;
  silentRetriesLeft_ = kSilentRetries;
  ExchangeResult result = ExchangeResult::Failed;
  try {
    std::optional<std::string> header = BuildRequestHeader(identity_, command);
    if (header) {
      requestText_ = *header;
      requestText_.append(parameters);
      exchanged = true;
      result = RunExchange(answer);
    }
  } catch (...) {
    result = ExchangeResult::Failed;
  }
  busyLock_ = result;
  return result;
}

ExchangeResult Transport::RunExchange(ServerAnswer& answer) {
  for (;;) {
    retry_ = false;
    ExchangeResult result = blocking_ ? RunBlocking(answer) : RunNonBlocking(answer);
    if (ReportAbandonedAnswer()) return ExchangeResult::Failed;
    if (result != ExchangeResult::Failed || !retry_) return result;
    bool silent = false;
    std::string message;
    if (failureKind_ == FailureKind::CorruptAnswer) {
      failureKind_ = FailureKind::None;
      if (silentRetriesLeft_ > 0) {
        --silentRetriesLeft_;
        silent = true;
      } else {
        message = std::string(kCorruptAnswerMessage) + std::to_string(kCorruptAnswer) + ").";
        silentRetriesLeft_ = kSilentRetries;
      }
    } else {
      message = std::string(kBrokenConnectionMessage);
    }
    if (!silent && !AskYesNo(ui_, kCaption, message + std::string(kRepeatQuestion))) {
      identity_.host.clear();
      ui_.EndApplication();
      return ExchangeResult::Failed;
    }
    if (!PrepareResend(identity_, requestText_)) return ExchangeResult::Failed;
  }
}

ExchangeResult Transport::RunNonBlocking(ServerAnswer& answer) {
  // The caller's last answer goes first, so that its store can take this one.
  answer.Clear();
  owner_ = ui_.ActiveWindow();
  bool ownerDisabled = false;
  try {
    if (owner_ != kNoWindow && ui_.IsWindowEnabled(owner_)) {
      ui_.EnableWindow(owner_, false);
      ownerDisabled = true;
    }
    state_ = ExchangeResult::Busy;
    timerNoOperation_.Restart();
    ShowWaitForm(false);

    tunnelled_ = identity_.port == tunnelPort_;
    const char command = identity_.currentCommand;
    OpenConnection(tunnelled_
                       ? FrameTunnelRequest(command, requestText_, identity_.host, identity_.port)
                       : FramePlainPacket(command, requestText_));

    ticks_ = 0;
    waitForm_.progress = 0;
    timerWait_.Start();
    timerAnswerDeadline_.Start();
    ui_.SetWaitCursor(true);

    if (!loop_.WaitUntil([this] { return state_ != ExchangeResult::Busy; })) {
      // The application is ending.
      CloseConnection();
      state_ = ExchangeResult::Failed;
      answerLines_.Clear();
    }

    timerAnswerDeadline_.Stop();
    StopWaiting();
    ui_.SetWaitCursor(false);
    answer = std::move(answerLines_);
    answerLines_.Clear();
    if (state_ == ExchangeResult::Good) answer.DropFront(kAnswerHeaderLines);
  } catch (...) {
    state_ = ExchangeResult::Failed;
    CloseConnection();
    timerAnswerDeadline_.Stop();
    StopWaiting();
    ui_.SetWaitCursor(false);
  }
  if (ownerDisabled) {
    ui_.EnableWindow(owner_, true);
    if (ui_.ForegroundWindow() == owner_) ui_.FocusWindow(owner_);
  }
  return state_;
}

void Transport::OpenConnection(const std::string& packet) {
  CloseConnection();
  auto connection = std::make_shared<Connection>(loop_.context());
  connection->packet = packet;
  connection_ = connection;
  const uint16_t port = PortNumber(identity_.port).value_or(kDefaultPort);
  std::weak_ptr<bool> alive = alive_;
  auto connect = [this, alive, connection](const auto& endpoints) {
    asio::async_connect(connection->socket, endpoints,
                        [this, alive, connection](const asio::error_code& connectError,
                                                  const asio::ip::tcp::endpoint&) {
                          if (alive.expired() || connection != connection_) return;
                          if (connectError) {
                            FailExchange(false);
                            return;
                          }
                          OnConnected(connection);
                        });
  };
  // A numeric address needs no resolver, whose answer comes back through a
  // thread of its own on every exchange.
  asio::error_code notNumeric;
  const asio::ip::address address = asio::ip::make_address(identity_.host, notNumeric);
  if (!notNumeric) {
    connect(std::array<asio::ip::tcp::endpoint, 1>{asio::ip::tcp::endpoint(address, port)});
    return;
  }
  connection->resolver.async_resolve(
      identity_.host, std::to_string(port),
      [this, alive, connection, connect](const asio::error_code& error,
                                         asio::ip::tcp::resolver::results_type endpoints) {
        if (alive.expired() || connection != connection_) return;
        if (error) {
          FailExchange(false);
          return;
        }
        connect(endpoints);
      });
}

void Transport::OnConnected(const std::shared_ptr<Connection>& connection) {
  BeginAnswer();
  std::weak_ptr<bool> alive = alive_;
  asio::async_write(connection->socket, asio::buffer(connection->packet),
                    [this, alive, connection](const asio::error_code& error, size_t) {
                      if (alive.expired() || connection != connection_) return;
                      if (error) FailExchange(false);
                    });
  StartRead(connection);
}

void Transport::StartRead(const std::shared_ptr<Connection>& connection) {
  std::weak_ptr<bool> alive = alive_;
  connection->socket.async_wait(asio::socket_base::wait_read,
                                [this, alive, connection](const asio::error_code& error) {
                                  if (alive.expired() || connection != connection_) return;
                                  if (error) {
                                    answerText_ = {};
                                    FailExchange(false);
                                    return;
                                  }
                                  ReadTurnOf(connection);
                                });
}

void Transport::ReadTurnOf(const std::shared_ptr<Connection>& connection) {
  const ReadTurn turn = ReadAvailable(connection->socket.native_handle());
  if (turn.broken != FailureKind::None) {
    AbandonAnswer(turn.broken);
  } else if (turn.error) {
    answerText_ = {};
    FailExchange(false);
  } else if (turn.ended) {
    OnDisconnected();
  } else if (turn.drained) {
    StartRead(connection);
  } else {
    // Bytes are still waiting, which the socket's readiness need not report
    // again: the next turn is posted behind the events that are due.
    std::weak_ptr<bool> alive = alive_;
    asio::post(loop_.context(), [this, alive, connection] {
      if (alive.expired() || connection != connection_) return;
      ReadTurnOf(connection);
    });
  }
}

Transport::ReadTurn Transport::ReadAvailable(int socket) {
  ReadTurn turn;
  for (size_t taken = 0; taken < kReadTurnBytes;) {
    const std::span<char> room = ReceiveRoom();
    const ssize_t count = ::recv(socket, room.data(), room.size(), MSG_DONTWAIT);
    if (count < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        turn.drained = true;
      } else {
        turn.error = std::error_code(errno, std::system_category());
      }
      return turn;
    }
    turn.broken = TakeReceived(static_cast<size_t>(count));
    if (turn.broken != FailureKind::None) return turn;
    const std::string_view received = receiving_->bytes.view();
    if (count == 0 ||
        (tunnelled_ && received.size() > kEndMarker.size() && received.ends_with(kEndMarker))) {
      turn.ended = true;
      return turn;
    }
    taken += static_cast<size_t>(count);
  }
  return turn;
}

void Transport::OnDisconnected() {
  try {
    CloseConnection();
    ServerAnswer lines;
    const std::optional<AnswerCheck> check = AcceptReceived(lines);
    if (!check) {
      AbandonAnswer(FailureKind::AnswerTooManyLines);
      return;
    }
    switch (*check) {
      case AnswerCheck::IdentityMismatch:
        answerLines_ = ServerAnswer::SingleLine(std::to_string(kUnreadableAnswer));
        retry_ = true;
        failureKind_ = FailureKind::CorruptAnswer;
        state_ = ExchangeResult::Failed;
        break;
      case AnswerCheck::LengthMismatch:
        // The answer text is dropped: the caller sees an empty list.
        answerLines_.Clear();
        answerText_ = {};
        retry_ = true;
        failureKind_ = FailureKind::CorruptAnswer;
        StopWaiting();
        state_ = ExchangeResult::Failed;
        break;
      case AnswerCheck::Good:
        answerLines_ = std::move(lines);
        state_ = ExchangeResult::Good;
        break;
    }
  } catch (...) {
    CloseConnection();
    answerLines_.Clear();
    state_ = ExchangeResult::Failed;
  }
}

std::optional<AnswerCheck> Transport::AcceptReceived(ServerAnswer& answer) {
  const std::string_view bytes = receiving_->bytes.view();
  std::vector<LineSpan>& lines = receiving_->lines;
  const std::optional<AnswerParts> parts = scanner_.Finish(bytes, lines);
  if (!parts) return std::nullopt;
  if (tunnelled_) UnwrapTunnelAnswer(lines, bytes);
  std::optional<size_t> binaryLength;
  if (parts->binary) binaryLength = parts->binary->size();
  const AnswerCheck check =
      CheckAnswer(lines, bytes, identity_, binaryLength, parts->lastLineEnded);
  // The views stay valid: the store moves, its bytes do not.
  answerText_ = parts->text;
  binaryArrived_ = parts->binary.has_value();
  binary_ = parts->binary.value_or(std::string_view());
  answerStore_ = std::move(receiving_);
  answer = ServerAnswer(answerStore_);
  return check;
}

void Transport::BeginAnswer() {
  answerText_ = {};
  binary_ = {};
  binaryArrived_ = false;
  if (!receiving_ && answerStore_.use_count() == 1) receiving_ = std::move(answerStore_);
  answerStore_.reset();
  if (!receiving_) receiving_ = std::make_shared<AnswerStore>();
  receiving_->bytes.Clear();
  receiving_->lines.clear();
  scanner_.Reset(tunnelled_, kAnswerLineLimit);
}

void Transport::ResetReceiveBuffer() { receiving_.reset(); }

std::span<char> Transport::ReceiveRoom() {
  ReceiveBuffer& bytes = receiving_->bytes;
  const size_t left = answerLimit_ - std::min(answerLimit_, bytes.size());
  const size_t spare = std::clamp(bytes.capacity() - bytes.size(), kReceiveChunk, kReadMost);
  const size_t room = left < spare ? left + 1 : spare;
  // The buffer never grows past the limit and the one byte that shows it.
  const size_t most = answerLimit_ < SIZE_MAX ? answerLimit_ + 1 : SIZE_MAX;
  return bytes.Space(room, most);
}

Transport::FailureKind Transport::TakeReceived(size_t count) {
  receiving_->bytes.Commit(count);
  if (receiving_->bytes.size() > answerLimit_) return FailureKind::AnswerTooLarge;
  if (!scanner_.Scan(receiving_->bytes.view(), receiving_->lines)) {
    return FailureKind::AnswerTooManyLines;
  }
  return FailureKind::None;
}

void Transport::AbandonAnswer(FailureKind kind) {
  ResetReceiveBuffer();
  answerText_ = {};
  binary_ = {};
  binaryArrived_ = false;
  failureKind_ = kind;
  FailExchange(false);
}

void Transport::AnswerDeadlinePassed() {
  timerAnswerDeadline_.Stop();
  if (exchangeRunning() && !blocking_) AbandonAnswer(FailureKind::AnswerTimedOut);
}

bool Transport::ReportAbandonedAnswer() {
  std::string message;
  if (failureKind_ == FailureKind::AnswerTooLarge) {
    message = std::string(kAnswerTooLargeMessage) + std::to_string(answerLimit_ >> 20) + " МБ).";
  } else if (failureKind_ == FailureKind::AnswerTooManyLines) {
    message = std::string(kAnswerTooManyLinesMessage) + std::to_string(kAnswerLineLimit) + ").";
  } else if (failureKind_ == FailureKind::AnswerTimedOut) {
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(answerDeadline_).count();
    message = std::string(kAnswerTimedOutMessage) + std::to_string(seconds) + " с.";
  } else {
    return false;
  }
  failureKind_ = FailureKind::None;
  ShowErrorBox(ui_, kCaption, message + std::string(kExchangeAbandoned));
  return true;
}

void Transport::FailExchange(bool keepAnswerLines) {
  CloseConnection();
  if (!keepAnswerLines) answerLines_.Clear();
  state_ = ExchangeResult::Failed;
}

void Transport::CloseConnection() {
  if (!connection_) return;
  asio::error_code ignored;
  connection_->resolver.cancel();
  connection_->socket.close(ignored);
  connection_.reset();
}

}  // namespace talor
