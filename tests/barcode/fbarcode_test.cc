// TFBarcode: widths, the ratio and module rules, text checks and the pixel
// rules of drawing.

#include "barcode/fbarcode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace talor {
namespace {

using enum TBarcodeType;

// The navigator's component: interleaved 2 of 5, height 40, other defaults.
TFBarcode NavigatorBarcode(std::string text) {
  TFBarcode barcode;
  barcode.SetTyp(bcCode_2_5_interleaved);
  barcode.SetHeight(40);
  barcode.SetText(std::move(text));
  return barcode;
}

int WidthOf(TFBarcode& barcode) {
  int width = -1;
  const Status status = barcode.Width(width);
  EXPECT_TRUE(status.ok()) << status.message();
  return width;
}

// Rows of the canvas as strings: '#' bar colour, '.' white, '?' other.
std::vector<std::string> Picture(const Canvas& canvas) {
  std::vector<std::string> rows;
  for (int y = 0; y < canvas.height(); ++y) {
    std::string row;
    for (int x = 0; x < canvas.width(); ++x) {
      const RgbColor color = canvas.Pixel(x, y);
      row += color == kColorBlack ? '#' : color == kColorWhite ? '.' : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(Width, NavigatorDefaultsGive36PixelsFor1234) {
  TFBarcode barcode = NavigatorBarcode("1234");
  EXPECT_EQ(36, WidthOf(barcode));
  barcode.SetText("12345");  // the odd last digit is not encoded
  EXPECT_EQ(36, WidthOf(barcode));
  barcode.SetText("");
  EXPECT_EQ(8, WidthOf(barcode));
}

TEST(Width, WholeSymbols) {
  struct Row {
    TBarcodeType type;
    std::string text;
    int width;
  };
  const Row rows[] = {
      {bcCodeEAN13, "5901234123457", 95},  // 3 + 42 + 5 + 42 + 3 modules
      {bcCodeEAN8, "96385074", 67},
      {bcCodeUPC_A, "036000291452", 95},
      {bcCodeUPC_E0, "1234565", 51},
      {bcCodeUPC_Supp2, "12", 20},
      {bcCodeUPC_Supp5, "52495", 47},
      {bcCode128B, "A", 46},  // start, A, check 11 each, stop 13
      {bcCode128C, "123", 57},
      {bcCodeEAN128C, "12", 57},
      {bcCode93, "TEST93", 91},     // (2 + 6 + 2) x 9 + termination bar
      {bcCode39, "A", 3 * 12 + 2},  // narrow 1, wide 2: 12 a character, 2 gaps
      {bcCodePostNet, "1", 14},     // bar, wide space, 5 x 2, bar
  };
  for (const Row& row : rows) {
    TFBarcode barcode;
    barcode.SetTyp(row.type);
    barcode.SetText(row.text);
    EXPECT_EQ(row.width, WidthOf(barcode)) << static_cast<int>(row.type) << " " << row.text;
  }
}

TEST(ElementWidths, RatioIsClampedPerType) {
  struct Row {
    TBarcodeType type;
    int modul;
    double ratio;
    std::array<int, 4> widths;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Row rows[] = {
      {bcCode39, 1, 1.5, {1, 2, 3, 4}},
      {bcCode39, 4, 1.5, {4, 8, 12, 16}},
      {bcCode39, 4, 3.5, {4, 12, 18, 24}},
      {bcCode39, 2, 2.5, {2, 5, 7, 10}},
      {bcCode_2_5_matrix, 1, 1.5, {1, 2, 3, 4}},  // 2.25 rounds to 2
      {bcCode_2_5_matrix, 4, 1.5, {4, 9, 13, 18}},
      {bcCode_2_5_matrix, 4, 9.0, {4, 12, 18, 24}},
      {bcCode_2_5_interleaved, 3, nan, {3, 6, 9, 12}},
      {bcCodeEAN13, 2, 0.1, {2, 4, 6, 8}},
      // Module-count symbologies ignore the ratio: 1, 2, 3 and 4 modules.
      {bcCode128B, 3, 3.0, {3, 6, 9, 12}},
      {bcCode93, 2, 1.0, {2, 4, 6, 8}},
      {bcCodeMSI, 1, 2.9, {1, 2, 3, 4}},
      {bcCodeEAN128A, 5, -7.0, {5, 10, 15, 20}},
  };
  for (const Row& row : rows) {
    TFBarcode barcode;
    barcode.SetTyp(row.type);
    barcode.SetModul(row.modul);
    barcode.SetRatio(row.ratio);
    EXPECT_EQ(row.widths, barcode.ElementWidths())
        << static_cast<int>(row.type) << " ratio " << row.ratio;
    EXPECT_TRUE(std::isnan(row.ratio) || barcode.Ratio() == row.ratio);  // property unchanged
  }
}

TEST(ElementWidths, ModulOutsideOneTo49IsIgnored) {
  TFBarcode barcode = NavigatorBarcode("1234");
  barcode.SetModul(3);
  for (int ignored : {0, 50, -1, 1000}) barcode.SetModul(ignored);
  EXPECT_EQ(3, barcode.Modul());
  EXPECT_EQ(108, WidthOf(barcode));
  barcode.SetModul(49);
  EXPECT_EQ(49 * 36, WidthOf(barcode));
}

TEST(TextChecks, DigitsOnlyTypesTrimAndRejectOthers) {
  for (int number = 0; number < kBarcodeTypeCount; ++number) {
    const TBarcodeType type = *BarcodeTypeFromNumber(number);
    if (!SymbologyData(type)->numeric) continue;
    TFBarcode barcode;
    barcode.SetTyp(type);
    barcode.SetText(" \t12 ");
    std::string elements;
    EXPECT_TRUE(barcode.MakeElements(elements).ok()) << number;
    EXPECT_TRUE(barcode.Text().starts_with("12") || barcode.Text().ends_with("12")) << number;
    for (const char* bad : {"12a", "1 2", "-1", "\xd9\xa1", "+5"}) {
      barcode.SetText(bad);
      EXPECT_EQ("Barcode must be numeric", barcode.MakeElements(elements).message())
          << number << " «" << bad << "»";
    }
  }
}

TEST(TextChecks, TypeNumberOutOfRange) {
  for (int number : {23, 24, -1, 1000}) {
    TFBarcode barcode;
    barcode.SetTyp(static_cast<TBarcodeType>(number));
    barcode.SetText("1234");
    int width = 7;
    EXPECT_EQ("TFBarcode: wrong BarcodeType", barcode.Width(width).message());
    EXPECT_EQ(7, width);
    Canvas canvas(10, 10);
    EXPECT_FALSE(barcode.DrawBarcode(canvas).ok());
    EXPECT_EQ(std::string(10, '.'), Picture(canvas)[0]);
    EXPECT_EQ("", barcode.TypeName());
  }
}

TEST(TextChecks, LongAndOddTextsEncodeWithoutFailure) {
  const std::string longText(100000, '7');
  for (int number = 0; number < kBarcodeTypeCount; ++number) {
    TFBarcode barcode;
    barcode.SetTyp(*BarcodeTypeFromNumber(number));
    for (const std::string& text : {std::string(), longText, std::string("\0\xff\x80", 3)}) {
      barcode.SetText(text);
      int width = 0;
      const Status status = barcode.Width(width);
      // Either a barcode of some width or a refusal that says why.
      if (status.ok()) {
        EXPECT_GT(width, 0) << number;
      } else {
        EXPECT_FALSE(status.message().empty()) << number;
      }
    }
  }
}

TEST(Drawing, BarsCoverHeightPlusOneRowsFromTopLeft) {
  TFBarcode barcode = NavigatorBarcode("1234");
  barcode.SetHeight(4);
  barcode.SetLeft(2);
  barcode.SetTop(1);
  Canvas canvas(40, 8);
  ASSERT_TRUE(barcode.DrawBarcode(canvas).ok());
  // Start bwbw, then 1/2: Bw bW bw bw BW, 3/4: Bw Bw bW bw bW, stop Bwb.
  const std::string bars = "..#.#.##.#..#.#.##..##.##.#..#.#..##.#..";
  const std::vector<std::string> expected = {
      std::string(40, '.'), bars, bars, bars, bars, bars, std::string(40, '.'),
      std::string(40, '.')};
  EXPECT_EQ(expected, Picture(canvas));
}

TEST(Drawing, ShortBarsHangFromTheTop) {
  TFBarcode barcode;
  barcode.SetTyp(bcCodePostNet);
  barcode.SetText("1");
  barcode.SetHeight(10);  // short bars reach y = 10 * 2 / 5 = 4
  Canvas canvas(14, 12);
  ASSERT_TRUE(barcode.DrawBarcode(canvas).ok());
  const std::vector<std::string> picture = Picture(canvas);
  // Frame bar, wide space, 1 = short short short full full, frame bar.
  for (int y = 0; y <= 4; ++y) EXPECT_EQ("#..#.#.#.#.#.#", picture[y]) << y;
  for (int y = 5; y <= 10; ++y) EXPECT_EQ("#........#.#.#", picture[y]) << y;
  EXPECT_EQ(std::string(14, '.'), picture[11]);
}

TEST(Drawing, RotationByRightAnglesMovesElementsExactly) {
  // Start bars of interleaved 2 of 5 (bar, space, bar, space, wide bar ...).
  TFBarcode barcode = NavigatorBarcode("12");
  barcode.SetHeight(3);
  struct Row {
    double angle;
    int left, top;
    std::vector<std::string> picture;
  };
  const Row rows[] = {
      // 90 degrees: x' = y, y' = -x; element x goes to row top - x and its
      // height 0..3 to columns 0..3.
      {90, 0, 5, {"####", "####", "....", "####", "....", "####"}},
      // 180 degrees: x' = -x, y' = -y; element x goes to column left - x.
      {180, 5, 3, {"##.#.#", "##.#.#", "##.#.#", "##.#.#", "......", "......"}},
      // 270 degrees: x' = -y, y' = x; element x goes to row x.
      {270, 3, 0, {"####", "....", "####", "....", "####", "####"}},
  };
  for (const Row& row : rows) {
    barcode.SetAngle(row.angle);
    barcode.SetLeft(row.left);
    barcode.SetTop(row.top);
    Canvas canvas(static_cast<int>(row.picture[0].size()), static_cast<int>(row.picture.size()));
    ASSERT_TRUE(barcode.DrawBarcode(canvas).ok());
    EXPECT_EQ(row.picture, Picture(canvas)) << "angle " << row.angle;
  }
}

TEST(Drawing, AnyAngleDrawsAndRepeatsExactly) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double angle : {0.0, 0.5, 37.0, 45.0, -45.0, 359.9, 720.0, 1e12, -1e300, inf, nan}) {
    TFBarcode barcode;
    barcode.SetTyp(bcCode128B);
    barcode.SetText("Angle");
    barcode.SetHeight(30);
    barcode.SetAngle(angle);
    barcode.SetLeft(60);
    barcode.SetTop(60);
    Canvas first(120, 120);
    Canvas second(120, 120);
    ASSERT_TRUE(barcode.DrawBarcode(first).ok());
    ASSERT_TRUE(barcode.DrawBarcode(second).ok());
    EXPECT_EQ(Picture(first), Picture(second)) << angle;
    int black = 0;
    for (const std::string& row : Picture(first))
      black += static_cast<int>(std::count(row.begin(), row.end(), '#'));
    EXPECT_GT(black, 0) << angle;
  }
}

TEST(Drawing, NonFiniteAngleDrawsLikeNoRotation) {
  TFBarcode barcode = NavigatorBarcode("1234");
  Canvas upright(36, 40);
  ASSERT_TRUE(barcode.DrawBarcode(upright).ok());
  for (double angle :
       {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    barcode.SetAngle(angle);
    Canvas canvas(36, 40);
    ASSERT_TRUE(barcode.DrawBarcode(canvas).ok());
    EXPECT_EQ(Picture(upright), Picture(canvas));
  }
}

TEST(Drawing, ColoursAndCanvasStateRestored) {
  TFBarcode barcode = NavigatorBarcode("1234");
  barcode.SetColor(0x00FF00);
  barcode.SetColorBar(0x0000FF);
  barcode.SetShowText(TBarcodeOption::bcoBoth);
  Canvas canvas(36, 40);
  canvas.pen = {0x123456, 3};
  canvas.brush = {0x654321};
  canvas.font = {0xABCDEF, 12};
  const CanvasPen pen = canvas.pen;
  const CanvasBrush brush = canvas.brush;
  const CanvasFont font = canvas.font;
  ASSERT_TRUE(barcode.DrawBarcode(canvas).ok());
  EXPECT_EQ(pen, canvas.pen);
  EXPECT_EQ(brush, canvas.brush);
  EXPECT_EQ(font, canvas.font);
  EXPECT_EQ(0x0000FFu, canvas.Pixel(0, 30));  // first start bar, below the text
  EXPECT_EQ(0x00FF00u, canvas.Pixel(1, 30));
}

TEST(Drawing, TextOptionsPrintCodeAtTopAndTypeFourteenBelow) {
  auto draw = [](TBarcodeOption option) {
    TFBarcode barcode = NavigatorBarcode("1234");
    barcode.SetShowText(option);
    barcode.SetTop(2);
    Canvas canvas(80, 44);
    EXPECT_TRUE(barcode.DrawBarcode(canvas).ok());
    return Picture(canvas);
  };
  const auto none = draw(TBarcodeOption::bcoNone);
  const auto code = draw(TBarcodeOption::bcoCode);
  const auto typ = draw(TBarcodeOption::bcoTyp);
  const auto both = draw(TBarcodeOption::bcoBoth);
  auto rowsDiffer = [&](const auto& a, const auto& b, int from, int to) {
    for (int y = from; y < to; ++y) {
      if (a[y] != b[y]) return true;
    }
    return false;
  };
  EXPECT_TRUE(rowsDiffer(none, code, 2, 8));
  EXPECT_FALSE(rowsDiffer(none, code, 8, 44));
  EXPECT_FALSE(rowsDiffer(none, typ, 0, 16));
  EXPECT_TRUE(rowsDiffer(none, typ, 16, 22));
  EXPECT_FALSE(rowsDiffer(none, typ, 22, 44));
  for (int y = 0; y < 44; ++y) {
    EXPECT_EQ(y >= 16 && y < 22 ? typ[y] : code[y], both[y]) << y;
  }
  // The type line is "2_5_interleaved": 15 cells of 4 pixels on white.
  EXPECT_EQ('.', typ[16][59]);
  EXPECT_NE(std::string(60, '.'), typ[17].substr(0, 60));
}

}  // namespace
}  // namespace talor
