// Crash consistency of talor-server. Each trial loads the demo catalogue into
// a fresh data directory, starts a server on it, lets several clients write
// single records and batches to DEMO, kills the server with SIGKILL at a
// random moment, starts it again on the same directory and checks that
//   - every write the server acknowledged is stored with its text;
//   - nothing else is half stored: a batch is there whole or not at all, and
//     every stored record holds exactly the fields that were sent;
//   - the dictionary agrees with the records: each term of each written
//     record finds exactly the records that hold it, with as many postings
//     as the field selection table gives, and no term of those kinds (nor
//     any "MFN=" term) is in the dictionary without a record behind it.
//
// Usage: crash_consistency [TRIALS]  (default 100). Prints one line per
// trial and the faults of a failed one; exits 1 when any trial failed.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "integration/demo_server.h"
#include "server/stored_record.h"

namespace talor::server {
namespace {

constexpr int kDefaultTrials = 100;
constexpr int kWriters = 3;
constexpr int kMaxBatch = 6;
// The server is killed this long after the writers start.
constexpr int kMinRunMs = 100;
constexpr int kMaxRunMs = 1500;
constexpr size_t kMaxReportedFaults = 20;
constexpr int kTermPortion = 1000;
constexpr char kDatabase[] = "DEMO";

// Every written record is "<code> КРАХ" in 200^a and "<code>" in 610, the
// code being kCodePrefix and letters, unique in the trial. By DEMO.fst that
// gives the terms listed in ExpectedTerms; no record of the demo catalogue
// has any of them.
constexpr std::string_view kCodePrefix = "QZ";
constexpr std::string_view kCommonWord = "КРАХ";
constexpr int kCodeLetters = 5;

std::string CodeWord(int number) {
  std::string letters(kCodeLetters, 'A');
  for (int i = kCodeLetters - 1; i >= 0 && number > 0; --i, number /= 26)
    letters[static_cast<size_t>(i)] = static_cast<char>('A' + number % 26);
  return std::string(kCodePrefix) + letters;
}

std::string Title(const std::string& code) { return code + " " + std::string(kCommonWord); }

// The field lines of a written record, as command C answers them.
std::vector<std::string> FieldLines(const std::string& code) {
  return {"200#^A" + Title(code), "610#" + code};
}

std::string RecordLine(const std::string& code) {
  std::vector<std::string> fields = FieldLines(code);
  return OneLine({"0#0", "0#0", fields[0], fields[1]});
}

struct Write {
  std::vector<std::string> codes;  // of its records, in order
  std::vector<int32_t> mfns;       // set when the server acknowledged the write
};

struct Faults {
  std::vector<std::string> items;
  size_t total = 0;

