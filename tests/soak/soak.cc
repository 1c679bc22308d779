// Load and endurance of talor-server. A server on a fresh copy of the demo
// catalogue serves, for the given number of minutes,
//   - 32 readers and librarians that search with a brief format, read
//     records, write records, page through the dictionary and search the
//     full texts, each waiting for its answer before the next request;
//   - 32 pests: connections that send nothing, send a request one byte a
//     second, or send a request for a long answer and never read it. The
//     server closes them at its deadline and they connect again.
// Every 5 seconds it prints the requests served so far, the errors and the
// server's resident memory; at the end the latency percentiles of each kind
// of request. It exits 1 on any error, or when the resident memory of the
// last quarter of the run exceeds that of the second quarter by more than a
// tenth plus 16 MB (runs shorter than two minutes are too short to judge it).
//
// Usage: soak [MINUTES]  (default 10; fractions allowed).

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "client/framing.h"
#include "integration/demo_server.h"

namespace talor::server {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kClients = 32;
constexpr int kPests = 32;
constexpr int kSampleSeconds = 5;
constexpr double kDefaultMinutes = 10;
constexpr double kMinutesToJudgeMemory = 2;
constexpr char kDatabase[] = "DEMO";

enum Kind { kSearch, kRead, kWrite, kTerms, kFullText, kKinds };
constexpr std::array<const char*, kKinds> kKindNames = {"search", "read", "write", "terms",
                                                        "full-text"};
// Out of 100 requests.
constexpr std::array<int, kKinds> kKindWeights = {40, 30, 5, 15, 10};

const std::array<const char*, 8> kWords = {"МИР",    "ВОЙН$",  "ИСТОРИ$", "ПОЭМ$",
                                           "РОМАН$", "ЛЮБОВ$", "ДОМ",     "СТИХ$"};
const std::array<const char*, 6> kTermStarts = {"K=А", "K=М", "K=С", "A=", "T=", "K=W"};
const std::array<const char*, 5> kFullTextWords = {"войны", "мир", "любовь", "дом", "море"};

struct Stats {
  std::mutex mutex;
  std::array<std::vector<double>, kKinds> latenciesMs;
  std::vector<std::string> errors;
  std::atomic<int64_t> served{0};
  std::atomic<int64_t> failed{0};
  std::atomic<int64_t> pestConnections{0};

  void Record(Kind kind, double ms, bool good, const std::string& what) {
    ++served;
    std::lock_guard lock(mutex);
    latenciesMs[kind].push_back(ms);
    if (good) return;
    ++failed;
    if (errors.size() < 20) errors.push_back(std::string(kKindNames[kind]) + ": " + what);
  }
};

Kind PickKind(std::mt19937& random) {
  int roll = static_cast<int>(random() % 100);
  for (int kind = 0; kind < kKinds; ++kind) {
    roll -= kKindWeights[kind];
    if (roll < 0) return static_cast<Kind>(kind);
  }
  return kSearch;
}

// One request of `kind`; the text of the fault, or "" when the answer is what
// the request should get.
std::string Exchange(RawClient& client, Kind kind, std::mt19937& random, int32_t maxMfn,
                     int serial) {
  Reply reply;
  switch (kind) {
    case kSearch: {
      std::string term = std::string("\"K=") + kWords[random() % kWords.size()] + "\"";
      reply = client.Send('K', Params({kDatabase, term, "10", "1", "@brief"}));
      break;
    }
    case kRead: {
      std::string mfn = std::to_string(1 + random() % static_cast<uint32_t>(maxMfn));
      reply = client.Send('C', Params({kDatabase, mfn, "0", ""}));
      break;
    }
    case kWrite: {
      std::string title = "200#^AНагрузка " + std::to_string(serial);
      reply = client.Send('D', Params({kDatabase, "0", "1", OneLine({"0#0", "0#0", title})}));
      break;
    }
    case kTerms:
      reply = client.Send(
          'H', Params({kDatabase, kTermStarts[random() % kTermStarts.size()], "20", ""}));
      break;
    case kFullText: {
      std::string settings = std::string(kFullTextWords[random() % kFullTextWords.size()]) +
                             "\x1f\x1f" + "0" + "\x1f\x1f" + "-1" + "\x1f\x1f" + "20";
      reply = client.Send('R', Params({kDatabase, "", "10", "1", "", "0", "0", "", settings}));
      break;
    }
    case kKinds:
      break;
  }
  if (!reply.good) return "answer not accepted (" + std::to_string(reply.raw.size()) + " bytes)";
  std::string code = reply.Line(0);
  if (kind == kWrite) return code.starts_with("-") ? "return code " + code : "";
  // A term list may start between two terms of the dictionary.
  if (kind == kTerms && code == "-202" && reply.lines.size() > 1) return "";
  return code == "0" ? "" : "return code " + code;
}

void RunClient(uint16_t port, int index, Clock::time_point end, Stats& stats) {
  RawClient client(port, "librarian", "librarian", std::to_string(600000 + index));
  Reply registered = client.Send('A', Params({"librarian", "librarian"}));
  if (!registered.good || registered.Line(0) != "0") {
    stats.Record(kRead, 0, false, "registration: " + registered.Line(0));
    return;
  }
  std::mt19937 random(static_cast<uint32_t>(index) * 7919u);
  int32_t maxMfn = 300;
  int serial = index * 1000000;
  while (Clock::now() < end) {
    Kind kind = PickKind(random);
    Clock::time_point start = Clock::now();
    std::string fault = Exchange(client, kind, random, maxMfn, ++serial);
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    stats.Record(kind, ms, fault.empty(), fault);
  }
}

// ---- pests

enum class PestMode { kSilent, kTrickle, kNoReader };

int ConnectLoopback(uint16_t port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  int small = 4096;
  setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 && errno != EINPROGRESS) {
    close(fd);
    return -1;
  }
  return fd;
}

