// Any settings and any text: encoding, width and drawing must fail cleanly or
// draw, and drawing twice must give the same picture. The same bytes are also
// fed to the bitmap decoder.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "barcode/barcode_image.h"
#include "barcode/fbarcode.h"
#include "barcode/image_file.h"

namespace {

constexpr size_t kSettingsBytes = 8;

double AngleOf(uint8_t a, uint8_t b) {
  const int raw = (a << 8 | b) - 32768;
  if (raw == 32767) return 1e300;
  return raw / 7.0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  (void)talor::DecodeBitmap(std::string_view(reinterpret_cast<const char*>(data), size));
  if (size < kSettingsBytes) return 0;
  talor::TFBarcode barcode;
  barcode.SetTyp(static_cast<talor::TBarcodeType>(data[0] % 26 - 1));
  barcode.SetModul(data[1] % 52);
  barcode.SetRatio((data[2] - 64) / 16.0);
  barcode.SetChecksum(data[3] & 1);
  barcode.SetCheckSumMethod(static_cast<talor::TCheckSumMethod>(data[3] >> 1 & 1));
  barcode.SetShowText(static_cast<talor::TBarcodeOption>(data[3] >> 2 & 3));
  barcode.SetAngle(AngleOf(data[4], data[5]));
  barcode.SetHeight(data[6] - 16);
  barcode.SetLeft(static_cast<int8_t>(data[7]) * 4);
  barcode.SetTop(static_cast<int8_t>(data[7]));
  barcode.SetText(
      std::string(reinterpret_cast<const char*>(data + kSettingsBytes), size - kSettingsBytes));

  int width = 0;
  const talor::Status widthStatus = barcode.Width(width);
  talor::Canvas first(64, 48);
  const talor::Status drawStatus = barcode.DrawBarcode(first);
  if (widthStatus.ok() != drawStatus.ok()) std::abort();
  if (drawStatus.ok()) {
    talor::Canvas second(64, 48);
    if (!barcode.DrawBarcode(second).ok()) std::abort();
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 64; ++x) {
        if (first.Pixel(x, y) != second.Pixel(x, y)) std::abort();
      }
    }
    if (width < 2000) {
      std::optional<talor::Canvas> image;
      (void)talor::RenderBarcodeImage(barcode, image);
    }
  }
  return 0;
}