  void Add(std::string text) {
    if (++total <= kMaxReportedFaults) items.push_back(std::move(text));
  }
  void Merge(Faults other) {
    for (std::string& item : other.items) Add(std::move(item));
    total += other.total - other.items.size();
  }
};

// The MFNs that a search for exactly `term` finds.
std::set<int32_t> Search(RawClient& client, const std::string& term) {
  Reply reply = client.Send('K', Params({kDatabase, "\"" + term + "\"", "0", "1", ""}));
  std::set<int32_t> hits;
  for (size_t i = 2; i < reply.lines.size(); ++i) {
    std::string line = reply.Line(i);
    hits.insert(ParseInt(line.substr(0, line.find('#'))).value_or(-1));
  }
  return hits;
}

// ---- writing

// The MFNs of an answer to a write of `size` records, or nullopt when it is
// not an acknowledgement of them all.
std::optional<std::vector<int32_t>> AcknowledgedMfns(const Reply& reply, size_t size) {
  std::vector<int32_t> mfns;
  if (size == 1) {
    std::optional<int32_t> mfn = ParseInt(reply.Line(0));
    if (!mfn || *mfn <= 0 || !reply.Line(1).starts_with(std::to_string(*mfn) + "#"))
      return std::nullopt;
    mfns.push_back(*mfn);
    return mfns;
  }
  if (reply.Line(0) != std::to_string(size)) return std::nullopt;
  for (size_t i = 1; i <= size; ++i) {
    std::string line = reply.Line(i);
    std::optional<int32_t> mfn = ParseInt(line.substr(0, line.find('#')));
    if (!mfn || *mfn <= 0) return std::nullopt;
    mfns.push_back(*mfn);
  }
  return mfns;
}

struct Writer {
  std::vector<Write> writes;
  Faults faults;
};

// Writes until `stop` or until the server is gone. Writer `index` uses the
// code numbers index, index + kWriters, ...
void RunWriter(uint16_t port, int index, uint32_t seed, const std::atomic<bool>& stop,
               Writer& writer) {
  RawClient client(port, "librarian", "librarian", std::to_string(700000 + index));
  std::mt19937 random(seed);
  int next = index;
  while (!stop.load()) {
    size_t size = random() % 2 == 0 ? 1 : 2 + random() % (kMaxBatch - 1);
    Write write;
    std::string parameters = Params({kDatabase, "0", "1"});
    for (size_t i = 0; i < size; ++i, next += kWriters) {
      write.codes.push_back(CodeWord(next));
      parameters += "\n" + RecordLine(write.codes.back());
    }
    // Logged before it is sent: from then on it may be stored.
    writer.writes.push_back(write);
    Reply reply = client.Send('D', parameters);
    if (!reply.good) return;  // killed
    std::optional<std::vector<int32_t>> mfns = AcknowledgedMfns(reply, size);
    if (!mfns) {
      writer.faults.Add("сервер не принял запись " + write.codes[0] + ": " + reply.Line(0));
      return;
    }
    writer.writes.back().mfns = std::move(*mfns);
  }
}

// ---- checking after the restart

struct ExpectedTerm {
  std::set<int32_t> mfns;
  int64_t postings = 0;
};

class TrialCheck {
 public:
  TrialCheck(uint16_t port, int32_t firstMfn) : client_(port), firstMfn_(firstMfn) {}

  Faults Run(const std::vector<Write>& writes) {
    for (const Write& write : writes)
      for (const std::string& code : write.codes) sent_.insert(code);
    ReadStoredRecords();
    CheckWrites(writes);
    CheckDictionary();
    return std::move(faults_);
  }

  size_t storedRecords() const { return stored_.size(); }

 private:
  void ReadStoredRecords() {
    int32_t next = ParseInt(client_.Send('O', kDatabase).Line(0)).value_or(0);
    if (next < firstMfn_) faults_.Add("после перезапуска MFN " + std::to_string(next));
    for (int32_t mfn = firstMfn_; mfn < next; ++mfn) ReadStoredRecord(mfn);
  }

  void ReadStoredRecord(int32_t mfn) {
    Reply reply = client_.Send('C', Params({kDatabase, std::to_string(mfn), "0"}));
    std::string where = "запись MFN " + std::to_string(mfn);
    if (reply.Line(0) != "0") return faults_.Add(where + " не читается: " + reply.Line(0));
    std::vector<std::string> fields;
    for (size_t i = 3; i < reply.lines.size(); ++i) fields.push_back(reply.Line(i));
    std::string code = fields.size() == 2 ? fields[1].substr(fields[1].find('#') + 1) : "";
    if (!sent_.contains(code) || fields != FieldLines(code))
      return faults_.Add(where + " не целая: " + reply.raw.substr(0, 300));
    if (!stored_.emplace(code, mfn).second)
      faults_.Add(where + " повторяет запись " + code + " (MFN " + std::to_string(stored_[code]) +
                  ")");
  }

