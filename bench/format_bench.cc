// Throughput of the format engine over a catalogue of generated bibliographic
// records (10-30 fields, repeated fields, subfields, Cyrillic text), with
// three formats: a brief line, a full description and a numeric-heavy one.
// Each iteration formats the next record of the catalogue; the counters give
// records per second, output bytes per second and heap allocations per record
// (this program replaces the global operator new to count them).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "format/format_engine.h"
#include "text/string_list.h"

namespace {

std::atomic<int64_t> allocationCount{0};

}  // namespace

// Every allocation of this program is counted; the benchmarks read the count
// before and after their loop. Not inlined: GCC would otherwise see malloc
// paired with delete at call sites and warn of a mismatch.
[[gnu::noinline]] void* operator new(size_t size) {
  allocationCount.fetch_add(1, std::memory_order_relaxed);
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* block) noexcept { std::free(block); }
[[gnu::noinline]] void operator delete(void* block, size_t) noexcept { std::free(block); }

namespace {

constexpr int kCatalogueSize = 100000;

int64_t Allocations() { return allocationCount.load(std::memory_order_relaxed); }

void ReportAllocations(benchmark::State& state, int64_t before) {
  const auto perRecord = static_cast<double>(Allocations() - before) /
                         static_cast<double>(std::max<int64_t>(state.iterations(), 1));
  state.counters["allocs/record"] = perRecord;
}

const char* const kSurnames[] = {"Иванов", "Петрова", "Сидоров", "Кузнецова", "Смирнов",
                                 "Попова", "Лебедев", "Козлова", "Новиков",   "Морозова"};
const char* const kWords[] = {"история", "культура",    "России",     "библиотека", "каталог",
                              "XIX",     "век",         "очерки",     "избранное",  "литература",
                              "наука",   "образование", "справочник", "введение",   "теория"};
const char* const kCities[] = {"Москва", "Санкт-Петербург", "Новосибирск", "Казань"};
const char* const kPublishers[] = {"Наука", "Просвещение", "Художественная литература", "Эксмо"};

std::string Words(std::mt19937& random, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += ' ';
    text += kWords[random() % std::size(kWords)];
  }
  return text;
}

talor::StringList MakeRecord(std::mt19937& random, int32_t mfn) {
  talor::StringList record{{"0", 0}, {"0", mfn}, {"1", 0}};
  auto add = [&](int32_t tag, std::string value) { record.Add(std::move(value), tag); };
  add(920, "PAZK");
  add(101, random() % 4 == 0 ? "eng" : "rus");
  add(10, "^a5-02-" + std::to_string(100000 + random() % 900000) + "^d" +
              std::to_string(50 + random() % 950) + "р.");
  const int authors = 1 + static_cast<int>(random() % 3);
  for (int i = 0; i < authors; ++i) {
    add(700, std::string("^a") + kSurnames[random() % std::size(kSurnames)] +
                 "^bА. П.^gАлексей Петрович");
  }
  add(200, "^a" + Words(random, 2 + static_cast<int>(random() % 4)) + "^e" + Words(random, 2) +
               "^f" + kSurnames[random() % std::size(kSurnames)]);
  add(210, std::string("^a") + kCities[random() % std::size(kCities)] + "^c" +
               kPublishers[random() % std::size(kPublishers)] + "^d" +
               std::to_string(1950 + random() % 75));
  add(215, "^a" + std::to_string(50 + random() % 900) + "^1ил.");
  const int subjects = 2 + static_cast<int>(random() % 8);
  for (int i = 0; i < subjects; ++i) add(606, "^a" + Words(random, 2) + "^bучебники");
  const int copies = 2 + static_cast<int>(random() % 10);
  for (int i = 0; i < copies; ++i) {
    add(910, "^a0^b" + std::to_string(1000 + random() % 9000) + "^dАБ^1" +
                 std::to_string(1 + random() % 5));
  }
  if (random() % 2 == 0) add(330, "<Аннотация=Кратко> " + Words(random, 12));
  return record;
}

