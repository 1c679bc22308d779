#include "server/tcp_server.h"

#include <algorithm>
#include <asio/executor_work_guard.hpp>
#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/post.hpp>
#include <asio/steady_timer.hpp>
#include <asio/write.hpp>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "client/framing.h"
#include "text/encoding.h"

namespace talor::server {

namespace {

using asio::ip::tcp;
using Clock = std::chrono::steady_clock;

constexpr int kListenBacklog = 1024;
// How long the server waits for the stop level after a stop packet.
constexpr auto kStopLevelWait = std::chrono::milliseconds(500);
// How long a connection stays open after its answer for what the client
// still sends (a stop level, a trailing line), so that the close does not
// reset the connection before the answer is read.
constexpr auto kDrainWait = std::chrono::milliseconds(100);
// The pause before accepting again when the process is out of descriptors.
constexpr auto kAcceptRetry = std::chrono::milliseconds(100);
constexpr size_t kMaxHttpHeaderBytes = 16384;
// More connections at once are closed as soon as they are accepted.
constexpr size_t kMaxConnections = 4096;
// Bytes read from one socket per turn of the I/O thread.
constexpr size_t kChunk = 65536;
// The stop level is looked for in this many bytes after a stop packet.
constexpr size_t kMaxStopTail = 8;

enum class Kind { Plain, Gateway };

// A listening socket; `retry` paces accepting when descriptors run out.
struct Listener {
  Listener(tcp::acceptor acceptor, Kind kind)
      : acceptor(std::move(acceptor)), retry(this->acceptor.get_executor()), kind(kind) {}
  tcp::acceptor acceptor;
  asio::steady_timer retry;
  const Kind kind;
};

// Runs jobs on a fixed set of threads.
class WorkerPool {
 public:
  ~WorkerPool() { Stop(); }

  void Start(int threads) {
    for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { Run(); });
  }
  // Queues `job`; dropped once the pool has stopped.
  void Post(std::function<void()> job) {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) return;
      jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
  }
  // Ends the threads after the jobs they are running; queued jobs are
  // dropped (destroyed on the calling thread).
  void Stop() {
    std::deque<std::function<void()>> dropped;
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
      dropped.swap(jobs_);
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) thread.join();
    threads_.clear();
  }

 private:
  void Run() {
    while (true) {
      std::function<void()> job;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (stopping_) return;
        job = std::move(jobs_.front());
        jobs_.pop_front();
      }
      job();
    }
  }

  // Guarded by mutex_.
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  bool stopping_ = false;
  // Set by Start.
  std::vector<std::thread> threads_;
};

enum class Step { More, Bad, Ready };

// The plain packet at the start of `data`: a length line whose LF comes
// within the first kMaxLengthDigits + 2 bytes, then that many bytes. When
// complete, `packet` is the counted text and `end` its end in `data`.
Step FramePlain(std::string_view data, std::string_view& packet, size_t& end) {
  size_t lineEnd = data.substr(0, kMaxLengthDigits + 2).find('\n');
  if (lineEnd == std::string_view::npos)
    return data.size() > kMaxLengthDigits + 1 ? Step::Bad : Step::More;
  std::optional<size_t> length = ParseLengthLine(data.substr(0, lineEnd));
  if (!length) return Step::Bad;
  if (data.size() - lineEnd - 1 < *length) return Step::More;
  packet = data.substr(lineEnd + 1, *length);
  end = lineEnd + 1 + *length;
  return Step::Ready;
}

// The gateway form at the start of `data`: an HTTP head, then a body of
// Content-length bytes. Complete when the body is all there or when the
// request is refused with `status`.
struct GatewayFrame {
  bool complete = false;
  std::string_view status;
  std::string_view body;
};

GatewayFrame Refuse(std::string_view status) { return {true, status, {}}; }

// The value of the header `name` (lower case) in `head`; nullopt when absent.
std::optional<std::string> HeaderValue(std::string_view head, std::string_view name) {
  std::string lower = AnsiLowerCase(head);
  size_t field = lower.find("\r\n" + std::string(name) + ":");
  if (field == std::string::npos) return std::nullopt;
  std::string_view value = std::string_view(lower).substr(field + name.size() + 3);
  value = value.substr(0, value.find("\r\n"));
  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  return std::string(value);
}

