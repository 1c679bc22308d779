#include "client/fake_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace talor::testing {
namespace {

constexpr std::string_view kBinaryMarker = "TALOR_BINARY_DATA";
constexpr std::string_view kStartMarker = "TALOR_START_REQUEST";
constexpr std::string_view kEndMarker = "TALOR_END_REQUEST";
constexpr int kPollMs = 20;

std::vector<std::string> SplitAnyLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

// Reads what is there within `waitMs`; false on end of stream or error.
bool ReadSome(int socket, std::string& into, int waitMs) {
  pollfd descriptor{socket, POLLIN, 0};
  if (poll(&descriptor, 1, waitMs) <= 0) return true;
  char buffer[65536];
  ssize_t got = recv(socket, buffer, sizeof buffer, 0);
  if (got <= 0) return false;
  into.append(buffer, static_cast<size_t>(got));
  return true;
}

// Whether `bytes` hold a whole request; fills `request` when they do.
bool ParseRequest(const std::string& bytes, PeerRequest& request) {
  if (bytes.starts_with("POST ")) {
    size_t headerEnd = bytes.find("\r\n\r\n");
    if (headerEnd == std::string::npos) return false;
    size_t lengthAt = bytes.find("Content-length: ");
    if (lengthAt == std::string::npos || lengthAt > headerEnd) return false;
    size_t length = std::stoul(bytes.substr(lengthAt + 16));
    if (bytes.size() < headerEnd + 4 + length) return false;
    request.tunnel = true;
    std::string body = bytes.substr(headerEnd + 4, length);
    request.lines = SplitAnyLines(body);
    return true;
  }
  size_t lf = bytes.find('\n');
  if (lf == std::string::npos) return false;
  size_t length = 0;
  try {
    length = std::stoul(bytes.substr(0, lf));
  } catch (...) {
    return false;
  }
  if (bytes.size() < lf + 1 + length) return false;
  request.lines = SplitAnyLines(std::string_view(bytes).substr(lf + 1, length));
  if (request.Line(2) == "4") {
    // A stop packet: its level follows after one more LF.
    std::string tail = bytes.substr(lf + 1 + length);
    if (tail.size() < 2) return false;
    request.stop = true;
    request.stopLevel = tail.substr(1);
  }
  return true;
}

// False when the client has gone.
bool SendAll(int socket, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t sent = send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(sent));
  }
  return true;
}

}  // namespace

std::vector<std::string> PeerRequest::parameters() const {
  if (lines.size() <= 10) return {};
  std::vector<std::string> result(lines.begin() + 10, lines.end());
  if (tunnel && !result.empty() && result.back() == kEndMarker) result.pop_back();
  return result;
}

std::string AnswerBytes(const PeerRequest& request, const std::vector<std::string>& lines,
                        const AnswerShape& shape) {
  std::vector<std::string> all = {request.command(),
                                  shape.clientId.value_or(request.clientId()),
                                  shape.sequence.value_or(request.sequence()),
                                  "",
                                  "",
                                  "",
                                  "",
                                  "",
                                  "",
                                  ""};
  all.insert(all.end(), lines.begin(), lines.end());
  std::string text;
  for (const std::string& line : all) text += line + "\r\n";
  if (shape.declareLength) {
    size_t declared = text.size() + shape.lengthError;
    if (shape.withBinary) declared += kBinaryMarker.size() + shape.binary.size();
    all[3] = std::to_string(declared);
    text.clear();
    for (const std::string& line : all) text += line + "\r\n";
  }
  if (shape.withBinary) {
    text += kBinaryMarker;
    text += shape.binary;
  }
  return text;
}

std::string TunnelAnswerBytes(const PeerRequest& request, const std::vector<std::string>& lines,
                              const AnswerShape& shape) {
  std::string answer = AnswerBytes(request, lines, shape);
  return "HTTP/1.0\r\nContent-type: text/plain\r\n\r\n" + std::string(kStartMarker) + "\r\n" +
         answer + std::string(kEndMarker);
}

FakePeer::FakePeer(Script script, uint16_t port) : script_(std::move(script)) {
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  if (listener_ < 0) return;
  int yes = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 64) != 0) {
    close(listener_);
    listener_ = -1;
    return;
  }
  socklen_t size = sizeof address;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

FakePeer::~FakePeer() {
  stopping_ = true;
  if (acceptor_.joinable()) acceptor_.join();
  std::vector<std::thread> workers;
  {
    std::lock_guard lock(mutex_);
    workers.swap(workers_);
  }
  for (std::thread& worker : workers) worker.join();
  if (listener_ >= 0) close(listener_);
}

void FakePeer::AcceptLoop() {
  while (!stopping_) {
    pollfd descriptor{listener_, POLLIN, 0};
    if (poll(&descriptor, 1, kPollMs) <= 0) continue;
    int connection = accept(listener_, nullptr, nullptr);
    if (connection < 0) continue;
    std::lock_guard lock(mutex_);
    workers_.emplace_back([this, connection] { Serve(connection); });
  }
}

void FakePeer::Serve(int connection) {
  std::string bytes;
  PeerRequest request;
  bool open = true;
  bool counted = false;
  while (!stopping_ && open) {
    open = ReadSome(connection, bytes, kPollMs);
    if (!bytes.empty() && !counted) {
      counted = true;
      ++connections_;
    }
    request = PeerRequest{};
    if (ParseRequest(bytes, request)) break;
  }
  request.bytes = bytes;
  if (request.lines.empty()) {
    close(connection);
    return;
  }
  if (request.stop) {
    std::lock_guard lock(mutex_);
    stops_.push_back(request);
    close(connection);
    return;
  }
  int index;
  {
    std::lock_guard lock(mutex_);
    index = static_cast<int>(requests_.size());
    requests_.push_back(request);
  }
  PeerReply reply = script_(request, index);
  auto waitUntil = std::chrono::steady_clock::now() + reply.delay;
  std::string ignored;
  while (!stopping_ && std::chrono::steady_clock::now() < waitUntil) {
    if (!ReadSome(connection, ignored, kPollMs)) break;  // the client gave up
  }
  if (reply.hold) {
    while (!stopping_ && ReadSome(connection, ignored, kPollMs)) {
    }
  } else if (!stopping_) {
    bool clientThere = SendAll(connection, reply.bytes);
    for (size_t sent = 0; clientThere && !stopping_ && sent < reply.fillerTimes; ++sent) {
      if (reply.fillerPause.count() > 0) std::this_thread::sleep_for(reply.fillerPause);
      clientThere = SendAll(connection, reply.filler);
    }
    if (reply.keepOpen) {
      while (!stopping_ && ReadSome(connection, ignored, kPollMs)) {
      }
    }
  }
  close(connection);
}

std::vector<PeerRequest> FakePeer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::vector<PeerRequest> FakePeer::stops() const {
  std::lock_guard lock(mutex_);
  return stops_;
}

int FakePeer::requestCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(requests_.size());
}

}  // namespace talor::testing
