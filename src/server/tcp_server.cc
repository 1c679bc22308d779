#include "server/tcp_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "client/framing.h"
#include "server/return_codes.h"
#include "text/encoding.h"

namespace talor::server {

namespace {

constexpr int kListenBacklog = 128;
constexpr auto kAcceptPoll = std::chrono::milliseconds(200);
// How long the server waits for the stop level after a stop packet.
constexpr auto kStopLevelWait = std::chrono::milliseconds(500);
constexpr size_t kMaxHttpHeaderBytes = 16384;
constexpr size_t kMaxQueuedConnections = 1024;
constexpr size_t kChunk = 65536;

// Waits until `fd` is readable; false on timeout or error.
bool WaitReadable(int fd, std::chrono::milliseconds timeout) {
  pollfd p{fd, POLLIN, 0};
  int rc;
  do {
    rc = poll(&p, 1, static_cast<int>(timeout.count()));
  } while (rc < 0 && errno == EINTR);
  return rc > 0;
}

// Reads up to `max` bytes (at least 1 unless the peer closed); nullopt on
// timeout or error, empty at end of stream.
std::optional<std::string> ReadSome(int fd, size_t max, std::chrono::milliseconds timeout) {
  if (!WaitReadable(fd, timeout)) return std::nullopt;
  std::string buffer(max, '\0');
  ssize_t n;
  do {
    n = recv(fd, buffer.data(), max, 0);
  } while (n < 0 && errno == EINTR);
  if (n < 0) return std::nullopt;
  buffer.resize(static_cast<size_t>(n));
  return buffer;
}

// Reads exactly `count` bytes; false when the stream ends or times out
// first. The timeout applies to the whole read.
bool ReadExactly(int fd, size_t count, std::string& out, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (out.size() < count) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    std::optional<std::string> part = ReadSome(fd, std::min(kChunk, count - out.size()), left);
    if (!part || part->empty()) return false;
    out += *part;
  }
  return true;
}

bool SendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Ends the answer; the worker closes the socket afterwards.
void FinishAnswer(int fd) {
  shutdown(fd, SHUT_WR);
  // Drain what the client still sends (a stop level, a trailing line) so
  // that the close does not reset the connection before the answer is read.
  char sink[256];
  if (WaitReadable(fd, std::chrono::milliseconds(100))) {
    while (recv(fd, sink, sizeof sink, MSG_DONTWAIT) > 0) {
    }
  }
}

int Listen(const std::string& address, uint16_t port, uint16_t& bound, std::string& error) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  if (inet_pton(AF_INET, address.c_str(), &addr.sin_addr) != 1) {
    error = "Неверный адрес сервера: " + address;
    return -1;
  }
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = "Не удалось создать сокет";
    return -1;
  }
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(fd, kListenBacklog) != 0) {
    error = "Не удалось открыть порт " + std::to_string(port) + ": " + std::strerror(errno);
    close(fd);
    return -1;
  }
  socklen_t length = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
  bound = ntohs(addr.sin_port);
  return fd;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = AnsiLowerChar(c);
  return lower;
}

}  // namespace

TcpServer::TcpServer(Service& service, ServerOptions options)
    : service_(service), options_(std::move(options)) {}

TcpServer::~TcpServer() { Stop(); }

bool TcpServer::Start(std::string& error) {
  listener_ = Listen(options_.address, options_.port, port_, error);
  if (listener_ < 0) return false;
  if (options_.gateway) {
    gatewayListener_ = Listen(options_.address, options_.gatewayPort, gatewayPort_, error);
    if (gatewayListener_ < 0) {
      close(listener_);
      listener_ = -1;
      return false;
    }
  }
  int workers = std::max(1, options_.threads);
  for (int i = 0; i < workers; ++i) threads_.emplace_back([this] { WorkerLoop(); });
  threads_.emplace_back([this] { AcceptLoop(listener_, Kind::Plain); });
  if (gatewayListener_ >= 0)
    threads_.emplace_back([this] { AcceptLoop(gatewayListener_, Kind::Gateway); });
  return true;
}

void TcpServer::Stop() {
  if (stopping_.exchange(true)) return;
  {
    // Wake every worker that waits for a slow client.
    std::lock_guard lock(mutex_);
    for (int fd : active_) shutdown(fd, SHUT_RDWR);
  }
  wake_.notify_all();
  for (std::thread& thread : threads_)
    if (thread.joinable()) thread.join();
  threads_.clear();
  for (int* fd : {&listener_, &gatewayListener_}) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
  }
  std::lock_guard lock(mutex_);
  for (const Job& job : jobs_) close(job.fd);
  jobs_.clear();
}

