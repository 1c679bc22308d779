// The time from a pseudo-URL to the finished page: the navigator's core
// (session, command processor, format engine, page writer and the headless
// page view) against the reference server running in this process on an
// ephemeral loopback port, over the BENCH catalogue (see bench_catalogue.h;
// TALOR_BENCH_DATA names a prepared data directory, for example of
// 1 000 000 records).
//
// Each page benchmark reports the page time (the pseudo-URL handed to the
// navigator until it is idle) and splits it with counters:
//   server_ms         the server exchanges of one page, replayed one after
//                     another through the session's own transport: the
//                     connection, the request, the server's work and the
//                     answer;
//   navigator_ms      the page time less server_ms: building the request,
//                     formatting on the client, writing and parsing the
//                     page, replacing its markers;
//   navigator_cpu_ms  the same part as the CPU time of the navigator's
//                     thread (the page's less the replay's). It does not
//                     depend on how long the server takes, so it stays
//                     steady where navigator_ms is the small difference of
//                     two large times;
//   exchanges         how many exchanges one page makes.
// The exchanges are found by showing the page once more, after a warm-up,
// through a loopback relay that keeps every request it passes on.
//
// The result-page formats are written into the data directory's db/BENCH/.
// With TALOR_BENCH_PAGES set, each benchmark prints its page to stderr.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "bench_catalogue.h"
#include "client/framing.h"
#include "platform/event_loop.h"
#include "platform/html_page_view.h"
#include "platform/scripted_user_interface.h"
#include "server/tcp_server.h"
#include "shell/navigator_session.h"
#include "text/encoding.h"

namespace {

using namespace talor;
using Clock = std::chrono::steady_clock;

// The CPU time of the calling thread, in seconds.
double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

constexpr int kDefaultRecords = 20000;
constexpr int kServerThreads = 4;

// One hit: its number marker, a selection box, the title, author and year.
constexpr std::string_view kBriefFormat =
    "'<div class=\"hit\"><TALOR Type=\"0\"></TALOR>. <input type=\"checkbox\" name=\"SEL',mfn,"
    "'\" value=\"',mfn,'\"> <b>',v200^a,'</b> / ',v700^a,', ',v210^d,'</div>'";
// Above the hits: the count and the query.
constexpr std::string_view kTopFormat =
    "'<html><head><title>Поиск</title></head><body><p class=\"found\">Найдено: ',v1002,"
    "'. Запрос: ',v1010,'</p>'";
// What precedes the hit count on the page.
constexpr std::string_view kFoundText = "Найдено: ";
// A term list page: one row a term with its record count.
constexpr std::string_view kTermsFormat =
    "'<html><head><title>Словарь</title></head><body><table>',"
    "(|<tr><td class=\"term\">|v1004^a|</td><td>|v1004^b|</td></tr>|),'</table></body></html>'";
// A whole record.
constexpr std::string_view kFullFormat =
    "'<html><head><title>Запись ',mfn,'</title></head><body><h1>',v200^a,'</h1><p>',v700^a,"
    "'</p><p>',v210^d,'</p></body></html>'";

const char kSearchUrlHead[] =
    "TALOR:?C21COM=2&I21DBN=BENCH&PFTNAME=brief&TOPPFTNAME=top&S21CNR=20&1S21P03=K%3D&1S21STR=";

// ---- the relay that finds a page's exchanges

struct RecordedExchange {
  char command = 0;
  std::string parameters;
};

// A framed request: the length line, the command line and the nine header
// lines, then the parameters. nullopt when the packet is shorter.
std::optional<RecordedExchange> ParseRequest(std::string_view packet) {
  size_t at = 0;
  for (int line = 0; line < 2 + kRequestHeaderLines; ++line) {
    at = packet.find('\n', at);
    if (at == std::string_view::npos) return std::nullopt;
    ++at;
  }
  const size_t commandLine = packet.find('\n') + 1;
  return RecordedExchange{packet[commandLine], std::string(packet.substr(at))};
}

bool SendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(sent));
  }
  return true;
}

