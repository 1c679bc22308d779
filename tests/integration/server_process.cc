#include "integration/server_process.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace talor::server {

namespace fs = std::filesystem;

namespace {

const char* ServerBinary() { return TALOR_BINARY_DIR "/src/app/talor-server"; }

int RunAndWait(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Reads one line from `fd` (the server's first output line).
std::string ReadLine(int fd) {
  std::string line;
  char c;
  while (read(fd, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

uint16_t PortAfter(const std::string& line, std::string_view marker) {
  size_t at = line.find(marker);
  if (at == std::string::npos) return 0;
  return static_cast<uint16_t>(std::atoi(line.c_str() + at + marker.size()));
}

}  // namespace

ServerProcess::ServerProcess() {
  std::string pattern = (fs::temp_directory_path() / "talor-integration-XXXXXX").string();
  root_ = mkdtemp(pattern.data());
  dataDir_ = root_ / "data";
  RunAndWait({ServerBinary(), "init", "--data", dataDir_.string(), "--from",
              TALOR_SOURCE_DIR "/data/demo"});
}

ServerProcess::~ServerProcess() {
  Stop();
  std::error_code ec;
  fs::remove_all(root_, ec);
}

bool ServerProcess::Start(const std::vector<std::string>& extraArgs) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  std::vector<std::string> args = {ServerBinary(), "serve", "--data",         dataDir_.string(),
                                   "--port",       "0",     "--gateway-port", "0",
                                   "--threads",    "8"};
  args.insert(args.end(), extraArgs.begin(), extraArgs.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  if (rc != 0) {
    close(pipeFds[0]);
    pid_ = -1;
    return false;
  }
  std::string line = ReadLine(pipeFds[0]);
  close(pipeFds[0]);
  port_ = PortAfter(line, "127.0.0.1:");
  gatewayPort_ = PortAfter(line, "HTTP: ");
  return port_ != 0 && gatewayPort_ != 0;
}

void ServerProcess::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

void ServerProcess::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

std::string Transmit(uint16_t port, std::string_view bytes, bool closeWriteSide) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    return "<no connection>";
  }
  timeval timeout{10, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += static_cast<size_t>(n);
  }
  if (closeWriteSide) shutdown(fd, SHUT_WR);
  std::string received;
  char buffer[65536];
  while (true) {
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    received.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return received;
}

RawClient::RawClient(uint16_t port, std::string user, std::string password, std::string clientId)
    : port_(port) {
  identity_.host = "127.0.0.1";
  identity_.port = std::to_string(port);
  identity_.workstationCode = "R";
  identity_.user = std::move(user);
  identity_.password = std::move(password);
  identity_.clientId = std::move(clientId);
}

Reply RawClient::Finish(const std::string& raw, bool tunnelled) {
  Reply reply;
  reply.raw = raw;
  ReceivedAnswer received = SplitAnswer(raw, tunnelled);
  StringList lines = received.lines;
  if (tunnelled) UnwrapTunnelAnswer(lines);
  reply.good = CheckAnswer(lines, identity_, received) == AnswerCheck::Good;
  StripAnswerHeader(lines);
  reply.lines = std::move(lines);
  reply.binary = received.binary;
  return reply;
}

Reply RawClient::Send(char command, std::string_view parameters) {
  if (command == kRegisterCommand) identity_.sequenceNumber = "0";
  std::string text = BuildRequestHeader(identity_, command).value_or("") + std::string(parameters);
  return Finish(Transmit(port_, FramePlainPacket(command, text)), false);
}

Reply RawClient::SendTunnelled(uint16_t gatewayPort, char command, std::string_view parameters) {
  std::string text = BuildRequestHeader(identity_, command).value_or("") + std::string(parameters);
  return Finish(Transmit(gatewayPort, FrameTunnelRequest(command, text, "127.0.0.1",
                                                         std::to_string(gatewayPort))),
                true);
}

}  // namespace talor::server
