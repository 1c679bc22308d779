// The canvas, bitmap and PNG files, and the barcode image files of pages.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "barcode/barcode_image.h"
#include "barcode/canvas.h"
#include "barcode/image_file.h"

namespace talor {
namespace {

namespace fs = std::filesystem;

int CountColor(const Canvas& canvas, RgbColor color) {
  int count = 0;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) count += canvas.Pixel(x, y) == color ? 1 : 0;
  }
  return count;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("talor_barcode_image_" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  fs::path dir_;
};

TEST(CanvasPolygon, RectangleCoversBothEnds) {
  Canvas canvas(10, 10);
  canvas.brush.color = kColorBlack;
  canvas.pen.color = kColorBlack;
  const CanvasPoint rect[] = {{2, 3}, {4, 3}, {4, 7}, {2, 7}};
  canvas.ConvexPolygon(rect);
  EXPECT_EQ(3 * 5, CountColor(canvas, kColorBlack));
  EXPECT_EQ(kColorBlack, canvas.Pixel(2, 3));
  EXPECT_EQ(kColorBlack, canvas.Pixel(4, 7));
  EXPECT_EQ(kColorWhite, canvas.Pixel(5, 7));
  EXPECT_EQ(kColorWhite, canvas.Pixel(4, 8));
}

TEST(CanvasPolygon, OutlineInPenInteriorInBrush) {
  Canvas canvas(10, 10);
  canvas.brush.color = 0x00FF00;
  canvas.pen.color = 0xFF0000;
  const CanvasPoint rect[] = {{1, 1}, {5, 1}, {5, 5}, {1, 5}};
  canvas.ConvexPolygon(rect);
  EXPECT_EQ(9, CountColor(canvas, 0x00FF00));   // 3 x 3 inside
  EXPECT_EQ(16, CountColor(canvas, 0xFF0000));  // the ring of a 5 x 5 square
}

TEST(CanvasPolygon, FarAwayAndHugeCoordinatesAreClipped) {
  Canvas canvas(8, 8);
  canvas.brush.color = kColorBlack;
  canvas.pen.color = kColorBlack;
  const int64_t big = int64_t{1} << 40;
  const CanvasPoint covering[] = {{-big, -big}, {big, -big}, {big, big}, {-big, big}};
  canvas.ConvexPolygon(covering);
  EXPECT_EQ(64, CountColor(canvas, kColorBlack));
  Canvas other(8, 8);
  other.brush.color = kColorBlack;
  const CanvasPoint outside[] = {{100, 0}, {200, 0}, {200, 5}, {100, 5}};
  other.ConvexPolygon(outside);
  EXPECT_EQ(64, CountColor(other, kColorWhite));
}

TEST(CanvasPolygon, RotatedSquareHasNoHoles) {
  Canvas canvas(30, 30);
  canvas.brush.color = kColorBlack;
  canvas.pen.color = kColorBlack;
  const CanvasPoint diamond[] = {{15, 5}, {25, 15}, {15, 25}, {5, 15}};
  canvas.ConvexPolygon(diamond);
  for (int y = 5; y <= 25; ++y) {
    const int half = 10 - std::abs(y - 15);
    for (int x = 15 - half; x <= 15 + half; ++x) {
      EXPECT_EQ(kColorBlack, canvas.Pixel(x, y)) << x << "," << y;
    }
  }
}

TEST(CanvasText, UnknownBytesAndUtf8ShowOneSubstituteEach) {
  Canvas plain(40, 8);
  plain.TextOut(0, 0, "??");
  Canvas odd(40, 8);
  odd.TextOut(0, 0, "\xd0\xb9\x01");  // one Cyrillic letter, one control byte
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 40; ++x) EXPECT_EQ(plain.Pixel(x, y), odd.Pixel(x, y)) << x << "," << y;
  }
  EXPECT_GT(CountColor(plain, kColorBlack), 0);
}

TEST(BitmapFile, RoundTripKeepsEveryPixelWithRowPadding) {
  for (int width : {1, 2, 3, 4, 5}) {
    Canvas canvas(width, 3);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < width; ++x) {
        canvas.SetPixel(x, y, static_cast<RgbColor>(0x010203 * (x + 1) + 0x100000 * y));
      }
    }
    const std::string bytes = EncodeBitmap(canvas);
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    EXPECT_EQ(54 + stride * 3, bytes.size());
    const std::optional<Canvas> decoded = DecodeBitmap(bytes);
    ASSERT_TRUE(decoded);
    ASSERT_EQ(width, decoded->width());
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < width; ++x) EXPECT_EQ(canvas.Pixel(x, y), decoded->Pixel(x, y));
    }
  }
}

TEST(BitmapFile, HeaderFieldsAndBottomUpRows) {
  Canvas canvas(2, 2);
  canvas.SetPixel(0, 0, 0x112233);  // top-left is stored in the last row
  const std::string bytes = EncodeBitmap(canvas);
  EXPECT_EQ("BM", bytes.substr(0, 2));
  EXPECT_EQ(54, static_cast<unsigned char>(bytes[10]));
  EXPECT_EQ(24, static_cast<unsigned char>(bytes[28]));
  EXPECT_EQ(std::string("\x33\x22\x11", 3), bytes.substr(54 + 8, 3));
}