int ConnectLoopback(uint16_t port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// Passes one connection at a time on to the server and keeps the requests.
// Lives as long as the program.
class Relay {
 public:
  explicit Relay(uint16_t serverPort) : serverPort_(serverPort) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof addr;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&addr), size) != 0 ||
        listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &size) != 0) {
      std::perror("relay");
      std::exit(1);
    }
    port_ = ntohs(addr.sin_port);
    std::thread([this] { AcceptLoop(); }).detach();
  }

  uint16_t port() const { return port_; }

  std::vector<std::string> TakeRequests() {
    std::lock_guard lock(mutex_);
    return std::exchange(requests_, {});
  }

 private:
  void AcceptLoop() {
    for (;;) {
      int client = accept(listener_, nullptr, nullptr);
      if (client < 0) continue;
      Serve(client);
      close(client);
    }
  }

  void Serve(int client) {
    std::string packet;
    char buffer[65536];
    size_t expected = std::string::npos;
    while (expected == std::string::npos || packet.size() < expected) {
      ssize_t n = recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) return;
      packet.append(buffer, static_cast<size_t>(n));
      size_t lineEnd = packet.find('\n');
      if (expected == std::string::npos && lineEnd != std::string::npos) {
        expected = lineEnd + 1 + std::strtoul(packet.c_str(), nullptr, 10);
      }
    }
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(packet);
    }
    int server = ConnectLoopback(serverPort_);
    if (server < 0) return;
    if (SendAll(server, packet)) {
      ssize_t n;
      while ((n = recv(server, buffer, sizeof buffer, 0)) > 0) {
        if (!SendAll(client, std::string_view(buffer, static_cast<size_t>(n)))) break;
      }
    }
    close(server);
  }

  const uint16_t serverPort_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::mutex mutex_;
  std::vector<std::string> requests_;
};

// ---- the navigator over the server

// Folders made for the run, removed at its end.
class TemporaryFolders {
 public:
  ~TemporaryFolders() {
    std::error_code ignored;
    for (const std::filesystem::path& path : paths_) std::filesystem::remove_all(path, ignored);
  }
  void Add(std::filesystem::path path) { paths_.push_back(std::move(path)); }

 private:
  std::vector<std::filesystem::path> paths_;
};

TemporaryFolders& Temporary() {
  static TemporaryFolders folders;
  return folders;
}

class Bench {
 public:
  Bench() : catalogue_(bench::BenchDataDirectory(kDefaultRecords)) {
    if (std::getenv("TALOR_BENCH_DATA") == nullptr)
      Temporary().Add(catalogue_.dataDir.parent_path());
    WriteFormats();
    server::ServerOptions options;
    options.port = 0;
    options.threads = kServerThreads;
    server_ = std::make_unique<server::TcpServer>(*catalogue_.service, options);
    if (Status started = server_->Start(); !started.ok()) Fail(started.message());
    relay_ = std::make_unique<Relay>(server_->port());

    config_.WriteString("Main", "ServerIP", "127.0.0.1");
    config_.WriteString("Main", "ServerPort", std::to_string(server_->port()));
    config_.WriteString("Main", "UserName", std::string(bench::kBenchUser));
    config_.WriteString("Main", "UserPassword", std::string(bench::kBenchPassword));
    const std::filesystem::path messageFile =
        std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / "TALORMSG.TXT";
    messages_.LoadFromFile(messageFile.string());
    std::string pattern = (std::filesystem::temp_directory_path() / "talor-work-XXXXXX").string();
    workDir_ = std::string(mkdtemp(pattern.data())) + "/";
    Temporary().Add(workDir_);
    session_ = std::make_unique<NavigatorSession>(loop_, ui_, config_, messages_);
    if (session_->Login() != LoginResult::Registered) Fail("login refused");
    if (Status started = session_->Start(view_, printView_, chrome_, workDir_); !started.ok())
      Fail(started.message());
  }

