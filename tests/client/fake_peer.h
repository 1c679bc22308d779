// A catalogue server stand-in for transport tests: listens on 127.0.0.1 on
// an ephemeral port, serves every connection on its own thread, and answers
// each request as its script says — a good answer, a corrupt one, a slow one,
// none at all. Stop packets are recorded and never answered.

#ifndef TALOR_TESTS_CLIENT_FAKE_PEER_H_
#define TALOR_TESTS_CLIENT_FAKE_PEER_H_

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace talor::testing {

struct PeerRequest {
  std::string bytes;    // everything the client sent on this connection
  bool tunnel = false;  // came as an HTTP POST
  bool stop = false;    // a stop packet
  std::string stopLevel;
  // Plain: the lines after the length line (command, workstation, command,
  // client id, sequence, password, user, three header lines, parameters).
  // Tunnel: the lines of the POST body, the same layout.
  std::vector<std::string> lines;
  std::string Line(size_t index) const { return index < lines.size() ? lines[index] : ""; }
  std::string command() const { return Line(0); }
  std::string clientId() const { return Line(3); }
  std::string sequence() const { return Line(4); }
  bool resent() const { return Line(9) == "1"; }
  // The parameter lines, from line 10 on.
  std::vector<std::string> parameters() const;
};

struct PeerReply {
  std::string bytes;
  std::chrono::milliseconds delay{0};
  bool hold = false;  // answer nothing and keep the connection open
  // Leave the connection open after sending (a tunnel gateway that relies
  // on the client closing at the end marker).
  bool keepOpen = false;
  // After `bytes`, `filler` is sent `fillerTimes` times, `fillerPause`
  // apart, or until the client closes; kEndless never stops by itself.
  std::string filler = {};
  size_t fillerTimes = 0;
  std::chrono::milliseconds fillerPause{0};
  static constexpr size_t kEndless = SIZE_MAX;
};

// How to shape an answer for AnswerBytes.
struct AnswerShape {
  bool declareLength = true;
  int lengthError = 0;  // added to the declared length
  std::optional<std::string> clientId;
  std::optional<std::string> sequence;
  std::string binary;
  bool withBinary = false;
};

// The bytes of an answer to `request` carrying `lines` as its answer proper
// (line 10 on), each line ended by CR LF, with the binary block after the
// marker when the shape says so.
std::string AnswerBytes(const PeerRequest& request, const std::vector<std::string>& lines,
                        const AnswerShape& shape = {});
// The same wrapped for a gateway: HTTP status and headers, the start marker
// line, the answer, and the end marker.
std::string TunnelAnswerBytes(const PeerRequest& request, const std::vector<std::string>& lines,
                              const AnswerShape& shape = {});

class FakePeer {
 public:
  // `script` is called for every request that is not a stop packet, with the
  // request and its number from 0.
  using Script = std::function<PeerReply(const PeerRequest&, int)>;

  // Listens on 127.0.0.1; port 0 takes an ephemeral port.
  explicit FakePeer(Script script, uint16_t port = 0);
  ~FakePeer();
  FakePeer(const FakePeer&) = delete;
  FakePeer& operator=(const FakePeer&) = delete;

  bool listening() const { return listener_ >= 0; }
  uint16_t port() const { return port_; }
  std::string portText() const { return std::to_string(port_); }

  std::vector<PeerRequest> requests() const;
  std::vector<PeerRequest> stops() const;
  int requestCount() const;
  // Connections whose first bytes arrived (also those that never finished).
  int connectionCount() const { return connections_.load(); }

 private:
  void AcceptLoop();
  void Serve(int socket);

  Script script_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  std::thread acceptor_;
  mutable std::mutex mutex_;
  std::vector<std::thread> workers_;
  std::vector<PeerRequest> requests_;
  std::vector<PeerRequest> stops_;
};

}  // namespace talor::testing

#endif  // TALOR_TESTS_CLIENT_FAKE_PEER_H_