std::vector<talor::StringList>& Catalogue() {
  static std::vector<talor::StringList> catalogue = [] {
    std::mt19937 random(20261207);
    std::vector<talor::StringList> records;
    records.reserve(kCatalogueSize);
    for (int i = 1; i <= kCatalogueSize; ++i) records.push_back(MakeRecord(random, i));
    return records;
  }();
  return catalogue;
}

constexpr const char kBrief[] = "!v700^a,| |+v700^b,\" \"v200^a,\" / \"v200^f,\". - \"v210^d";

constexpr const char kFull[] =
    "!mhl,\"Авторы: \"v700^a+|, |,#,'Заглавие: 'v200^a,\" : \"v200^e,\" / \"v200^f,/,"
    "\"Выходные данные: \"v210^a,\" : \"v210^c,\", \"v210^d,/,"
    "if p(v215) then 'Объём: 'v215^a,' с.' fi,"
    "(\"Рубрики: \"v606^a+|; |),/,"
    "if v101:'eng' then 'Язык: английский' else 'Язык: русский' fi,#,"
    "mdl,v330,"
    "(|Экз. |v910^b,| (|v910^d|)|,if v910^1>'3' then ' много' fi),"
    "\"ISBN \"v10^a,\" цена \"v10^d";

constexpr const char kHeavy[] =
    "!'Экземпляров: ',f(rsum((v910^1,|;|)),1,0),"
    "', в среднем ',f(ravr((v910^1,|;|)),6,2),"
    "', наибольший инв. № ',f(rmax((v910^b,|;|)),1,0),"
    "', цена ',f(val(v10^d),8,2),"
    "', страниц ',f(val(v215^a)*1.5+10,1,0),"
    "if val(v210^d)>1990 and val(v10^d)<500 then ' — новое и недорогое' fi,"
    "' ',s(v200^a,' ',v200^e),' ',s(mpu,v700^a+|, |),"
    "(if p(v606) then s(v606^a*0.5),'-',f(val(v910^b)/7,5,1) fi)";

void FormatCatalogue(benchmark::State& state, const char* format) {
  auto& catalogue = Catalogue();
  talor::FormatEngine engine;
  std::string output;
  size_t next = 0;
  int64_t bytes = 0;
  const int64_t before = Allocations();
  for (auto _ : state) {
    talor::StringList& record = catalogue[next];
    next = next + 1 == catalogue.size() ? 0 : next + 1;
    const int32_t code = engine.RunFormat(record, "DEMO", {}, talor::kFormatOutputCapacity, output,
                                          std::string_view(format + 1));
    if (code != 0) {
      state.SkipWithError("format error");
      break;
    }
    bytes += static_cast<int64_t>(output.size());
    benchmark::DoNotOptimize(output.data());
  }
  ReportAllocations(state, before);
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(bytes);
}

void BM_FormatBrief(benchmark::State& state) { FormatCatalogue(state, kBrief); }
void BM_FormatFull(benchmark::State& state) { FormatCatalogue(state, kFull); }
void BM_FormatHeavy(benchmark::State& state) { FormatCatalogue(state, kHeavy); }
// The yardstick: copying each record's field texts into the output, the
// least any format of the record must do.
void BM_CopyRecordBytes(benchmark::State& state) {
  auto& catalogue = Catalogue();
  std::string output;
  size_t next = 0;
  const int64_t before = Allocations();
  for (auto _ : state) {
    const talor::StringList& record = catalogue[next];
    next = next + 1 == catalogue.size() ? 0 : next + 1;
    output.clear();
    for (const talor::ListLine& line : record) output += line.text;
    benchmark::DoNotOptimize(output.data());
  }
  ReportAllocations(state, before);
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_CopyRecordBytes)->Iterations(kCatalogueSize);
BENCHMARK(BM_FormatBrief)->Iterations(kCatalogueSize);
BENCHMARK(BM_FormatFull)->Iterations(kCatalogueSize);
BENCHMARK(BM_FormatHeavy)->Iterations(kCatalogueSize);

}  // namespace

BENCHMARK_MAIN();
