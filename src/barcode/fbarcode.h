// TFBarcode: draws a one-dimensional barcode of one of 23 symbologies onto a
// canvas, rotated by any angle, and reports its width.
//
// Every operation first turns Text into a string of elements (see
// elements.h) by the encoder of Typ. Numeric symbologies trim Text of
// surrounding blanks, and some symbologies pad or complete it; those changes
// are kept in Text, as the comments of symbologies.h say. Failures are
// returned as a Status whose message is the component's own text.

#ifndef TALOR_BARCODE_FBARCODE_H_
#define TALOR_BARCODE_FBARCODE_H_

#include <array>
#include <string>
#include <string_view>

#include "barcode/barcode_types.h"
#include "barcode/canvas.h"
#include "text/status.h"

namespace talor {

class TFBarcode {
 public:
  // The class name that error messages name.
  static constexpr std::string_view kClassName = "TFBarcode";
  // Modul takes only values from kMinModul to kMaxModul.
  static constexpr int kMinModul = 1;
  static constexpr int kMaxModul = 49;

  TFBarcode() = default;

  int Height() const { return height_; }
  void SetHeight(int height) { height_ = height; }
  const std::string& Text() const { return text_; }
  void SetText(std::string text) { text_ = std::move(text); }
  int Top() const { return top_; }
  void SetTop(int top) { top_ = top; }
  int Left() const { return left_; }
  void SetLeft(int left) { left_ = left; }
  int Modul() const { return modul_; }
  // Ignored unless kMinModul <= modul <= kMaxModul.
  void SetModul(int modul);
  double Ratio() const { return ratio_; }
  void SetRatio(double ratio) { ratio_ = ratio; }
  TBarcodeType Typ() const { return typ_; }
  // Any value is accepted; a number outside 0..22 fails at encoding.
  void SetTyp(TBarcodeType typ) { typ_ = typ; }
  bool Checksum() const { return checksum_; }
  void SetChecksum(bool checksum) { checksum_ = checksum; }
  TCheckSumMethod CheckSumMethod() const { return checkSumMethod_; }
  void SetCheckSumMethod(TCheckSumMethod method) { checkSumMethod_ = method; }
  double Angle() const { return angle_; }
  void SetAngle(double angle) { angle_ = angle; }
  TBarcodeOption ShowText() const { return showText_; }
  void SetShowText(TBarcodeOption option) { showText_ = option; }
  RgbColor Color() const { return color_; }
  void SetColor(RgbColor color) { color_ = color; }
  RgbColor ColorBar() const { return colorBar_; }
  void SetColorBar(RgbColor color) { colorBar_ = color; }

  // The total width in pixels of the bars at the current settings. On failure
  // `width` is left unchanged.
  Status Width(int& width);

  // The element string of the current settings (see elements.h).
  Status MakeElements(std::string& elements);

  // Draws the barcode on `canvas` at Left, Top rotated by Angle, then the text
  // that ShowText asks for. The canvas's font, pen and brush are the same
  // afterwards. On failure nothing is drawn.
  Status DrawBarcode(Canvas& canvas);

  // The display name of Typ; empty for a type number outside 0..22.
  std::string_view TypeName() const;

  // The four element widths in pixels (narrow, wide, 1.5 x wide, 2 x wide)
  // at the current settings.
  std::array<int, 4> ElementWidths() const;

 private:
  // Narrow, wide, 1.5 x wide and 2 x wide; recomputed before each use.
  void ComputeModules();
  void DrawElements(Canvas& canvas, std::string_view elements) const;
  void DrawText(Canvas& canvas);

  // Published properties.
  int height_ = 0;
  std::string text_;
  int top_ = 0;
  int left_ = 0;
  int modul_ = 1;
  double ratio_ = 2.0;
  TBarcodeType typ_ = TBarcodeType::bcCodeEAN13;
  bool checksum_ = false;
  TCheckSumMethod checkSumMethod_ = TCheckSumMethod::csmModulo10;
  double angle_ = 0.0;
  TBarcodeOption showText_ = TBarcodeOption::bcoNone;
  RgbColor color_ = kColorWhite;
  RgbColor colorBar_ = kColorBlack;

  // Valid for one width computation or drawing.
  std::array<int, 4> modules_ = {1, 2, 3, 4};
};

}  // namespace talor

#endif  // TALOR_BARCODE_FBARCODE_H_
