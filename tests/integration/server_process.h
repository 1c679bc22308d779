// A real talor-server for the integration tests: a fresh data directory
// filled from the demo catalogue, the server started on ephemeral loopback
// ports, and a raw protocol client that frames requests and verifies
// answers exactly as the navigator's client does.

#ifndef TALOR_TESTS_INTEGRATION_SERVER_PROCESS_H_
#define TALOR_TESTS_INTEGRATION_SERVER_PROCESS_H_

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/framing.h"
#include "text/string_list.h"

namespace talor::server {

class ServerProcess {
 public:
  // Creates the data directory and loads the demo catalogue into it.
  ServerProcess();
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // Starts the server, with `extraArgs` after the usual ones (a later
  // option overrides an earlier one); false when it did not come up.
  bool Start(const std::vector<std::string>& extraArgs = {});
  // SIGTERM and wait.
  void Stop();
  // SIGKILL and wait: no chance to flush anything.
  void Kill();

  pid_t pid() const { return pid_; }
  uint16_t port() const { return port_; }
  uint16_t gatewayPort() const { return gatewayPort_; }
  const std::filesystem::path& dataDir() const { return dataDir_; }

 private:
  std::filesystem::path root_;
  std::filesystem::path dataDir_;
  pid_t pid_ = -1;
  uint16_t port_ = 0;
  uint16_t gatewayPort_ = 0;
};

// The bytes that came back on a connection until the server closed it.
std::string Transmit(uint16_t port, std::string_view bytes, bool closeWriteSide = false);

struct Reply {
  bool good = false;  // the answer passed CheckAnswer
  StringList lines;   // the answer lines after the ten header lines
  std::optional<std::string> binary;
  std::string raw;

  std::string Line(size_t index) const {
    return index < lines.size() ? lines[index].text : std::string("<none>");
  }
};

// A navigator-like session: identity, sequence numbers and framing.
class RawClient {
 public:
  RawClient(uint16_t port, std::string user = "librarian", std::string password = "librarian",
            std::string clientId = "123456");

  // Sends one command with its parameter text (already joined by LF).
  Reply Send(char command, std::string_view parameters);
  // The same through the HTTP gateway on `gatewayPort`.
  Reply SendTunnelled(uint16_t gatewayPort, char command, std::string_view parameters);

  SessionIdentity& identity() { return identity_; }

 private:
  Reply Finish(const std::string& raw, bool tunnelled);
  uint16_t port_;
  SessionIdentity identity_;
};

}  // namespace talor::server

#endif  // TALOR_TESTS_INTEGRATION_SERVER_PROCESS_H_