struct Pest {
  PestMode mode;
  int fd = -1;
  size_t sent = 0;
};

// A request whose answer (every record of the catalogue in full) is far
// larger than the socket buffers.
std::string LongAnswerRequest() {
  SessionIdentity identity;
  identity.host = "127.0.0.1";
  identity.workstationCode = "R";
  identity.user = "librarian";
  identity.password = "librarian";
  identity.clientId = "699999";
  std::string text =
      BuildRequestHeader(identity, 'G').value_or("") + Params({kDatabase, "@", "0", "1", "330"});
  return FramePlainPacket('G', text);
}

// Keeps every pest connected and misbehaving until `end`. A connection the
// server closed (or reset) is opened again and counted.
void RunPests(uint16_t port, Clock::time_point end, Stats& stats) {
  const std::string request = LongAnswerRequest();
  std::vector<Pest> pests;
  for (int i = 0; i < kPests; ++i) pests.push_back({static_cast<PestMode>(i % 3)});
  Clock::time_point nextTrickle = Clock::now();
  while (Clock::now() < end) {
    for (Pest& pest : pests) {
      if (pest.fd >= 0) continue;
      pest.fd = ConnectLoopback(port);
      pest.sent = 0;
      ++stats.pestConnections;
    }
    bool trickle = Clock::now() >= nextTrickle;
    if (trickle) nextTrickle = Clock::now() + std::chrono::seconds(1);
    for (Pest& pest : pests) {
      if (pest.fd < 0) continue;
      size_t count = 0;
      if (pest.mode == PestMode::kNoReader) count = request.size() - pest.sent;
      if (pest.mode == PestMode::kTrickle && trickle) count = 1;
      if (count == 0 || pest.sent >= request.size()) continue;
      ssize_t n = send(pest.fd, request.data() + pest.sent, count, MSG_NOSIGNAL);
      if (n > 0) pest.sent += static_cast<size_t>(n);
    }
    // A closed connection shows as readable with nothing to read. A pest
    // that never reads only peeks, so its receive buffer stays full.
    std::vector<pollfd> fds;
    for (Pest& pest : pests) fds.push_back({pest.fd, POLLIN, 0});
    poll(fds.data(), fds.size(), 200);
    for (size_t i = 0; i < pests.size(); ++i) {
      if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
      char byte;
      ssize_t n = recv(pests[i].fd, &byte, 1, MSG_PEEK);
      if (n > 0 && (fds[i].revents & (POLLHUP | POLLERR)) == 0) continue;
      close(pests[i].fd);
      pests[i].fd = -1;
    }
    if (std::all_of(pests.begin(), pests.end(),
                    [](const Pest& pest) { return pest.fd >= 0 && pest.sent > 0; }))
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  for (Pest& pest : pests)
    if (pest.fd >= 0) close(pest.fd);
}

// ---- observation

int64_t ResidentKilobytes(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.starts_with("VmRSS:")) return std::atoll(line.c_str() + 6);
  return -1;
}

