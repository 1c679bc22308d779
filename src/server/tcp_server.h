// The network front of the catalogue server: a plain listener speaking the
// catalogue protocol (one request per connection: length line, packet,
// answer, close) and an optional HTTP gateway listener for the tunnel form
// (POST to the gateway path).
//
// One I/O thread reads and writes every connection without blocking; a
// complete request goes to a fixed pool of worker threads that runs the
// service, and its answer goes back to the I/O thread to be written. Every
// connection has one deadline, ServerOptions::requestTimeout, for reading its
// request and writing its answer together (the time the service itself
// spends on the request is not counted); a connection that misses it is
// closed without an answer. So a client that sends nothing, trickles its
// bytes or stops reading its answer costs a socket until its deadline, never
// a worker and never another client's time.

#ifndef TALOR_SERVER_TCP_SERVER_H_
#define TALOR_SERVER_TCP_SERVER_H_

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "server/service.h"
#include "text/status.h"

namespace talor::server {

inline constexpr std::chrono::seconds kDefaultRequestTimeout{10};

struct ServerOptions {
  std::string address = "127.0.0.1";  // IPv4
  uint16_t port = 6666;               // 0: an ephemeral port
  bool gateway = false;               // also listen for the HTTP gateway
  uint16_t gatewayPort = 0;           // 0: an ephemeral port
  int threads = 0;                    // workers; 0: DefaultWorkerThreads()
  std::chrono::milliseconds requestTimeout{kDefaultRequestTimeout};
};

// The worker count for this machine: twice the processors, at least 4.
int DefaultWorkerThreads();

class TcpServer {
 public:
  TcpServer(Service& service, ServerOptions options);
  ~TcpServer();
  TcpServer(const TcpServer&) = delete;
  TcpServer& operator=(const TcpServer&) = delete;

  // Binds and starts serving. An error (in Russian) when a socket cannot be
  // bound; nothing is left running then.
  Status Start();
  // Stops accepting and closes every connection; requests the workers are
  // running finish (their answers are dropped), queued ones are not run.
  void Stop();

  // The bound ports (after Start).
  uint16_t port() const { return port_; }
  uint16_t gatewayPort() const { return gatewayPort_; }

 private:
  struct Impl;
  class Connection;

  // Constant after construction.
  Service& service_;
  const ServerOptions options_;
  // Set by Start.
  std::unique_ptr<Impl> impl_;
  uint16_t port_ = 0;
  uint16_t gatewayPort_ = 0;
};

}  // namespace talor::server

#endif  // TALOR_SERVER_TCP_SERVER_H_
