#include "barcode/fbarcode.h"

#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "barcode/elements.h"
#include "barcode/symbologies.h"

namespace talor {
namespace {

constexpr double kMinRatio = 2.0;
constexpr double kMinRatioMatrix = 2.25;
constexpr double kMaxRatio = 3.0;
// Symbologies drawn from module counts use the widths 1, 2, 3 and 4 modules,
// which is the ratio 2.
constexpr double kModuleCountRatio = 2.0;
constexpr int kTextFontSize = 4;
constexpr int kTypeLineOffset = 14;

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string Trimmed(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool AllDigits(const std::string& text) {
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool UsesModuleCounts(TBarcodeType type) {
  const int number = static_cast<int>(type);
  return (number >= static_cast<int>(TBarcodeType::bcCode128A) &&
          number <= static_cast<int>(TBarcodeType::bcCodePostNet)) ||
         number >= static_cast<int>(TBarcodeType::bcCodeEAN128A);
}

double ClampRatio(double ratio, double low) {
  if (std::isnan(ratio) || ratio < low) return low;
  return ratio > kMaxRatio ? kMaxRatio : ratio;
}

Status ClassError(std::string_view what) {
  return Status::Error(std::string(TFBarcode::kClassName) + ": " + std::string(what));
}

// What an encoder gets. The text is the barcode's own: some symbologies
// complete it (a check digit, a code set) while they encode it.
struct EncodeInput {
  TBarcodeType type;
  std::string& text;
  bool checksum;
  CheckOption check;
};

using Encoder = Status (*)(EncodeInput& input, std::string& out);

// An encoder that takes the text alone and cannot fail.
template <void (*encode)(const std::string&, std::string&)>
Status Plain(EncodeInput& input, std::string& out) {
  encode(input.text, out);
  return Status::Ok();
}

// An encoder that takes the text alone and may refuse it.
template <Status (*encode)(const std::string&, std::string&)>
Status Refusing(EncodeInput& input, std::string& out) {
  return encode(input.text, out);
}

Status Code39(EncodeInput& input, std::string& out) {
  EncodeCode39(input.text, input.checksum, out);
  return Status::Ok();
}

Status Code39Extended(EncodeInput& input, std::string& out) {
  EncodeCode39Extended(input.text, input.checksum, out);
  return Status::Ok();
}

Status Code128(EncodeInput& input, std::string& out) {
  EncodeCode128(input.type, input.text, input.check, out);
  return Status::Ok();
}

Status Code93(EncodeInput& input, std::string& out) {
  return EncodeCode93(input.text, TFBarcode::kClassName, out);
}

Status Ean8(EncodeInput& input, std::string& out) {
  return EncodeEan8(input.text, input.check, out);
}

Status Ean13(EncodeInput& input, std::string& out) {
  return EncodeEan13(input.text, input.check, out);
}

Status UpcA(EncodeInput& input, std::string& out) {
  return EncodeUpcA(input.text, input.check, out);
}

template <int numberSystem>
Status UpcE(EncodeInput& input, std::string& out) {
  return EncodeUpcE(numberSystem, input.text, input.check, out);
}

// The encoder of each symbology, by type number.
constexpr std::array<Encoder, kBarcodeTypeCount> kEncoders = {
    Plain<EncodeInterleaved2of5>,    // 2/5 interleaved
    Plain<EncodeIndustrial2of5>,     // 2/5 industrial
    Plain<EncodeMatrix2of5>,         // 2/5 matrix
    Code39,                          // Code 39
    Code39Extended,                  // Code 39 extended
    Code128,                         // Code 128 A
    Code128,                         // Code 128 B
    Code128,                         // Code 128 C
    Code93,                          // Code 93
    Plain<EncodeCode93Extended>,     // Code 93 extended
    Plain<EncodeMsi>,                // MSI
    Plain<EncodePostNet>,            // PostNet
    Plain<EncodeCodabar>,            // Codabar
    Ean8,                            // EAN 8
    Ean13,                           // EAN 13
    UpcA,                            // UPC-A
    UpcE<0>,                         // UPC-E0
    UpcE<1>,                         // UPC-E1
    Refusing<EncodeUpcSupplement2>,  // UPC supplement 2
    Refusing<EncodeUpcSupplement5>,  // UPC supplement 5
    Code128,                         // EAN 128 A
    Code128,                         // EAN 128 B
    Code128,                         // EAN 128 C
};

}  // namespace

void TFBarcode::SetModul(int modul) {
  if (modul >= kMinModul && modul <= kMaxModul) modul_ = modul;
}

std::string_view TFBarcode::TypeName() const {
  const std::optional<TBCdata> data = SymbologyData(typ_);
  return data ? data->name : std::string_view();
}

std::array<int, 4> TFBarcode::ElementWidths() const {
  double ratio = kModuleCountRatio;
  if (typ_ == TBarcodeType::bcCode_2_5_matrix) {
    ratio = ClampRatio(ratio_, kMinRatioMatrix);
  } else if (!UsesModuleCounts(typ_)) {
    ratio = ClampRatio(ratio_, kMinRatio);
  }
  const int wide = static_cast<int>(std::lround(modul_ * ratio));
  return {modul_, wide, wide * 3 / 2, wide * 2};
}

void TFBarcode::ComputeModules() { modules_ = ElementWidths(); }

Status TFBarcode::MakeElements(std::string& elements) {
  const std::optional<TBCdata> data = SymbologyData(typ_);
  if (!data) return ClassError("wrong BarcodeType");
  if (data->numeric) {
    text_ = Trimmed(text_);
    if (!AllDigits(text_)) return Status::Error("Barcode must be numeric");
  }
  EncodeInput input{typ_, text_, checksum_, CheckOption{checksum_, checkSumMethod_}};
  std::string out;
  const Status status = kEncoders[static_cast<size_t>(typ_)](input, out);
  if (!status.ok()) return status;
  for (char code : out) {
    if (!DecodeElement(code)) return ClassError("internal Error");
  }
  elements = std::move(out);
  return Status::Ok();
}

Status TFBarcode::Width(int& width) {
  std::string elements;
  Status status = MakeElements(elements);
  if (!status.ok()) return status;
  ComputeModules();
  int64_t total = 0;
  for (char code : elements) {
    total += modules_[static_cast<size_t>(DecodeElement(code)->widthIndex)];
    if (total > INT_MAX) return ClassError("barcode too wide");
  }
  width = static_cast<int>(total);
  return Status::Ok();
}

void TFBarcode::DrawElements(Canvas& canvas, std::string_view elements) const {
  double degrees = std::isfinite(angle_) ? std::fmod(angle_, 360.0) : 0.0;
  const double radians = degrees * std::numbers::pi / 180.0;
  const double cosA = std::cos(radians);
  const double sinA = std::sin(radians);
  auto corner = [&](int64_t x, int64_t y) {
    const double fx = static_cast<double>(x);
    const double fy = static_cast<double>(y);
    return CanvasPoint{static_cast<int64_t>(std::round(fx * cosA + fy * sinA)) + left_,
                       static_cast<int64_t>(std::round(-fx * sinA + fy * cosA)) + top_};
  };
  canvas.pen.width = 1;
  int64_t x = 0;
  for (char code : elements) {
    const Element element = *DecodeElement(code);
    const int64_t w = modules_[static_cast<size_t>(element.widthIndex)];
    const int64_t h = element.kind == ElementKind::kShortBar ? height_ * 2 / 5 : height_;
    const RgbColor color = element.kind == ElementKind::kSpace ? color_ : colorBar_;
    canvas.pen.color = color;
    canvas.brush.color = color;
    const CanvasPoint points[] = {corner(x, 0), corner(x + w - 1, 0), corner(x + w - 1, h),
                                  corner(x, h)};
    canvas.ConvexPolygon(points);
    x += w;
  }
}

void TFBarcode::DrawText(Canvas& canvas) {
  if (showText_ == TBarcodeOption::bcoNone) return;
  canvas.font.size = kTextFontSize;
  canvas.pen.color = kColorBlack;
  canvas.brush.color = kColorWhite;
  if (showText_ == TBarcodeOption::bcoCode || showText_ == TBarcodeOption::bcoBoth) {
    canvas.TextOut(left_, top_, text_);
  }
  if (showText_ == TBarcodeOption::bcoTyp || showText_ == TBarcodeOption::bcoBoth) {
    canvas.TextOut(left_, static_cast<int64_t>(top_) + kTypeLineOffset, TypeName());
  }
}

Status TFBarcode::DrawBarcode(Canvas& canvas) {
  std::string elements;
  Status status = MakeElements(elements);
  if (!status.ok()) return status;
  ComputeModules();
  const CanvasPen savedPen = canvas.pen;
  const CanvasBrush savedBrush = canvas.brush;
  const CanvasFont savedFont = canvas.font;
  DrawElements(canvas, elements);
  DrawText(canvas);
  canvas.pen = savedPen;
  canvas.brush = savedBrush;
  canvas.font = savedFont;
  return Status::Ok();
}

}  // namespace talor
