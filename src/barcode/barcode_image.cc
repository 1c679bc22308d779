#include "barcode/barcode_image.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <new>
#include <numbers>
#include <string_view>

#include "barcode/bitmap_font.h"
#include "barcode/image_file.h"

namespace talor {
namespace {

constexpr int kTypeLineOffset = 14;

struct Bounds {
  int64_t left = INT64_MAX;
  int64_t top = INT64_MAX;
  int64_t right = INT64_MIN;
  int64_t bottom = INT64_MIN;

  void Add(int64_t x, int64_t y) {
    left = std::min(left, x);
    top = std::min(top, y);
    right = std::max(right, x);
    bottom = std::max(bottom, y);
  }
  void AddText(int64_t x, int64_t y, std::string_view text) {
    if (text.empty()) return;
    Add(x, y);
    Add(x + static_cast<int64_t>(text.size()) * kCellWidth - 1, y + kCellHeight - 1);
  }
};

Status CheckSize(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0) return Status::Error("изображение штрихкода пусто");
  if (width > kMaxImagePixels || height > kMaxImagePixels || width * height > kMaxImagePixels) {
    return Status::Error("изображение штрихкода слишком велико");
  }
  return Status::Ok();
}

// Draws on a fresh white canvas of the given size with the origin at
// (originX, originY), restoring Left and Top.
Status DrawOnNewCanvas(TFBarcode& barcode, int64_t width, int64_t height, int originX, int originY,
                       std::optional<Canvas>& image) {
  Status status = CheckSize(width, height);
  if (!status.ok()) return status;
  const int savedLeft = barcode.Left();
  const int savedTop = barcode.Top();
  try {
    Canvas canvas(static_cast<int>(width), static_cast<int>(height));
    canvas.Clear();
    barcode.SetLeft(originX);
    barcode.SetTop(originY);
    status = barcode.DrawBarcode(canvas);
    if (status.ok()) image.emplace(std::move(canvas));
  } catch (const std::bad_alloc&) {
    status = Status::Error("недостаточно памяти для изображения штрихкода");
  }
  barcode.SetLeft(savedLeft);
  barcode.SetTop(savedTop);
  return status;
}

}  // namespace

Status SaveBarcodeBitmap(TFBarcode& barcode, const std::string& path) {
  std::error_code error;
  if (std::filesystem::exists(path, error)) return Status::Ok();
  int width = 0;
  Status status = barcode.Width(width);
  if (!status.ok()) return status;
  std::optional<Canvas> image;
  status = DrawOnNewCanvas(barcode, width, barcode.Height(), 0, 0, image);
  if (!status.ok()) return status;
  return SaveBitmapFile(*image, path);
}

Status RenderBarcodeImage(TFBarcode& barcode, std::optional<Canvas>& image) {
  int width = 0;
  Status status = barcode.Width(width);
  if (!status.ok()) return status;
  const int64_t height = barcode.Height();
  const double angle = std::isfinite(barcode.Angle()) ? std::fmod(barcode.Angle(), 360.0) : 0.0;
  const double radians = angle * std::numbers::pi / 180.0;
  const double cosA = std::cos(radians);
  const double sinA = std::sin(radians);

  Bounds bounds;
  const int64_t xs[] = {0, static_cast<int64_t>(width) - 1};
  const int64_t ys[] = {0, height - 1};
  for (int64_t x : xs) {
    for (int64_t y : ys) {
      const double fx = static_cast<double>(x);
      const double fy = static_cast<double>(y);
      bounds.Add(static_cast<int64_t>(std::round(fx * cosA + fy * sinA)),
                 static_cast<int64_t>(std::round(-fx * sinA + fy * cosA)));
    }
  }
  const TBarcodeOption option = barcode.ShowText();
  if (option == TBarcodeOption::bcoCode || option == TBarcodeOption::bcoBoth) {
    bounds.AddText(0, 0, barcode.Text());
  }
  if (option == TBarcodeOption::bcoTyp || option == TBarcodeOption::bcoBoth) {
    bounds.AddText(0, kTypeLineOffset, barcode.TypeName());
  }
  if (width <= 0 || height <= 0) return CheckSize(width, height);
  return DrawOnNewCanvas(barcode, bounds.right - bounds.left + 1, bounds.bottom - bounds.top + 1,
                         static_cast<int>(-bounds.left), static_cast<int>(-bounds.top), image);
}

}  // namespace talor
