// Framing, the gateway form, bad requests, concurrency, stop packets, and
// clients that hold their connection without finishing their exchange.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "integration/demo_server.h"

namespace talor::server {
namespace {

using ProtocolTest = DemoServerTest;

TEST_F(ProtocolTest, AnswersAreFramedByteExactly) {
  RawClient client = Librarian();
  Reply reply = client.Send('O', "DEMO");
  // Ten header lines, each ended by CR LF, then the answer line.
  std::string expected_head = "O\r\n123456\r\n" + client.identity().sequenceNumber + "\r\n";
  ASSERT_EQ(reply.raw.substr(0, expected_head.size()), expected_head);
  // Line 3 (counted empty) and lines 4 to 9 end with CR LF, then line 10.
  std::string rest = "\r\n\r\n\r\n\r\n\r\n\r\n\r\n331\r\n";
  ASSERT_TRUE(reply.raw.ends_with(rest));
  std::string declared =
      reply.raw.substr(expected_head.size(), reply.raw.size() - expected_head.size() - rest.size());
  EXPECT_EQ(std::stoul(declared), expected_head.size() + rest.size());
}

TEST_F(ProtocolTest, EveryAnswerEndsWithCrLfAndPassesTheChecks) {
  RawClient client = Librarian();
  const std::pair<char, std::string> requests[] = {{'A', "librarian\nlibrarian"},
                                                   {'N', ""},
                                                   {'O', "DEMO"},
                                                   {'C', "DEMO\n2\n0\n\n"},
                                                   {'H', "DEMO\nK=\n20\n"},
                                                   {'P', "DEMO\nK=Я\n5"},
                                                   {'I', "DEMO\n1\n0\n\nK=МИР"},
                                                   {'K', "DEMO\n\"K=МИР\"\n0\n1\n@full"},
                                                   {'G', "DEMO\n@brief\n0\n1\n50"},
                                                   {'L', "10.DEMO.brief.pft"},
                                                   {'L', "11.DEMO.@page_0001.gif"},
                                                   {'Z', ""}};
  for (const auto& [command, parameters] : requests) {
    Reply reply = client.Send(command, parameters);
    EXPECT_TRUE(reply.good) << command << " " << parameters;
    std::string text = reply.raw.substr(0, reply.raw.find("TALOR_BINARY_DATA"));
    EXPECT_TRUE(text.ends_with("\r\n")) << command;
  }
}

TEST_F(ProtocolTest, ResentRequestWithCrLfHeaderIsAnswered) {
  RawClient client = Librarian();
  std::string text = BuildRequestHeader(client.identity(), 'O').value() + "DEMO";
  ASSERT_TRUE(PrepareResend(client.identity(), text));
  Reply reply;
  std::string raw = Transmit(Port(), FramePlainPacket('O', text));
  ReceivedAnswer received = SplitAnswer(raw, false);
  StringList lines = received.lines;
  EXPECT_EQ(CheckAnswer(lines, client.identity(), received), AnswerCheck::Good);
  StripAnswerHeader(lines);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].text, "331");
}

TEST_F(ProtocolTest, GatewayFormGivesTheSameAnswers) {
  RawClient client = Librarian();
  Reply plain = client.Send('K', "DEMO\n\"K=МИР\"\n3\n1\nv200^a");
  Reply tunnelled =
      client.SendTunnelled(server_->gatewayPort(), 'K', "DEMO\n\"K=МИР\"\n3\n1\nv200^a");
  ASSERT_TRUE(tunnelled.good);
  EXPECT_EQ(tunnelled.lines, plain.lines);
  EXPECT_TRUE(tunnelled.raw.starts_with("HTTP/1.0 200"));
  EXPECT_TRUE(tunnelled.raw.ends_with("TALOR_END_REQUEST"));

  Reply image = client.SendTunnelled(server_->gatewayPort(), 'L', "11.DEMO.@page_0001.gif");
  ASSERT_TRUE(image.good);
  ASSERT_TRUE(image.binary);
  EXPECT_EQ(image.binary->substr(0, 6), "GIF89a");
  EXPECT_EQ(*image.binary, *client.Send('L', "11.DEMO.@page_0001.gif").binary);
}

