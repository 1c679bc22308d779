// Framing, the gateway form, bad requests, concurrency and stop packets.

#include <atomic>
#include <chrono>
#include <thread>

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

TEST_F(ProtocolTest, SlowClientDoesNotHoldUpOthers) {
  // A client that sends half a packet and then waits.
  std::thread slow([] { Transmit(Port(), "200\nO\nR\nO\n1\n1\n"); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  RawClient client = Librarian();
  for (int i = 0; i < 20; ++i) ASSERT_EQ(client.Send('O', "DEMO").Line(0), "331");
  slow.detach();  // ends when the server's read times out or the suite stops it
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

}  // namespace
}  // namespace talor::server
