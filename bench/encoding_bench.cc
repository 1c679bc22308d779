// Throughput of the code-page conversions that import, export and the
// message file run over whole texts.

#include <benchmark/benchmark.h>

#include <string>

#include "text/encoding.h"

namespace {

std::string CyrillicAnsiText(size_t size) {
  std::string text;
  for (size_t i = 0; text.size() < size; ++i) {
    text += static_cast<char>(0xC0 + i % 64);
    if (i % 7 == 6) text += ' ';
  }
  return text;
}

void BM_AnsiToUtf8(benchmark::State& state) {
  std::string text = CyrillicAnsiText(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(talor::AnsiToUtf8(text));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AnsiToUtf8)->Arg(64)->Arg(1 << 20);

void BM_Utf8UpperCase(benchmark::State& state) {
  std::string text = talor::AnsiToUtf8(CyrillicAnsiText(static_cast<size_t>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(talor::Utf8UpperCase(text));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_Utf8UpperCase)->Arg(64)->Arg(1 << 20);

}  // namespace

BENCHMARK_MAIN();