TEST_F(ProtocolTest, GatewayRefusesOtherRequests) {
  uint16_t port = server_->gatewayPort();
  EXPECT_TRUE(Transmit(port, "GET / HTTP/1.0\r\n\r\n").starts_with("HTTP/1.0 405"));
  EXPECT_TRUE(Transmit(port, "POST /other HTTP/1.0\r\nContent-length: 1\r\n\r\nx")
                  .starts_with("HTTP/1.0 404"));
  EXPECT_TRUE(
      Transmit(port, "POST /cgi-bin/wwwtalor.exe HTTP/1.0\r\n\r\n").starts_with("HTTP/1.0 411"));
  EXPECT_TRUE(Transmit(port, "POST /cgi-bin/wwwtalor.exe HTTP/1.0\r\nContent-length: 3\r\n\r\nabc")
                  .starts_with("HTTP/1.0 400"));
  EXPECT_TRUE(Transmit(port,
                       "POST /cgi-bin/wwwtalor.exe HTTP/1.0\r\nContent-length: "
                       "99999999999\r\n\r\n")
                  .starts_with("HTTP/1.0 413"));
}

TEST_F(ProtocolTest, BadRequestsCloseTheConnectionAndTheServerCarriesOn) {
  struct Row {
    std::string_view name;
    std::string bytes;
  };
  const Row rows[] = {
      {"garbage", "hello world\n"},
      {"length line not a number", "12x\nO\nR\nO\n1\n1\npw\nu\n\n\n\nDEMO"},
      {"huge declared length", "9999999999\nO\n"},
      {"length line without end", std::string(64, '7')},
      {"truncated packet", "500\nO\nR\nO\n1\n1\nlibrarian\nlibrarian\n\n\n\nDEMO"},
      {"header cut short", "8\nO\nR\nO\n1\n"},
      {"binary noise", std::string("\0\xff\x01\n\x1f\x1e", 6)},
      {"empty", ""},
  };
  for (const Row& row : rows) EXPECT_EQ(Transmit(Port(), row.bytes, true), "") << row.name;
  RawClient client = Librarian();
  EXPECT_EQ(client.Send('N', "").Line(0), "0");
}

TEST_F(ProtocolTest, ManyClientsAtOnce) {
  constexpr int kClients = 16;
  constexpr int kRequests = 25;
  std::atomic<int> good{0};
  std::vector<std::thread> threads;
  for (int c = 0; c < kClients; ++c) {
    threads.emplace_back([c, &good] {
      RawClient client(Port(), "librarian", "librarian", std::to_string(1000 + c));
      for (int i = 0; i < kRequests; ++i) {
        Reply reply = client.Send('K', "DEMO\n\"K=МИР\"\n2\n1\nmfn");
        if (reply.good && reply.Line(0) == "0" && reply.lines.size() == 4) ++good;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(good.load(), kClients * kRequests);
}

TEST_F(ProtocolTest, StopPacketIsAnsweredForItsClient) {
  RawClient client = Librarian();
  ASSERT_TRUE(BuildRequestHeader(client.identity(), 'K'));
  client.identity().stopCounter = 2;  // the second press: level 1
  std::string raw = Transmit(Port(), FrameStopPacket(client.identity()));
  ReceivedAnswer received = SplitAnswer(raw, false);
  StringList lines = received.lines;
  EXPECT_EQ(CheckAnswer(lines, client.identity(), received), AnswerCheck::Good);
  StripAnswerHeader(lines);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, "0");  // nothing of this client was running
  EXPECT_EQ(client.Send('N', "").Line(0), "0");
}

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A connection the test holds open: it sends some bytes and then waits, or
// trickles more, or never reads its answer. A small receive buffer keeps an
// unread answer on the server's side.
class HeldConnection {
 public:
  HeldConnection(uint16_t port, std::string_view bytes) : opened_(Clock::now()) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    int small = 4096;
    setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    Send(bytes);
  }
  ~HeldConnection() { close(fd_); }
  HeldConnection(const HeldConnection&) = delete;
  HeldConnection& operator=(const HeldConnection&) = delete;

  // Reads until the server closes the connection, sending one byte of
  // `trickle` every 250 ms meanwhile; the time from opening to the close,
  // nullopt when `limit` from opening passes first.
  std::optional<Clock::duration> WaitForClose(Clock::duration limit,
                                              std::string_view trickle = {}) {
    while (connected_ && Clock::now() - opened_ < limit) {
      if (!trickle.empty()) {
        if (!Send(trickle.substr(0, 1))) return Clock::now() - opened_;
        trickle.remove_prefix(1);
      }
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 250) <= 0) continue;
      char buffer[65536];
      ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
      if (n <= 0) return Clock::now() - opened_;
      received_ += static_cast<size_t>(n);
    }
    return std::nullopt;
  }

  // Waits, reading nothing, until bytes arrive; false after `limit`.
  bool WaitForBytes(Clock::duration limit) {
    pollfd p{fd_, POLLIN, 0};
    return connected_ &&
           poll(&p, 1,
                static_cast<int>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(limit).count())) > 0;
  }

  size_t received() const { return received_; }

 private:
  bool Send(std::string_view bytes) {
    return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
  }

  const Clock::time_point opened_;
  int fd_ = -1;
  bool connected_ = false;
  size_t received_ = 0;
};