TEST(BitmapFile, DamagedDataIsRejected) {
  const std::string good = EncodeBitmap(Canvas(7, 5));
  EXPECT_FALSE(DecodeBitmap(good.substr(0, good.size() - 1)));
  EXPECT_FALSE(DecodeBitmap(good.substr(0, 30)));
  EXPECT_FALSE(DecodeBitmap(""));
  std::string badMagic = good;
  badMagic[0] = 'X';
  EXPECT_FALSE(DecodeBitmap(badMagic));
  std::string huge = good;
  huge[21] = '\x7f';  // width about two thousand million
  EXPECT_FALSE(DecodeBitmap(huge));
  std::string compressed = good;
  compressed[30] = 1;
  EXPECT_FALSE(DecodeBitmap(compressed));
}

TEST_F(TempDir, PngFileHasSignature) {
  const fs::path path = dir_ / "a.png";
  ASSERT_TRUE(SavePngFile(Canvas(3, 2), path.string()).ok());
  EXPECT_EQ("\x89PNG\r\n\x1a\n", ReadFile(path).substr(0, 8));
  EXPECT_FALSE(SavePngFile(Canvas(0, 2), (dir_ / "b.png").string()).ok());
  EXPECT_FALSE(fs::exists(dir_ / "b.png"));
}

TEST_F(TempDir, PageBitmapIsWidthByHeightAndReused) {
  TFBarcode barcode;
  barcode.SetTyp(TBarcodeType::bcCode_2_5_interleaved);
  barcode.SetHeight(40);
  barcode.SetText("1234");
  const fs::path path = dir_ / "@TALOR_barcode_1234.bmp";
  ASSERT_TRUE(SaveBarcodeBitmap(barcode, path.string()).ok());
  const std::optional<Canvas> image = LoadBitmapFile(path.string());
  ASSERT_TRUE(image);
  EXPECT_EQ(36, image->width());
  EXPECT_EQ(40, image->height());
  EXPECT_EQ(kColorBlack, image->Pixel(0, 39));
  EXPECT_EQ(kColorWhite, image->Pixel(1, 0));

  // An existing file is reused without drawing, whatever it holds.
  barcode.SetText("5678");
  ASSERT_TRUE(SaveBarcodeBitmap(barcode, path.string()).ok());
  const std::optional<Canvas> again = LoadBitmapFile(path.string());
  ASSERT_TRUE(again);
  for (int x = 0; x < 36; ++x) EXPECT_EQ(image->Pixel(x, 10), again->Pixel(x, 10));
  std::ofstream(dir_ / "other.bmp") << "not an image";
  EXPECT_TRUE(SaveBarcodeBitmap(barcode, (dir_ / "other.bmp").string()).ok());
  EXPECT_EQ("not an image", ReadFile(dir_ / "other.bmp"));
}

TEST_F(TempDir, PageBitmapFailuresWriteNothing) {
  TFBarcode barcode;
  barcode.SetTyp(TBarcodeType::bcCodeEAN8);
  barcode.SetHeight(40);
  barcode.SetText("123456789");
  EXPECT_EQ("Invalid Text len (EAN8)",
            SaveBarcodeBitmap(barcode, (dir_ / "a.bmp").string()).message());
  barcode.SetText("1234567");
  barcode.SetHeight(0);
  EXPECT_FALSE(SaveBarcodeBitmap(barcode, (dir_ / "b.bmp").string()).ok());
  barcode.SetHeight(40);
  EXPECT_FALSE(SaveBarcodeBitmap(barcode, (dir_ / "missing" / "c.bmp").string()).ok());
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST(RenderedImage, FitsTheRotatedSymbolAndKeepsOrigin) {
  struct Row {
    double angle;
    int width, height;
  };
  const Row rows[] = {{0, 36, 40}, {90, 40, 36}, {180, 36, 40}, {-90, 40, 36}, {360, 36, 40}};
  for (const Row& row : rows) {
    TFBarcode barcode;
    barcode.SetTyp(TBarcodeType::bcCode_2_5_interleaved);
    barcode.SetHeight(40);
    barcode.SetText("1234");
    barcode.SetAngle(row.angle);
    barcode.SetLeft(7);
    std::optional<Canvas> image;
    ASSERT_TRUE(RenderBarcodeImage(barcode, image).ok());
    EXPECT_EQ(row.width, image->width()) << row.angle;
    EXPECT_EQ(row.height, image->height()) << row.angle;
    EXPECT_EQ(7, barcode.Left());
    // Bars 2 (start) + 7 + 7 (pairs) + 3 (stop) modules wide, 40 high.
    EXPECT_EQ(19 * 40, CountColor(*image, kColorBlack)) << row.angle;
  }
}

TEST(RenderedImage, SameBarPixelsAtEveryRightAngle) {
  auto barPixels = [](double angle) {
    TFBarcode barcode;
    barcode.SetTyp(TBarcodeType::bcCode128B);
    barcode.SetHeight(20);
    barcode.SetText("Turn");
    barcode.SetAngle(angle);
    std::optional<Canvas> image;
    EXPECT_TRUE(RenderBarcodeImage(barcode, image).ok());
    return CountColor(*image, kColorBlack);
  };
  const int upright = barPixels(0);
  EXPECT_GT(upright, 0);
  for (double angle : {90.0, 180.0, 270.0, -270.0}) EXPECT_EQ(upright, barPixels(angle)) << angle;
}

TEST(RenderedImage, TooLargeImagesAreRefused) {
  TFBarcode barcode;
  barcode.SetTyp(TBarcodeType::bcCode128B);
  barcode.SetHeight(100000);
  barcode.SetModul(49);
  barcode.SetText(std::string(200, 'W'));
  std::optional<Canvas> image;
  EXPECT_EQ("изображение штрихкода слишком велико", RenderBarcodeImage(barcode, image).message());
  EXPECT_FALSE(image);
}

}  // namespace
}  // namespace talor