  // Shows `url` and returns the seconds it took.
  double ShowPage(const std::string& url) {
    const Clock::time_point start = Clock::now();
    session_->navigator().NavigateWithPost(url, "");
    loop_.WaitUntil([this] { return session_->navigator().Idle(); });
    return std::chrono::duration<double>(Clock::now() - start).count();
  }

  // The server exchanges that showing `url` makes once everything cacheable
  // is cached (found the first time and kept).
  const std::vector<RecordedExchange>& ExchangesOf(const std::string& url) {
    auto found = exchanges_.find(url);
    if (found != exchanges_.end()) return found->second;
    ShowPage(url);
    Transport& transport = session_->transport();
    SessionIdentity& identity = transport.identity();
    const std::string port = identity.port;
    const std::string workstation = identity.workstationCode;
    relay_->TakeRequests();
    transport.SetServer("127.0.0.1", std::to_string(relay_->port()), workstation);
    ShowPage(url);
    transport.SetServer("127.0.0.1", port, workstation);
    std::vector<RecordedExchange>& list = exchanges_[url];
    for (const std::string& packet : relay_->TakeRequests()) {
      std::optional<RecordedExchange> exchange = ParseRequest(packet);
      // The keep-alive of an idle session is no part of a page.
      if (exchange && exchange->command != 'N') list.push_back(std::move(*exchange));
    }
    return list;
  }

