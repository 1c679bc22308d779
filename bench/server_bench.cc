// Latency and throughput of the catalogue server.
//
// With TALOR_BENCH_DATA set to a data directory made by
// tools/make_bench_catalogue.py and `talor-server init` (1 000 000 records
// by default), the benchmarks run on it; otherwise a data directory of
// kDefaultRecords records of the same shape is built in a temporary folder
// first. Write benchmarks add records to the data directory.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "bench_catalogue.h"
#include "client/framing.h"
#include "server/tcp_server.h"

namespace {

using namespace talor;
using namespace talor::server;

constexpr int kDefaultRecords = 20000;

using bench::Letters;

struct Bench : bench::CatalogueService {
  Bench() : CatalogueService(bench::BenchDataDirectory(kDefaultRecords)) {}
  Answer Handle(char command, std::vector<std::string> parameters) {
    Request request;
    request.command = command;
    request.clientId = "1";
    request.user = "bench";
    request.password = "bench";
    request.parameters = std::move(parameters);
    return service->Handle(request);
  }
};

Bench& Shared() {
  static Bench bench;
  return bench;
}

void Search(benchmark::State& state, const char* expression) {
  Bench& bench = Shared();
  size_t hits = 0;
  for (auto _ : state) {
    Answer answer = bench.Handle('K', {"BENCH", expression, "10", "1", ""});
    hits = answer.lines.size() > 1 ? std::stoul(answer.lines[1].text) : 0;
  }
  state.counters["hits"] = static_cast<double>(hits);
}

void BM_OneTermSearch(benchmark::State& state) { Search(state, "\"K=WDW\""); }
BENCHMARK(BM_OneTermSearch)->Unit(benchmark::kMicrosecond);

void BM_AndOfTwoFrequentTerms(benchmark::State& state) { Search(state, "\"K=WA\" * \"K=WB\""); }
BENCHMARK(BM_AndOfTwoFrequentTerms)->Unit(benchmark::kMillisecond);

void BM_TruncatedTerm(benchmark::State& state) { Search(state, "\"K=WE$\""); }
BENCHMARK(BM_TruncatedTerm)->Unit(benchmark::kMillisecond);

void BM_TermListPortion(benchmark::State& state) {
  Bench& bench = Shared();
  for (auto _ : state) benchmark::DoNotOptimize(bench.Handle('H', {"BENCH", "K=WC", "100", ""}));
}
BENCHMARK(BM_TermListPortion)->Unit(benchmark::kMicrosecond);

void BM_Format1000Records(benchmark::State& state) {
  Bench& bench = Shared();
  for (auto _ : state)
    benchmark::DoNotOptimize(
        bench.Handle('G', {"BENCH", "v200^a,| / |v700^a,|, |v210^d", "0", "1", "1000"}));
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_Format1000Records)->Unit(benchmark::kMillisecond);

void BM_IndexedWrite(benchmark::State& state) {
  Bench& bench = Shared();
  int i = 0;
  for (auto _ : state) {
    std::string record =
        "0#0\x1f\x1e"
        "0#0\x1f\x1e"
        "200#^AW" +
        Letters(i++ % 5000) +
        " WH WM WKO\x1f\x1e"
        "700#^AA1\x1f\x1e";
    benchmark::DoNotOptimize(bench.Handle('D', {"BENCH", "0", "1", record}));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_IndexedWrite)->Unit(benchmark::kMillisecond);

// Whole requests over loopback TCP, 32 clients at once.
uint16_t ServerPort() {
  static TcpServer* server = [] {
    ServerOptions options;
    options.port = 0;  // ephemeral; the worker count is the default for the machine
    auto* s = new TcpServer(*Shared().service, options);
    if (Status started = s->Start(); !started.ok()) {
      std::fprintf(stderr, "%s\n", started.message().c_str());
      std::exit(1);
    }
    return s;
  }();
  return server->port();
}

std::string Exchange(uint16_t port, const std::string& packet) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string answer;
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      send(fd, packet.data(), packet.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(packet.size())) {
    char buffer[65536];
    ssize_t n;
    while ((n = recv(fd, buffer, sizeof buffer, 0)) > 0)
      answer.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return answer;
}

// One kind of request sent over and over by each of 32 clients, a fresh
// connection per request as the protocol has it; items/s is requests/s.
void Throughput(benchmark::State& state, char command, std::string_view parameters) {
  uint16_t port = ServerPort();
  std::string text = std::string("R\n") + command + "\n" + std::to_string(state.thread_index()) +
                     "\n1\nbench\nbench\n\n\n\n" + std::string(parameters);
  std::string packet = FramePlainPacket(command, text);
  int64_t failed = 0;
  for (auto _ : state)
    if (Exchange(port, packet).empty()) ++failed;
  state.SetItemsProcessed(state.iterations());
  state.counters["failed"] = static_cast<double>(failed);
}

// A one-term search showing the first 10 hits in a brief format.
void BM_SearchThroughput32Clients(benchmark::State& state) {
  Throughput(state, 'K', "BENCH\n\"K=WDW\"\n10\n1\nv200^a,| / |v700^a");
}
BENCHMARK(BM_SearchThroughput32Clients)->Threads(32)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_NoOperationThroughput32Clients(benchmark::State& state) { Throughput(state, 'N', ""); }
BENCHMARK(BM_NoOperationThroughput32Clients)
    ->Threads(32)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

void BM_RecordReadThroughput32Clients(benchmark::State& state) {
  Throughput(state, 'C', "BENCH\n" + std::to_string(1 + state.thread_index() * 97) + "\n0\n");
}
BENCHMARK(BM_RecordReadThroughput32Clients)
    ->Threads(32)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