GatewayFrame FrameGateway(std::string_view data) {
  size_t end = data.find("\r\n\r\n");
  if (end == std::string_view::npos)
    return data.size() > kMaxHttpHeaderBytes ? Refuse("431 Request Header Fields Too Large")
                                             : GatewayFrame{};
  std::string_view head = data.substr(0, end);
  std::string_view requestLine = head.substr(0, head.find("\r\n"));
  if (!requestLine.starts_with("POST ")) return Refuse("405 Method Not Allowed");
  if (!requestLine.substr(5).starts_with(kGatewayPath) ||
      !requestLine.substr(5 + kGatewayPath.size()).starts_with(" "))
    return Refuse("404 Not Found");
  std::optional<std::string> value = HeaderValue(head, "content-length");
  if (!value) return Refuse("411 Length Required");
  std::optional<size_t> length = ParseLengthLine(*value);
  if (!length) return Refuse("413 Content Too Large");
  std::string_view body = data.substr(end + 4);
  if (body.size() < *length) return {};
  return {true, {}, body.substr(0, *length)};
}

// The request text of a tunnelled body: what precedes its end marker.
std::string_view TunnelledRequest(std::string_view body) {
  size_t marker = body.rfind(kEndMarker);
  if (marker == std::string_view::npos) return body;
  body = body.substr(0, marker);
  if (body.ends_with("\r\n")) body.remove_suffix(2);
  return body;
}

std::string HttpRefusal(std::string_view status) {
  return "HTTP/1.0 " + std::string(status) +
         "\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n" + std::string(status) + "\r\n";
}

// The framed answer to `request`, wrapped for the gateway when `tunnelled`.
std::string AnswerText(Service& service, const Request& request, bool tunnelled) {
  talor::server::Answer answer;
  if (request.isStop) {
    int signalled =
        service.sessions().Cancel(SessionKey(request.user, request.clientId), request.stopLevel);
    answer.lines.Add(std::to_string(signalled));
  } else {
    answer = service.Handle(request);
  }
  AnswerFrame frame{request.command, request.clientId, request.sequence, true};
  std::string text = answer.binary
                         ? BuildAnswer(frame, answer.lines, std::string_view(*answer.binary))
                         : BuildAnswer(frame, answer.lines);
  return tunnelled ? WrapTunnelAnswer(text) : text;
}

}  // namespace

int DefaultWorkerThreads() {
  return std::max(4, 2 * static_cast<int>(std::thread::hardware_concurrency()));
}

struct TcpServer::Impl {
  Impl(Service& service, const ServerOptions& options) : service(service), options(options) {}

  // Listens on `port` (0 for any free one) and stores the bound port.
  Status Listen(uint16_t port, Kind kind, uint16_t* bound);
  void Accept(Listener& listener);
  void Serve(tcp::socket socket, Kind kind);

  // Constant after construction.
  Service& service;
  const ServerOptions& options;
  // Open connections; counted by the connections themselves.
  std::atomic<size_t> open{0};
  // Where the I/O thread reads into before a connection takes the bytes.
  std::vector<char> scratch = std::vector<char>(kChunk);
  asio::io_context io{1};
  asio::executor_work_guard<asio::io_context::executor_type> work = asio::make_work_guard(io);
  // Touched by the I/O thread only, once it runs.
  std::vector<std::unique_ptr<Listener>> listeners;
  WorkerPool workers;
  std::thread ioThread;
};

