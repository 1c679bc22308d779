#include "barcode/canvas.h"

#include <algorithm>
#include <cmath>

#include "barcode/bitmap_font.h"

namespace talor {
namespace {

int64_t RoundHalfUp(double value) { return static_cast<int64_t>(std::floor(value + 0.5)); }

// The UTF-8 lead byte decides how many continuation bytes follow; a
// multi-byte character is shown as one substitute glyph.
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace

Canvas::Canvas(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<size_t>(width_) * static_cast<size_t>(height_), kColorWhite) {}

RgbColor Canvas::Pixel(int64_t x, int64_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return kColorWhite;
  return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

void Canvas::SetPixel(int64_t x, int64_t y, RgbColor color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] = color;
}

void Canvas::Clear() { std::fill(pixels_.begin(), pixels_.end(), brush.color); }

void Canvas::FillRow(int64_t y, double left, double right, RgbColor color) {
  if (y < 0 || y >= height_ || width_ == 0 || !(left <= right)) return;
  const double first = std::max(left, 0.0);
  const double last = std::min(right, static_cast<double>(width_ - 1));
  if (first > last) return;
  const auto begin = static_cast<size_t>(first);
  const auto end = static_cast<size_t>(last);
  RgbColor* row = pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
  std::fill(row + begin, row + end + 1, color);
}

void Canvas::ConvexPolygon(std::span<const CanvasPoint> points) {
  if (points.empty() || height_ == 0) return;
  int64_t top = points[0].y;
  int64_t bottom = points[0].y;
  int64_t leftmost = points[0].x;
  int64_t rightmost = points[0].x;
  for (const CanvasPoint& p : points) {
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
    leftmost = std::min(leftmost, p.x);
    rightmost = std::max(rightmost, p.x);
  }
  if (rightmost < 0 || leftmost >= width_) return;
  top = std::max<int64_t>(top, 0);
  bottom = std::min<int64_t>(bottom, height_ - 1);

  const size_t count = points.size();
  for (int64_t y = top; y <= bottom; ++y) {
    const double row = static_cast<double>(y);
    // Interior first: where the scan line crosses the edges.
    double inLeft = HUGE_VAL;
    double inRight = -HUGE_VAL;
    for (size_t i = 0; i < count; ++i) {
      const CanvasPoint& p = points[i];
      const CanvasPoint& q = points[(i + 1) % count];
      const double px = static_cast<double>(p.x), py = static_cast<double>(p.y);
      const double qx = static_cast<double>(q.x), qy = static_cast<double>(q.y);
      if (py == qy || row < std::min(py, qy) || row > std::max(py, qy)) continue;
      const double x = px + (row - py) * (qx - px) / (qy - py);
      inLeft = std::min(inLeft, x);
      inRight = std::max(inRight, x);
    }
    if (inLeft <= inRight) FillRow(y, std::ceil(inLeft), std::floor(inRight), brush.color);
    // Then the outline: the pixels of each edge within the band of this row.
    for (size_t i = 0; i < count; ++i) {
      const CanvasPoint& p = points[i];
      const CanvasPoint& q = points[(i + 1) % count];
      const double px = static_cast<double>(p.x), py = static_cast<double>(p.y);
      const double qx = static_cast<double>(q.x), qy = static_cast<double>(q.y);
      if (py == qy) {
        if (py == row) FillRow(y, std::min(px, qx), std::max(px, qx), pen.color);
        continue;
      }
      const double bandLow = std::max(row - 0.5, std::min(py, qy));
      const double bandHigh = std::min(row + 0.5, std::max(py, qy));
      if (bandLow > bandHigh || bandLow == row + 0.5) continue;
      const double xa = px + (bandLow - py) * (qx - px) / (qy - py);
      const double xb = px + (bandHigh - py) * (qx - px) / (qy - py);
      FillRow(y, static_cast<double>(RoundHalfUp(std::min(xa, xb))),
              static_cast<double>(RoundHalfUp(std::max(xa, xb))), pen.color);
    }
  }
}

void Canvas::TextOut(int64_t x, int64_t y, std::string_view text) {
  int64_t cellX = x;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = SequenceLength(lead);
    const unsigned char shown = length == 1 ? lead : '?';
    i += length;
    for (int row = 0; row < kCellHeight; ++row) {
      for (int column = 0; column < kCellWidth; ++column) {
        const bool ink = GlyphPixel(shown, column, row);
        SetPixel(cellX + column, y + row, ink ? font.color : brush.color);
      }
    }
    cellX += kCellWidth;
    if (cellX >= width_) break;  // the rest lies right of the surface
  }
}

}  // namespace talor