double Percentile(std::vector<double>& values, double fraction) {
  if (values.empty()) return 0;
  size_t index = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1));
  std::nth_element(values.begin(), values.begin() + static_cast<ptrdiff_t>(index), values.end());
  return values[index];
}

void PrintLatencies(Stats& stats, double seconds) {
  std::printf("\n%-10s %9s %9s %8s %8s %8s %8s %8s\n", "request", "count", "per s", "p50 ms",
              "p90 ms", "p99 ms", "p99.9 ms", "max ms");
  for (int kind = 0; kind < kKinds; ++kind) {
    std::vector<double>& values = stats.latenciesMs[kind];
    size_t count = values.size();
    double p50 = Percentile(values, 0.5), p90 = Percentile(values, 0.9);
    double p99 = Percentile(values, 0.99), p999 = Percentile(values, 0.999);
    double max = values.empty() ? 0 : *std::max_element(values.begin(), values.end());
    std::printf("%-10s %9zu %9.0f %8.2f %8.2f %8.2f %8.2f %8.2f\n", kKindNames[kind], count,
                static_cast<double>(count) / seconds, p50, p90, p99, p999, max);
  }
}

// True when the memory of the last quarter is well above the second's.
bool MemoryKeepsGrowing(const std::vector<int64_t>& samples) {
  size_t quarter = samples.size() / 4;
  if (quarter == 0) return false;
  auto maxOf = [&](size_t from, size_t to) {
    return *std::max_element(samples.begin() + static_cast<ptrdiff_t>(from),
                             samples.begin() + static_cast<ptrdiff_t>(to));
  };
  int64_t settled = maxOf(quarter, 2 * quarter);
  int64_t last = maxOf(samples.size() - quarter, samples.size());
  return last > settled + settled / 10 + 16 * 1024;
}

int Run(double minutes) {
  ServerProcess server;
  if (!server.Start()) {
    std::fprintf(stderr, "talor-server did not start\n");
    return 1;
  }
  Stats stats;
  const Clock::time_point begin = Clock::now();
  const Clock::time_point end =
      begin + std::chrono::milliseconds(static_cast<int64_t>(minutes * 60 * 1000));
  std::vector<std::thread> threads;
  threads.emplace_back(RunPests, server.port(), end, std::ref(stats));
  for (int i = 0; i < kClients; ++i)
    threads.emplace_back(RunClient, server.port(), i, end, std::ref(stats));

  std::vector<int64_t> samples;
  std::printf("%8s %10s %8s %8s %10s\n", "seconds", "requests", "errors", "RSS MB", "pest conn");
  while (Clock::now() < end) {
    std::this_thread::sleep_until(
        std::min(end, Clock::now() + std::chrono::seconds(kSampleSeconds)));
    int64_t rss = ResidentKilobytes(server.pid());
    samples.push_back(rss);
    double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    std::printf("%8.0f %10lld %8lld %8.1f %10lld\n", seconds,
                static_cast<long long>(stats.served.load()),
                static_cast<long long>(stats.failed.load()), static_cast<double>(rss) / 1024,
                static_cast<long long>(stats.pestConnections.load()));
    std::fflush(stdout);
  }
  for (std::thread& thread : threads) thread.join();
  double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
  PrintLatencies(stats, seconds);

  bool failed = stats.failed.load() > 0;
  for (const std::string& error : stats.errors) std::printf("error: %s\n", error.c_str());
  if (minutes < kMinutesToJudgeMemory) {
    std::printf("memory: run too short to judge its growth\n");
  } else if (MemoryKeepsGrowing(samples)) {
    std::printf("memory: keeps growing\n");
    failed = true;
  }
  std::printf("%s: %lld requests, %lld errors, %lld pest connections, %.0f s\n",
              failed ? "FAILED" : "passed", static_cast<long long>(stats.served.load()),
              static_cast<long long>(stats.failed.load()),
              static_cast<long long>(stats.pestConnections.load()), seconds);
  return failed ? 1 : 0;
}

}  // namespace
}  // namespace talor::server

int main(int argc, char** argv) {
  double minutes = argc > 1 ? std::atof(argv[1]) : talor::server::kDefaultMinutes;
  if (minutes <= 0) {
    std::fprintf(stderr, "usage: soak [MINUTES]\n");
    return 2;
  }
  return talor::server::Run(minutes);
}