void TcpServer::AcceptLoop(int listener, Kind kind) {
  while (!stopping_.load()) {
    if (!WaitReadable(listener, kAcceptPoll)) continue;
    int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::lock_guard lock(mutex_);
    if (jobs_.size() >= kMaxQueuedConnections) {
      close(fd);
      continue;
    }
    jobs_.push_back({fd, kind});
    wake_.notify_one();
  }
}

void TcpServer::WorkerLoop() {
  while (true) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_.load() || !jobs_.empty(); });
      if (jobs_.empty()) return;
      job = jobs_.front();
      jobs_.pop_front();
    }
    {
      std::lock_guard lock(mutex_);
      active_.insert(job.fd);
    }
    if (job.kind == Kind::Plain)
      ServePlain(job.fd);
    else
      ServeGateway(job.fd);
    {
      std::lock_guard lock(mutex_);
      active_.erase(job.fd);
    }
    close(job.fd);
  }
}

std::string TcpServer::Answer(const Request& request) {
  talor::server::Answer answer;
  if (request.isStop) {
    int signalled =
        service_.sessions().Cancel(SessionKey(request.user, request.clientId), request.stopLevel);
    answer.lines.Add(std::to_string(signalled));
  } else {
    answer = service_.Handle(request);
  }
  AnswerFrame frame{request.command, request.clientId, request.sequence, true};
  if (answer.binary) return BuildAnswer(frame, answer.lines, std::string_view(*answer.binary));
  return BuildAnswer(frame, answer.lines);
}

void TcpServer::ServePlain(int fd) {
  // The length line, read a byte at a time so that nothing after it is lost.
  std::string line;
  while (line.size() <= kMaxLengthDigits + 1) {
    std::optional<std::string> byte = ReadSome(fd, 1, options_.ioTimeout);
    if (!byte || byte->empty()) break;
    if ((*byte)[0] == '\n') break;
    line += *byte;
  }
  std::optional<size_t> length = ParseLengthLine(line);
  std::string packet;
  if (!length || !ReadExactly(fd, *length, packet, options_.ioTimeout)) {
    return;
  }
  std::optional<Request> request = ParseRequest(packet);
  if (!request) {
    return;
  }
  if (request->isStop) {
    // The stop level follows the counted packet: LF and one digit.
    std::string tail;
    auto deadline = std::chrono::steady_clock::now() + kStopLevelWait;
    while (tail.find_first_of("0123456789") == std::string::npos && tail.size() < 8) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      std::optional<std::string> part = ReadSome(fd, 8 - tail.size(), left);
      if (!part || part->empty()) break;
      tail += *part;
    }
    size_t digit = tail.find_first_of("0123456789");
    request->stopLevel =
        digit != std::string::npos && tail[digit] != '0' ? kStopAbort : kStopGently;
  }
  SendAll(fd, Answer(*request));
  FinishAnswer(fd);
}

void TcpServer::ServeGateway(int fd) {
  auto reply = [fd](std::string_view status) {
    std::string text = "HTTP/1.0 " + std::string(status) +
                       "\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n" +
                       std::string(status) + "\r\n";
    SendAll(fd, text);
    FinishAnswer(fd);
  };
  std::string head;
  size_t end = std::string::npos;
  while ((end = head.find("\r\n\r\n")) == std::string::npos) {
    if (head.size() > kMaxHttpHeaderBytes) return reply("431 Request Header Fields Too Large");
    std::optional<std::string> part = ReadSome(fd, kMaxHttpHeaderBytes, options_.ioTimeout);
    if (!part || part->empty()) return;
    head += *part;
  }
  std::string body = head.substr(end + 4);
  head.resize(end);
  std::string lower = Lower(head);
  size_t lineEnd = head.find("\r\n");
  std::string requestLine = head.substr(0, lineEnd);
  std::string expected = "POST " + std::string(kGatewayPath) + " ";
  if (!requestLine.starts_with("POST ")) return reply("405 Method Not Allowed");
  if (!requestLine.starts_with(expected)) return reply("404 Not Found");
  size_t field = lower.find("\r\ncontent-length:");
  if (field == std::string::npos) return reply("411 Length Required");
  std::string_view value = std::string_view(lower).substr(field + 17);
  value = value.substr(0, value.find("\r\n"));
  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  std::optional<size_t> length = ParseLengthLine(value);
  if (!length) return reply("413 Content Too Large");
  if (body.size() > *length) body.resize(*length);
  if (!ReadExactly(fd, *length, body, options_.ioTimeout)) {
    return;
  }
  size_t marker = body.rfind(kEndMarker);
  if (marker != std::string::npos) {
    body.resize(marker);
    if (body.ends_with("\r\n")) body.resize(body.size() - 2);
  }
  std::optional<Request> request = ParseRequest(body);
  if (!request) return reply("400 Bad Request");
  SendAll(fd, WrapTunnelAnswer(Answer(*request)));
  FinishAnswer(fd);
}

}  // namespace talor::server
