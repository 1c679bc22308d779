// A raster drawing surface in memory with the state of a desktop canvas: a
// pen, a brush and a font that drawing calls use and callers may save and
// restore. Pixels outside the surface are clipped silently; coordinates may
// lie anywhere in the 64-bit range.

#ifndef TALOR_BARCODE_CANVAS_H_
#define TALOR_BARCODE_CANVAS_H_

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace talor {

// 0xRRGGBB.
using RgbColor = uint32_t;
inline constexpr RgbColor kColorWhite = 0xFFFFFF;
inline constexpr RgbColor kColorBlack = 0x000000;

struct CanvasPoint {
  int64_t x = 0;
  int64_t y = 0;
};

struct CanvasPen {
  RgbColor color = kColorBlack;
  int width = 1;
  bool operator==(const CanvasPen&) const = default;
};

struct CanvasBrush {
  RgbColor color = kColorWhite;
  bool operator==(const CanvasBrush&) const = default;
};

struct CanvasFont {
  RgbColor color = kColorBlack;
  int size = 8;  // points; the built-in font has one size and ignores it
  bool operator==(const CanvasFont&) const = default;
};

class Canvas {
 public:
  // A surface of `width` x `height` pixels (negative sizes count as 0), all
  // white. REQUIRES: the pixel count fits in memory.
  Canvas(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }

  // The colour at (x, y); white outside the surface.
  RgbColor Pixel(int64_t x, int64_t y) const;
  void SetPixel(int64_t x, int64_t y, RgbColor color);
  // Fills the whole surface with the brush colour.
  void Clear();

  CanvasPen pen;
  CanvasBrush brush;
  CanvasFont font;

  // Fills the convex polygon through `points` with the brush colour and
  // draws its outline with the pen colour; the outline covers the pixels on
  // the edges, so a rectangle from (x0, y0) to (x1, y1) covers both ends.
  // Fewer than one point draws nothing.
  void ConvexPolygon(std::span<const CanvasPoint> points);

  // Prints `text` with the built-in bitmap font: glyphs in the font colour on
  // cells filled with the brush colour, the top-left corner at (x, y). Bytes
  // outside printable ASCII are shown as '?', a UTF-8 sequence as one '?'.
  void TextOut(int64_t x, int64_t y, std::string_view text);

 private:
  void FillRow(int64_t y, double left, double right, RgbColor color);

  int width_;
  int height_;
  std::vector<RgbColor> pixels_;
};

}  // namespace talor

#endif  // TALOR_BARCODE_CANVAS_H_
