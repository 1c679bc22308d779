// The yardstick for the server's searches: SQLite FTS5 indexing the titles
// (field 200^a) of the same BENCH catalogue that server_bench searches and
// counting the hits of the same three queries. With TALOR_BENCH_DATA set the
// titles come from that data directory, otherwise from one built the way
// server_bench builds its own.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "bench_catalogue.h"

namespace {

using namespace talor;

constexpr int kDefaultRecords = 20000;
constexpr int kSubfieldMarkLength = 2;  // "^A"

void Check(int rc, sqlite3* db, const char* what) {
  if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return;
  std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
  std::exit(1);
}

// An in-memory FTS5 table of every title of the catalogue.
class TitleIndex {
 public:
  TitleIndex() {
    Check(sqlite3_open(":memory:", &db_), db_, "open");
    Check(sqlite3_exec(db_, "CREATE VIRTUAL TABLE titles USING fts5(title)", nullptr, nullptr,
                       nullptr),
          db_, "create");
    bench::CatalogueService catalogue(bench::BenchDataDirectory(kDefaultRecords));
    std::optional<int32_t> next = catalogue.storage->NextMfn("BENCH");
    Check(sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr), db_, "begin");
    sqlite3_stmt* insert = nullptr;
    Check(sqlite3_prepare_v2(db_, "INSERT INTO titles(title) VALUES(?)", -1, &insert, nullptr), db_,
          "prepare");
    for (int32_t mfn = 1; next && mfn < *next; ++mfn) {
      server::ReadOutcome read = catalogue.storage->ReadRecord("BENCH", mfn, "");
      if (read.code != 0) continue;
      std::vector<std::string_view> titles = read.record.Values(200);
      if (titles.empty()) continue;
      std::string_view title = titles.front().substr(kSubfieldMarkLength);
      sqlite3_bind_text(insert, 1, title.data(), static_cast<int>(title.size()), SQLITE_STATIC);
      Check(sqlite3_step(insert), db_, "insert");
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Check(sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr), db_, "commit");
    Check(sqlite3_prepare_v2(db_, "SELECT count(*) FROM titles WHERE titles MATCH ?", -1, &count_,
                             nullptr),
          db_, "prepare");
  }
  ~TitleIndex() {
    sqlite3_finalize(count_);
    sqlite3_close(db_);
  }

  int64_t Count(const char* query) {
    sqlite3_bind_text(count_, 1, query, -1, SQLITE_STATIC);
    Check(sqlite3_step(count_), db_, "count");
    int64_t hits = sqlite3_column_int64(count_, 0);
    sqlite3_reset(count_);
    return hits;
  }

 private:
  sqlite3* db_ = nullptr;
  sqlite3_stmt* count_ = nullptr;
};

TitleIndex& Shared() {
  static TitleIndex& index = *new TitleIndex;
  return index;
}

void Count(benchmark::State& state, const char* query) {
  TitleIndex& index = Shared();
  int64_t hits = 0;
  for (auto _ : state) hits = index.Count(query);
  state.counters["hits"] = static_cast<double>(hits);
}

// The same searches as server_bench's BM_OneTermSearch, BM_AndOfTwoFrequentTerms
// and BM_TruncatedTerm.
void BM_Fts5OneTerm(benchmark::State& state) { Count(state, "WDW"); }
BENCHMARK(BM_Fts5OneTerm)->Unit(benchmark::kMicrosecond);

void BM_Fts5AndOfTwoFrequentTerms(benchmark::State& state) { Count(state, "WA AND WB"); }
BENCHMARK(BM_Fts5AndOfTwoFrequentTerms)->Unit(benchmark::kMillisecond);

void BM_Fts5TruncatedTerm(benchmark::State& state) { Count(state, "WE*"); }
BENCHMARK(BM_Fts5TruncatedTerm)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
