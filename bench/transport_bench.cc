// One server exchange carrying a 50 MB answer through the transport, against
// reading the same bytes from a plain loopback socket. The server side is a
// thread that answers every connection with the same answer proper, framed
// with the client id and sequence number of the request it got.

#include <benchmark/benchmark.h>

#include <asio/ip/tcp.hpp>
#include <asio/read_until.hpp>
#include <asio/write.hpp>
#include <atomic>
#include <string>
#include <thread>

#include "client/transport.h"
#include "platform/scripted_user_interface.h"

namespace talor {
namespace {

constexpr size_t kAnswerBytes = 50u << 20;

std::string MakeAnswerBody() {
  std::string body = "0\r\n";
  const std::string filler(90, 'x');
  int line = 0;
  while (body.size() < kAnswerBytes) {
    body += std::to_string(++line) + "#" + filler + "\r\n";
  }
  return body;
}

class LoopbackServer {
 public:
  LoopbackServer()
      : body_(MakeAnswerBody()),
        acceptor_(context_, asio::ip::tcp::endpoint(asio::ip::address_v4::loopback(), 0)) {
    port_ = acceptor_.local_endpoint().port();
    thread_ = std::thread([this] { Serve(); });
  }
  ~LoopbackServer() {
    stopping_ = true;
    asio::error_code ignored;
    asio::ip::tcp::socket poke(context_);
    poke.connect(asio::ip::tcp::endpoint(asio::ip::address_v4::loopback(), port_), ignored);
    thread_.join();
  }
  uint16_t port() const { return port_; }
  size_t bodySize() const { return body_.size(); }

 private:
  void Serve() {
    while (!stopping_) {
      asio::ip::tcp::socket socket(context_);
      asio::error_code error;
      acceptor_.accept(socket, error);
      if (error || stopping_) continue;
      // The request: length line, command letter, workstation, command,
      // client id, sequence number, ... ; a bare "RAW" line asks for the
      // body alone.
      std::string request;
      asio::read_until(socket, asio::dynamic_buffer(request), "\n", error);
      if (request.starts_with("RAW")) {
        asio::write(socket, asio::buffer(body_), error);
        continue;
      }
      const size_t length = std::stoul(request);
      const size_t headerEnd = request.find('\n') + 1;
      while (request.size() < headerEnd + length && !error) {
        char chunk[4096];
        size_t got = socket.read_some(asio::buffer(chunk), error);
        request.append(chunk, got);
      }
      std::vector<std::string> lines;
      size_t at = headerEnd;
      for (int i = 0; i < 5; ++i) {
        size_t lf = request.find('\n', at);
        lines.push_back(request.substr(at, lf - at));
        at = lf + 1;
      }
      const std::string header =
          lines[0] + "\r\n" + lines[3] + "\r\n" + lines[4] + "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n";
      asio::write(socket, asio::buffer(header), error);
      asio::write(socket, asio::buffer(body_), error);
    }
  }

  std::string body_;
  asio::io_context context_;
  asio::ip::tcp::acceptor acceptor_;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

LoopbackServer& Server() {
  static LoopbackServer server;
  return server;
}

// The answer as the transport hands it out: one buffer, lines as views.
template <typename AnswerType>
void RunExchanges(benchmark::State& state) {
  LoopbackServer& server = Server();
  EventLoop loop;
  ScriptedUserInterface ui(loop);
  SystemClock clock;
  Transport transport(loop, ui, clock);
  transport.SetServer("127.0.0.1", std::to_string(server.port()), "R");
  transport.SetBlocking(state.range(0) != 0);
  AnswerType answer;
  // One exchange before timing: a navigator's transport lives for the whole
  // session and receives into the memory its last answer grew.
  if (transport.RunCommand('K', "DEMO", answer) != ExchangeResult::Good) {
    state.SkipWithError("exchange failed");
    return;
  }
  for (auto _ : state) {
    if (transport.RunCommand('K', "DEMO", answer) != ExchangeResult::Good) {
      state.SkipWithError("exchange failed");
      break;
    }
    benchmark::DoNotOptimize(answer.size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(server.bodySize()));
}

void BM_TransportExchange(benchmark::State& state) { RunExchanges<ServerAnswer>(state); }
BENCHMARK(BM_TransportExchange)->Arg(0)->Arg(1)->ArgName("blocking")->Unit(benchmark::kMillisecond);

// The same exchange for a caller that needs owned lines: every line is
// copied into a StringList.
void BM_TransportExchangeToStringList(benchmark::State& state) { RunExchanges<StringList>(state); }
BENCHMARK(BM_TransportExchangeToStringList)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("blocking")
    ->Unit(benchmark::kMillisecond);

void BM_PlainSocketRead(benchmark::State& state) {
  LoopbackServer& server = Server();
  asio::io_context context;
  std::string received;
  received.reserve(server.bodySize());  // as warm as the transport's buffer
  for (auto _ : state) {
    asio::ip::tcp::socket socket(context);
    socket.connect(asio::ip::tcp::endpoint(asio::ip::address_v4::loopback(), server.port()));
    asio::write(socket, asio::buffer(std::string("RAW\n")));
    received.clear();
    asio::error_code error;
    char chunk[65536];
    while (!error) {
      size_t got = socket.read_some(asio::buffer(chunk), error);
      received.append(chunk, got);
    }
    benchmark::DoNotOptimize(received.size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(server.bodySize()));
}
BENCHMARK(BM_PlainSocketRead)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace talor

BENCHMARK_MAIN();
