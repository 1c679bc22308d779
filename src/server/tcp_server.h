// The network front of the catalogue server: a plain listener speaking the
// catalogue protocol (one request per connection: length line, packet,
// answer, close) and an optional HTTP gateway listener for the tunnel form
// (POST to the gateway path). Connections are served by a fixed pool of
// worker threads. Every read and write is bounded in size and time, so a
// slow, truncated or malformed request costs one worker at most
// ServerOptions::ioTimeout and never the process.

#ifndef TALOR_SERVER_TCP_SERVER_H_
#define TALOR_SERVER_TCP_SERVER_H_

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "server/service.h"

namespace talor::server {

struct ServerOptions {
  std::string address = "127.0.0.1";
  uint16_t port = 6666;      // 0: an ephemeral port
  bool gateway = false;      // also listen for the HTTP gateway
  uint16_t gatewayPort = 0;  // 0: an ephemeral port
  int threads = 16;
  std::chrono::milliseconds ioTimeout{30000};
};

class TcpServer {
 public:
  TcpServer(Service& service, ServerOptions options);
  ~TcpServer();
  TcpServer(const TcpServer&) = delete;
  TcpServer& operator=(const TcpServer&) = delete;

  // Binds and starts serving. False with `error` set (in Russian) when a
  // socket cannot be bound.
  bool Start(std::string& error);
  // Stops accepting, lets running requests finish and joins the threads.
  void Stop();

  // The bound ports (after Start).
  uint16_t port() const { return port_; }
  uint16_t gatewayPort() const { return gatewayPort_; }

 private:
  enum class Kind { Plain, Gateway };
  struct Job {
    int fd;
    Kind kind;
  };

  void AcceptLoop(int listener, Kind kind);
  void WorkerLoop();
  void ServePlain(int fd);
  void ServeGateway(int fd);
  std::string Answer(const Request& request);

  // Constant after construction.
  Service& service_;
  const ServerOptions options_;
  // Set by Start.
  int listener_ = -1;
  int gatewayListener_ = -1;
  uint16_t port_ = 0;
  uint16_t gatewayPort_ = 0;
  std::vector<std::thread> threads_;
  // Guarded by mutex_.
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  std::set<int> active_;  // sockets being served
  std::atomic<bool> stopping_{false};
};

}  // namespace talor::server

#endif  // TALOR_SERVER_TCP_SERVER_H_