// A server of two workers and a short deadline, for clients that hold their
// connections.
class HeldConnectionsTest : public ::testing::Test {
 protected:
  static constexpr Clock::duration kDeadline = 6s;
  // More than the socket buffers of both sides hold.
  static constexpr size_t kLargeAnswer = 8u << 20;

  static void SetUpTestSuite() {
    server_ = std::make_unique<ServerProcess>();
    started_ = server_->Start({"--threads", "2", "--request-timeout", "6"});
  }
  static void TearDownTestSuite() { server_.reset(); }
  void SetUp() override { ASSERT_TRUE(started_) << "talor-server did not start"; }

  // A request for a binary resource of kLargeAnswer bytes.
  static std::string LargeAnswerRequest() {
    std::filesystem::path files = server_->dataDir() / "db" / "DEMO" / "files";
    std::filesystem::create_directories(files);
    std::ofstream(files / "held.bin", std::ios::binary) << std::string(kLargeAnswer, 'x');
    RawClient client(server_->port());
    std::string text = BuildRequestHeader(client.identity(), 'L').value() + "11.DEMO.@held.bin";
    return FramePlainPacket('L', text);
  }

  // Closed by the server at its deadline: not before, and not long after.
  static ::testing::AssertionResult ClosedAtDeadline(std::optional<Clock::duration> closed) {
    if (!closed) return ::testing::AssertionFailure() << "still open";
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(*closed).count();
    if (*closed < kDeadline - 500ms || *closed > kDeadline * 5 / 2)
      return ::testing::AssertionFailure() << "closed after " << ms << " ms";
    return ::testing::AssertionSuccess();
  }

  static inline std::unique_ptr<ServerProcess> server_;
  static inline bool started_ = false;
};

TEST_F(HeldConnectionsTest, OthersAreServedAtOnceAndHeldConnectionsEndAtTheirDeadline) {
  // As many large answers that nobody reads as there are workers, each
  // begun before anything else happens.
  std::string largeAnswerRequest = LargeAnswerRequest();
  std::vector<std::unique_ptr<HeldConnection>> unread;
  for (int i = 0; i < 2; ++i)
    unread.push_back(std::make_unique<HeldConnection>(server_->port(), largeAnswerRequest));
  for (auto& connection : unread) ASSERT_TRUE(connection->WaitForBytes(kDeadline * 3));
  Clock::time_point answering = Clock::now();

  std::vector<std::unique_ptr<HeldConnection>> silent;
  for (int i = 0; i < 20; ++i)
    silent.push_back(std::make_unique<HeldConnection>(server_->port(), "2"));
  for (int i = 0; i < 2; ++i)
    silent.push_back(std::make_unique<HeldConnection>(server_->gatewayPort(), "P"));
  HeldConnection trickling(server_->port(), "2");
  std::this_thread::sleep_for(300ms);

  // Five requests take milliseconds; half the deadline is far more than
  // they need under any load, and far less than a wait for a deadline.
  Clock::time_point start = Clock::now();
  RawClient client(server_->port());
  for (int i = 0; i < 5; ++i) ASSERT_EQ(client.Send('O', "DEMO").Line(0), "331") << i;
  EXPECT_LT(Clock::now() - start, kDeadline / 2);

  // A byte every 250 ms, for longer than the deadline: the deadline is for
  // the whole request, not for each byte.
  std::string trickle = "00\n" + std::string(kDeadline / 250ms * 3, 'x');
  EXPECT_TRUE(ClosedAtDeadline(trickling.WaitForClose(kDeadline * 3, trickle)));
  for (auto& connection : silent)
    EXPECT_TRUE(ClosedAtDeadline(connection->WaitForClose(kDeadline * 3)));
  // Read only once their deadline has surely passed.
  std::this_thread::sleep_until(answering + kDeadline + 1s);
  for (auto& connection : unread) {
    EXPECT_TRUE(ClosedAtDeadline(connection->WaitForClose(kDeadline * 3)));
    EXPECT_LT(connection->received(), kLargeAnswer);
  }
  EXPECT_EQ(client.Send('O', "DEMO").Line(0), "331");
}

}  // namespace
}  // namespace talor::server