  // Sends `exchanges` through the session's transport; the seconds they
  // took, or nullopt when one of them failed.
  std::optional<double> Replay(const std::vector<RecordedExchange>& exchanges) {
    Transport& transport = session_->transport();
    const Clock::time_point start = Clock::now();
    for (const RecordedExchange& exchange : exchanges) {
      StringList answer;
      if (transport.RunCommand(exchange.command, exchange.parameters, answer) !=
          ExchangeResult::Good) {
        return std::nullopt;
      }
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
  }

  CommandSet& commands() { return session_->commands(); }
  HtmlPageView& view() { return view_; }
  ScriptedUserInterface& ui() { return ui_; }

 private:
  [[noreturn]] static void Fail(const std::string& error) {
    std::fprintf(stderr, "navigator_bench: %s\n", error.c_str());
    std::exit(1);
  }

  void WriteFormats() const {
    const std::filesystem::path db = catalogue_.dataDir / "db" / "BENCH";
    bench::WriteBytes(db / "brief.pft", Utf8ToAnsi(kBriefFormat));
    bench::WriteBytes(db / "top.pft", Utf8ToAnsi(kTopFormat));
    bench::WriteBytes(db / "terms.pft", Utf8ToAnsi(kTermsFormat));
    bench::WriteBytes(db / "full.pft", Utf8ToAnsi(kFullFormat));
  }

  bench::CatalogueService catalogue_;
  std::unique_ptr<server::TcpServer> server_;
  std::unique_ptr<Relay> relay_;

  EventLoop loop_;
  ScriptedUserInterface ui_{loop_};
  LocalConfig config_;
  Messages messages_;
  std::string workDir_;
  HtmlPageView view_{loop_};
  HtmlPageView printView_{loop_};
  NavigatorChrome chrome_;
  std::unique_ptr<NavigatorSession> session_;
  std::map<std::string, std::vector<RecordedExchange>> exchanges_;
};

// Lives as long as the program: the server's threads and the relay's outlive
// the benchmarks.
Bench& Shared() {
  static Bench* bench = new Bench;
  return *bench;
}

int CountOf(std::string_view text, std::string_view part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

// Shows `url` once per iteration (the iteration time is the page time) and
// replays its exchanges after each page. `marker` must occur `items` times
// in the finished page.
void MeasurePage(benchmark::State& state, const std::string& url, std::string_view marker,
                 int items) {
  Bench& bench = Shared();
  const std::vector<RecordedExchange>& exchanges = bench.ExchangesOf(url);
  const std::string html = bench.view().DocumentHtml();
  if (CountOf(html, marker) != items || !bench.ui().messages().empty()) {
    std::fprintf(stderr, "%s\n", html.c_str());
    state.SkipWithError("the page is not what the benchmark expects");
    return;
  }
  if (std::getenv("TALOR_BENCH_PAGES") != nullptr) std::fprintf(stderr, "%s\n", html.c_str());
  double pageSeconds = 0;
  double serverSeconds = 0;
  double navigatorCpuSeconds = 0;
  for (auto _ : state) {
    const double cpuStart = ThreadCpuSeconds();
    const double seconds = bench.ShowPage(url);
    const double cpuPage = ThreadCpuSeconds();
    state.SetIterationTime(seconds);
    pageSeconds += seconds;
    std::optional<double> replayed = bench.Replay(exchanges);
    if (!replayed) {
      state.SkipWithError("a replayed exchange failed");
      break;
    }
    serverSeconds += *replayed;
    navigatorCpuSeconds += 2 * cpuPage - cpuStart - ThreadCpuSeconds();
  }
  const auto perPage = benchmark::Counter::kAvgIterations;
  state.counters["server_ms"] = benchmark::Counter(serverSeconds * 1e3, perPage);
  state.counters["navigator_ms"] = benchmark::Counter((pageSeconds - serverSeconds) * 1e3, perPage);
  state.counters["navigator_cpu_ms"] = benchmark::Counter(navigatorCpuSeconds * 1e3, perPage);
  state.counters["exchanges"] = static_cast<double>(exchanges.size());
  state.counters["page_kb"] = static_cast<double>(html.size()) / 1024;
}

double Min(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

// 20 hits of a one-word search with the top format above them. WA is the
// most frequent title word (about a third of the records), WDW a rare one.
void BM_SearchPage(benchmark::State& state, const char* word) {
  MeasurePage(state, std::string(kSearchUrlHead) + word, "class=\"hit\"", 20);
  const std::string html = Shared().view().DocumentHtml();
  const size_t count = html.find(kFoundText);
  if (count != std::string::npos) {
    state.counters["hits"] = std::strtod(html.c_str() + count + kFoundText.size(), nullptr);
  }
}
BENCHMARK_CAPTURE(BM_SearchPage, frequent_WA, "WA")
    ->UseManualTime()
    ->ComputeStatistics("min", Min)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchPage, rare_WDW, "WDW")
    ->UseManualTime()
    ->ComputeStatistics("min", Min)
    ->Unit(benchmark::kMillisecond);

// 20 terms of the title dictionary from WC on, formatted on the client.
void BM_TermListPage(benchmark::State& state) {
  MeasurePage(state, "TALOR:?C21COM=4&I21DBN=BENCH&PFTNAME=terms&T21PRF=K%3D&T21TRM=WC&T21CNR=20",
              "class=\"term\"", 20);
}
BENCHMARK(BM_TermListPage)
    ->UseManualTime()
    ->ComputeStatistics("min", Min)
    ->Unit(benchmark::kMillisecond);

// One record formatted by the server.
void BM_RecordPage(benchmark::State& state) {
  MeasurePage(state, "TALOR:1,,BENCH,full,@1000", "<h1>", 1);
}
BENCHMARK(BM_RecordPage)
    ->UseManualTime()
    ->ComputeStatistics("min", Min)
    ->Unit(benchmark::kMillisecond);

// The floor under every exchange of a page: the cheapest command (N) through
// the session's transport, from the request to the answer.
void BM_NoOperationExchange(benchmark::State& state) {
  CommandSet& commands = Shared().commands();
  for (auto _ : state) {
    StringList answer;
    if (commands.NoOperation(answer) != ExchangeResult::Good) {
      state.SkipWithError("the server did not answer");
      break;
    }
  }
}
BENCHMARK(BM_NoOperationExchange)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