// One client's connection, from accept to close. Lives on the I/O thread;
// a worker holds it only while the service answers its request.
class TcpServer::Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(Impl& server, tcp::socket socket, Kind kind)
      : server_(server),
        socket_(std::move(socket)),
        deadline_(server.io),
        wait_(server.io),
        kind_(kind) {
    ++server_.open;
    asio::error_code ec;
    tcp::endpoint peer = socket_.remote_endpoint(ec);
    if (!ec) peer_ = peer.address().to_string();
  }
  ~Connection() { --server_.open; }

  void Start() {
    ArmDeadline(server_.options.requestTimeout);
    OnReadable();  // the request is often there already
  }

 private:
  enum class Phase { Request, StopLevel, Working, Writing, Draining, Closed };

  void ArmDeadline(Clock::duration left) {
    deadline_.expires_after(left);
    deadline_.async_wait([self = shared_from_this()](asio::error_code ec) {
      if (!ec) self->Close();
    });
  }

  void AwaitBytes() {
    socket_.async_wait(tcp::socket::wait_read, [self = shared_from_this()](asio::error_code ec) {
      if (!ec) self->OnReadable();
    });
  }

  void OnReadable() {
    if (phase_ != Phase::Request && phase_ != Phase::StopLevel && phase_ != Phase::Draining) return;
    asio::error_code ec;
    size_t n = socket_.read_some(asio::buffer(server_.scratch), ec);
    if (ec == asio::error::would_block) return AwaitBytes();
    bool ended = ec || n == 0;
    if (phase_ == Phase::Draining) return ended ? Close() : AwaitBytes();
    buffer_.append(server_.scratch.data(), n);
    if (phase_ == Phase::StopLevel) return TakeStopLevel(ended);
    if (kind_ == Kind::Plain) return TakePlain(ended);
    TakeGateway(ended);
  }

  void TakePlain(bool ended) {
    std::string_view packet;
    size_t end = 0;
    Step step = FramePlain(buffer_, packet, end);
    if (step == Step::Bad || (step == Step::More && ended)) return Close();
    if (step == Step::More) return AwaitBytes();
    std::optional<Request> request = ParseRequest(packet);
    if (!request) return Close();
    request->peerAddress = peer_;
    if (!request->isStop) return Dispatch(std::move(*request), false);
    // The stop level follows the counted packet: LF and one digit.
    buffer_.erase(0, end);
    stop_ = std::move(*request);
    phase_ = Phase::StopLevel;
    wait_.expires_after(kStopLevelWait);
    wait_.async_wait([self = shared_from_this()](asio::error_code ec) {
      if (!ec && self->phase_ == Phase::StopLevel) self->AnswerStop();
    });
    TakeStopLevel(ended);
  }

  void TakeStopLevel(bool ended) {
    bool known =
        buffer_.size() >= kMaxStopTail || buffer_.find_first_of("0123456789") != std::string::npos;
    if (!known && !ended) return AwaitBytes();
    AnswerStop();
  }

  // Answered on the I/O thread: it only signals running requests, and must
  // not wait behind them for a worker.
  void AnswerStop() {
    wait_.cancel();
    size_t digit = std::string_view(buffer_).substr(0, kMaxStopTail).find_first_of("0123456789");
    stop_->stopLevel =
        digit != std::string::npos && buffer_[digit] != '0' ? kStopAbort : kStopGently;
    Write(AnswerText(server_.service, *stop_, false));
  }

  void TakeGateway(bool ended) {
    GatewayFrame frame = FrameGateway(buffer_);
    if (!frame.complete) return ended ? Close() : AwaitBytes();
    if (!frame.status.empty()) return Write(HttpRefusal(frame.status));
    std::optional<Request> request = ParseRequest(TunnelledRequest(frame.body));
    if (!request) return Write(HttpRefusal("400 Bad Request"));
    request->peerAddress = peer_;
    Dispatch(std::move(*request), true);
  }

  // Hands the request to a worker. The deadline stands still meanwhile: the
  // time the service takes is not the client's.
  void Dispatch(Request request, bool tunnelled) {
    phase_ = Phase::Working;
    left_ = deadline_.expiry() - Clock::now();
    deadline_.cancel();
    buffer_.clear();
    buffer_.shrink_to_fit();
    server_.workers.Post([self = shared_from_this(), request = std::move(request), tunnelled] {
      std::string answer = AnswerText(self->server_.service, request, tunnelled);
      asio::post(self->server_.io,
                 [self, answer = std::move(answer)]() mutable { self->Write(std::move(answer)); });
    });
  }

  void Write(std::string bytes) {
    if (phase_ == Phase::Closed) return;
    if (phase_ == Phase::Working) ArmDeadline(left_);
    phase_ = Phase::Writing;
    answer_ = std::move(bytes);
    asio::async_write(socket_, asio::buffer(answer_),
                      [self = shared_from_this()](asio::error_code ec, size_t) {
                        if (ec) return self->Close();
                        self->Drain();
                      });
  }

  // Ends the answer and waits briefly for the client to close its side.
  void Drain() {
    phase_ = Phase::Draining;
    answer_.clear();
    answer_.shrink_to_fit();
    asio::error_code ec;
    socket_.shutdown(tcp::socket::shutdown_send, ec);
    deadline_.cancel();
    wait_.expires_after(kDrainWait);
    wait_.async_wait([self = shared_from_this()](asio::error_code ec) {
      if (!ec) self->Close();
    });
    OnReadable();
  }

  void Close() {
    if (phase_ == Phase::Closed) return;
    phase_ = Phase::Closed;
    asio::error_code ec;
    socket_.close(ec);
    deadline_.cancel();
    wait_.cancel();
  }

  // Constant after construction.
  Impl& server_;
  // Touched by the I/O thread only.
  tcp::socket socket_;
  asio::steady_timer deadline_;
  asio::steady_timer wait_;  // for the stop level, then for the client's close
  const Kind kind_;
  std::string peer_;  // the client's address, numeric
  Phase phase_ = Phase::Request;
  Clock::duration left_{};  // of the deadline, while a worker has the request
  std::string buffer_;      // what arrived and is not taken yet
  std::optional<Request> stop_;
  std::string answer_;  // being written
};