  void CheckWrites(const std::vector<Write>& writes) {
    for (const Write& write : writes) {
      size_t present = 0;
      for (size_t i = 0; i < write.codes.size(); ++i) {
        auto it = stored_.find(write.codes[i]);
        if (it != stored_.end()) ++present;
        if (write.mfns.empty()) continue;
        if (it == stored_.end() || it->second != write.mfns[i])
          faults_.Add("подтверждённая запись " + write.codes[i] + " (MFN " +
                      std::to_string(write.mfns[i]) + ") потеряна");
      }
      if (present != 0 && present != write.codes.size())
        faults_.Add("пакет с " + write.codes[0] + " сохранён частично: " + std::to_string(present) +
                    " из " + std::to_string(write.codes.size()));
    }
  }

  // The terms DEMO.fst gives the written records and the demo records' MFN
  // terms, with their MFNs and numbers of postings.
  std::map<std::string, ExpectedTerm> ExpectedTerms() const {
    std::map<std::string, ExpectedTerm> terms;
    auto add = [&](const std::string& term, int32_t mfn, int64_t postings) {
      terms[term].mfns.insert(mfn);
      terms[term].postings += postings;
    };
    for (int32_t mfn = 1; mfn < firstMfn_; ++mfn) add("MFN=" + std::to_string(mfn), mfn, 1);
    for (const auto& [code, mfn] : stored_) {
      add("K=" + code, mfn, 2);  // from the title and from the keyword
      add("KW=" + code, mfn, 1);
      add("T=" + Title(code), mfn, 1);
      add("MFN=" + std::to_string(mfn), mfn, 1);
      add("K=" + std::string(kCommonWord), mfn, 1);
    }
    return terms;
  }

  void CheckDictionary() {
    std::map<std::string, ExpectedTerm> expected = ExpectedTerms();
    std::string common = "K=" + std::string(kCommonWord);
    std::map<std::string, int64_t> found;
    for (std::string prefix : {"K=" + std::string(kCodePrefix), "KW=" + std::string(kCodePrefix),
                               "T=" + std::string(kCodePrefix), std::string("MFN="), common})
      ReadTermCounts(prefix, found);
    CompareTermCounts(expected, found);
    for (const auto& [term, wanted] : expected) {
      std::set<int32_t> hits = Search(client_, term);
      if (hits != wanted.mfns)
        faults_.Add("поиск «" + term + "» находит " + std::to_string(hits.size()) +
                    " записей вместо " + std::to_string(wanted.mfns.size()));
    }
  }

  // The dictionary holds exactly the expected terms of the kinds read, each
  // with its number of postings.
  void CompareTermCounts(const std::map<std::string, ExpectedTerm>& expected,
                         const std::map<std::string, int64_t>& found) {
    for (const auto& [term, count] : found) {
      auto it = expected.find(term);
      if (it == expected.end()) {
        faults_.Add("термин «" + term + "» без записи");
      } else if (it->second.postings != count) {
        faults_.Add("термин «" + term + "»: ссылок " + std::to_string(count) + " вместо " +
                    std::to_string(it->second.postings));
      }
    }
    for (const auto& [term, wanted] : expected)
      if (!found.contains(term)) faults_.Add("термина «" + term + "» нет в словаре");
  }

  // Adds every term from `prefix` on that starts with it (or equals it) with
  // its posting count.
  void ReadTermCounts(const std::string& prefix, std::map<std::string, int64_t>& found) {
    std::string start = prefix;
    while (true) {
      Reply reply = client_.Send('H', Params({kDatabase, start, std::to_string(kTermPortion), ""}));
      size_t lines = reply.lines.size();
      for (size_t i = 1; i < lines; ++i) {
        std::string line = reply.Line(i);
        size_t sep = line.find('#');
        std::string term = line.substr(sep + 1);
        if (!term.starts_with(prefix)) return;
        found[term] = ParseInt(line.substr(0, sep)).value_or(-1);
        start = term;
      }
      if (lines < 1 + static_cast<size_t>(kTermPortion)) return;  // the last portion
    }
  }

