// The BENCH catalogue of the benchmarks and the service over it.
//
// With TALOR_BENCH_DATA set to a data directory made by
// tools/make_bench_catalogue.py and `talor-server init` (1 000 000 records
// by default), the benchmarks run on it; otherwise a data directory of the
// same shape, with fewer records, is built in a temporary folder first.
//
// One database, BENCH: field 200^a a title of three to eight words drawn
// with a Zipf-like distribution from 5000 words ("WA" the most frequent),
// 700^a one author of 20000 ("A0".."A19999"), 210^d a year.

#ifndef TALOR_BENCH_BENCH_CATALOGUE_H_
#define TALOR_BENCH_BENCH_CATALOGUE_H_

#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <string_view>

#include "server/catalogue_files.h"
#include "server/catalogue_loader.h"
#include "server/engine_formatter.h"
#include "server/service.h"
#include "server/storage.h"

namespace talor::bench {

inline constexpr int kVocabulary = 5000;
inline constexpr int kAuthors = 20000;
// The user that the generated catalogue lets in, with write rights.
inline constexpr std::string_view kBenchUser = "bench";
inline constexpr std::string_view kBenchPassword = "bench";

// 0 -> A, 25 -> Z, 26 -> BA.
inline std::string Letters(int index) {
  std::string text;
  do {
    text.insert(text.begin(), static_cast<char>('A' + index % 26));
    index /= 26;
  } while (index > 0);
  return text;
}

inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

// Builds a data directory of `records` records in a new temporary folder,
// the same shape as tools/make_bench_catalogue.py makes, and returns it.
inline std::filesystem::path BuildDataDirectory(int records) {
  std::string pattern = (std::filesystem::temp_directory_path() / "talor-bench-XXXXXX").string();
  std::filesystem::path source = mkdtemp(pattern.data());
  std::filesystem::path db = source / "db" / "BENCH";
  std::filesystem::create_directories(db);
  std::mt19937 rng(42);
  std::uniform_real_distribution<double> unit(0, 1);
  std::string text;
  for (int i = 0; i < records; ++i) {
    int words = 3 + static_cast<int>(rng() % 6);
    text += "#200: ^A";
    for (int w = 0; w < words; ++w)
      text += (w ? " W" : "W") + Letters(static_cast<int>(std::pow(kVocabulary, unit(rng))) - 1);
    text += "\r\n#700: ^AA" + std::to_string(rng() % kAuthors) + "\r\n#210: ^D" +
            std::to_string(1900 + rng() % 125) + "\r\n*****\r\n";
  }
  WriteBytes(db / "BENCH.txt", text);
  WriteBytes(db / "BENCH.fst", "200 4 |K=|v200^a\r\n700 0 |A=|v700^a\r\n210 0 |G=|v210^d\r\n");
  WriteBytes(source / "users.txt", "bench bench - write\n");
  server::EngineFormatter formatter{server::CatalogueFiles(source / "data")};
  server::LoadReport report = server::InitDataDirectory(source / "data", source, formatter);
  if (!report.ok) std::fprintf(stderr, "%s\n", report.message.c_str());
  return source / "data";
}

// TALOR_BENCH_DATA when set, else a new directory of `records` records.
inline std::filesystem::path BenchDataDirectory(int records) {
  const char* given = std::getenv("TALOR_BENCH_DATA");
  return given != nullptr ? std::filesystem::path(given) : BuildDataDirectory(records);
}

// The reference server's service over a data directory, in this process.
struct CatalogueService {
  explicit CatalogueService(std::filesystem::path dir) : dataDir(std::move(dir)) {
    Status status = server::Storage::Open((dataDir / server::kStorageFileName).string(), &storage);
    if (!status.ok()) {
      std::fprintf(stderr, "%s: %s\n", dataDir.c_str(), status.message().c_str());
      std::exit(1);
    }
    formatter =
        std::make_unique<server::EngineFormatter>(server::CatalogueFiles(dataDir), storage.get());
    service = std::make_unique<server::Service>(*storage, server::CatalogueFiles(dataDir),
                                                *formatter, server::ServiceOptions{});
    server::LoadReport rebuilt = server::RebuildStaleIndexes(*storage, *service);
    if (!rebuilt.ok) {
      std::fprintf(stderr, "%s: %s\n", dataDir.c_str(), rebuilt.message.c_str());
      std::exit(1);
    }
  }

  std::filesystem::path dataDir;
  std::unique_ptr<server::Storage> storage;
  std::unique_ptr<server::EngineFormatter> formatter;
  std::unique_ptr<server::Service> service;
};

}  // namespace talor::bench

#endif  // TALOR_BENCH_BENCH_CATALOGUE_H_