Status TcpServer::Impl::Listen(uint16_t port, Kind kind, uint16_t* bound) {
  asio::error_code ec;
  asio::ip::address_v4 address = asio::ip::make_address_v4(options.address, ec);
  if (ec) return Status::Error("Неверный адрес сервера: " + options.address);
  tcp::acceptor acceptor(io);
  acceptor.open(tcp::v4(), ec);
  if (ec) return Status::Error("Не удалось создать сокет");
  acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
  acceptor.bind(tcp::endpoint(address, port), ec);
  if (!ec) acceptor.listen(kListenBacklog, ec);
  if (ec)
    return Status::Error("Не удалось открыть порт " + std::to_string(port) + ": " + ec.message());
  *bound = acceptor.local_endpoint(ec).port();
  listeners.push_back(std::make_unique<Listener>(std::move(acceptor), kind));
  Accept(*listeners.back());
  return Status::Ok();
}

void TcpServer::Impl::Accept(Listener& listener) {
  listener.acceptor.async_accept([this, &listener](asio::error_code ec, tcp::socket socket) {
    if (ec == asio::error::operation_aborted) return;
    bool starved = ec == asio::error::no_descriptors || ec == asio::error::no_buffer_space ||
                   ec == asio::error::no_memory;
    if (!starved) {
      if (!ec) Serve(std::move(socket), listener.kind);
      return Accept(listener);
    }
    listener.retry.expires_after(kAcceptRetry);
    listener.retry.async_wait([this, &listener](asio::error_code waited) {
      if (!waited) Accept(listener);
    });
  });
}

void TcpServer::Impl::Serve(tcp::socket socket, Kind kind) {
  if (open.load() >= kMaxConnections) return;  // the socket closes here
  asio::error_code ec;
  socket.set_option(tcp::no_delay(true), ec);
  socket.non_blocking(true, ec);
  std::make_shared<Connection>(*this, std::move(socket), kind)->Start();
}

TcpServer::TcpServer(Service& service, ServerOptions options)
    : service_(service), options_(std::move(options)) {}

TcpServer::~TcpServer() { Stop(); }

Status TcpServer::Start() {
  impl_ = std::make_unique<Impl>(service_, options_);
  uint16_t port = 0;
  uint16_t gatewayPort = 0;
  Status status = impl_->Listen(options_.port, Kind::Plain, &port);
  if (status.ok() && options_.gateway)
    status = impl_->Listen(options_.gatewayPort, Kind::Gateway, &gatewayPort);
  if (!status.ok()) {
    impl_.reset();
    return status;
  }
  port_ = port;
  gatewayPort_ = gatewayPort;
  impl_->workers.Start(options_.threads > 0 ? options_.threads : DefaultWorkerThreads());
  impl_->ioThread = std::thread([io = &impl_->io] { io->run(); });
  return Status::Ok();
}

void TcpServer::Stop() {
  if (!impl_) return;
  impl_->io.stop();
  if (impl_->ioThread.joinable()) impl_->ioThread.join();
  impl_->workers.Stop();
  // Destroying the I/O context destroys the handlers still waiting in it,
  // and with them the connections they hold.
  impl_.reset();
}

}  // namespace talor::server