  RawClient client_;
  const int32_t firstMfn_;
  std::set<std::string> sent_;             // every code written or being written
  std::map<std::string, int32_t> stored_;  // code -> MFN after the restart
  Faults faults_;
};

// ---- one trial

struct TrialResult {
  Faults faults;
  size_t acknowledged = 0;
  size_t unacknowledged = 0;
  size_t stored = 0;
  int runMs = 0;
};

std::vector<Write> WriteAndKill(ServerProcess& server, int runMs, std::mt19937& random,
                                Faults& faults) {
  std::atomic<bool> stop{false};
  std::vector<Writer> writers(kWriters);
  std::vector<std::thread> threads;
  for (int i = 0; i < kWriters; ++i)
    threads.emplace_back(RunWriter, server.port(), i, static_cast<uint32_t>(random()),
                         std::cref(stop), std::ref(writers[static_cast<size_t>(i)]));
  std::this_thread::sleep_for(std::chrono::milliseconds(runMs));
  server.Kill();
  stop = true;
  std::vector<Write> writes;
  for (size_t i = 0; i < threads.size(); ++i) {
    threads[i].join();
    writes.insert(writes.end(), writers[i].writes.begin(), writers[i].writes.end());
    faults.Merge(std::move(writers[i].faults));
  }
  return writes;
}

TrialResult RunTrial(std::mt19937& random) {
  TrialResult result;
  ServerProcess server;
  if (!server.Start()) {
    result.faults.Add("talor-server не запустился");
    return result;
  }
  RawClient client(server.port());
  int32_t firstMfn = ParseInt(client.Send('O', kDatabase).Line(0)).value_or(0);
  if (!Search(client, "K=" + std::string(kCommonWord)).empty()) {
    result.faults.Add("в демо-каталоге уже есть слово " + std::string(kCommonWord));
    return result;
  }
  result.runMs = kMinRunMs + static_cast<int>(random() % (kMaxRunMs - kMinRunMs));
  std::vector<Write> writes = WriteAndKill(server, result.runMs, random, result.faults);
  for (const Write& write : writes)
    (write.mfns.empty() ? result.unacknowledged : result.acknowledged) += 1;
  if (!server.Start()) {
    result.faults.Add("talor-server не запустился после SIGKILL");
    return result;
  }
  TrialCheck check(server.port(), firstMfn);
  result.faults.Merge(check.Run(writes));
  result.stored = check.storedRecords();
  return result;
}

void Report(int trial, const TrialResult& result) {
  std::printf(
      "испытание %d: SIGKILL через %d мс, записей подтверждено %zu, без ответа %zu, "
      "сохранено записей %zu: %s\n",
      trial, result.runMs, result.acknowledged, result.unacknowledged, result.stored,
      result.faults.total == 0 ? "верно" : "ОШИБКИ");
  for (const std::string& fault : result.faults.items) std::printf("  %s\n", fault.c_str());
  if (result.faults.total > result.faults.items.size())
    std::printf("  ... и ещё %zu\n", result.faults.total - result.faults.items.size());
  std::fflush(stdout);
}

int Run(int trials) {
  std::mt19937 random(std::random_device{}());
  std::vector<int> failed;
  for (int trial = 1; trial <= trials; ++trial) {
    TrialResult result = RunTrial(random);
    Report(trial, result);
    if (result.faults.total != 0) failed.push_back(trial);
  }
  if (failed.empty()) {
    std::printf("все %d испытаний верны\n", trials);
    return 0;
  }
  std::printf("неверны %zu из %d испытаний:", failed.size(), trials);
  for (int trial : failed) std::printf(" %d", trial);
  std::printf("\n");
  return 1;
}

}  // namespace
}  // namespace talor::server

int main(int argc, char** argv) {
  int trials = talor::server::kDefaultTrials;
  if (argc > 1) {
    std::optional<int32_t> value = talor::server::ParseInt(argv[1]);
    if (!value || *value <= 0) {
      std::fprintf(stderr, "число испытаний должно быть целым положительным: %s\n", argv[1]);
      return 2;
    }
    trials = *value;
  }
  return talor::server::Run(trials);
}
