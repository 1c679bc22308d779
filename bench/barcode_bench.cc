// Encoding and drawing speed of barcodes as pages use them.

#include <benchmark/benchmark.h>

#include <string>

#include "barcode/canvas.h"
#include "barcode/fbarcode.h"

namespace {

talor::TFBarcode Make(talor::TBarcodeType type, std::string text, double angle) {
  talor::TFBarcode barcode;
  barcode.SetTyp(type);
  barcode.SetText(std::move(text));
  barcode.SetHeight(40);
  barcode.SetAngle(angle);
  return barcode;
}

void BM_WidthEan13(benchmark::State& state) {
  talor::TFBarcode barcode = Make(talor::TBarcodeType::bcCodeEAN13, "5901234123457", 0);
  for (auto _ : state) {
    int width = 0;
    benchmark::DoNotOptimize(barcode.Width(width));
    benchmark::DoNotOptimize(width);
  }
}
BENCHMARK(BM_WidthEan13);

void BM_DrawInterleavedPage(benchmark::State& state) {
  talor::TFBarcode barcode = Make(talor::TBarcodeType::bcCode_2_5_interleaved, "0123456789", 0);
  for (auto _ : state) {
    talor::Canvas canvas(98, 40);
    benchmark::DoNotOptimize(barcode.DrawBarcode(canvas));
  }
}
BENCHMARK(BM_DrawInterleavedPage);

void BM_DrawCode128Rotated(benchmark::State& state) {
  talor::TFBarcode barcode = Make(talor::TBarcodeType::bcCode128B, "Library 2026-12", 30);
  barcode.SetLeft(20);
  barcode.SetTop(120);
  for (auto _ : state) {
    talor::Canvas canvas(220, 160);
    benchmark::DoNotOptimize(barcode.DrawBarcode(canvas));
  }
}
BENCHMARK(BM_DrawCode128Rotated);

}  // namespace

BENCHMARK_MAIN();
