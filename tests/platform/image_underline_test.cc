#include "platform/image_underline.h"

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/gif_codec.h"
#include "platform/gif_palette.h"
#include "platform/jpeg_codec.h"
#include "shell/temp_dir.h"

namespace talor {
namespace {

constexpr GifColour kWhite{255, 255, 255};
constexpr GifColour kBlack{0, 0, 0};
constexpr GifColour kGreen{0, 160, 0};
constexpr GifColour kBlue{0, 0, 200};
constexpr GifColour kRed{255, 0, 0};

// ---------------------------------------------------------------------------
// Word boxes from answer lines

struct BoxRow {
  const char* line;
  std::optional<WordBox> box;
};

TEST(ParseWordBoxesTest, ReadsPackedRectanglesAndSkipsTheRest) {
  const BoxRow rows[] = {
      // -(10 + 65536 * 10) and -(70 + 65536 * 24)
      {"ВОЙНА#-655370#-1572934", WordBox{10, 10, 70, 24}},
      {"WORD#1#1", std::nullopt},     // no rectangle
      {"WORD#5#-100", std::nullopt},  // either part positive
      {"WORD#-100#3", std::nullopt},
      {"W#0#0", WordBox{0, 0, 0, 0}},  // zero is not positive: the origin
      {"W#-65536#-65537#tail", WordBox{0, 1, 1, 1}},
      {"W#-2147483648#-65535", WordBox{0, 32768, 65535, 0}},
      // Read as 64 bits, of which the low 32 count.
      {"W#-4294967297#-4294967296", WordBox{1, 0, 0, 0}},
      {"W#4294967295#-5", WordBox{1, 0, 5, 0}},  // low 32 bits are -1
      {"W#abc#-5", WordBox{0, 0, 5, 0}},         // not a number reads 0
      {"W#-5", std::nullopt},                    // fewer than three parts
      {"W", std::nullopt},
      {"", std::nullopt},
  };
  for (const BoxRow& row : rows) {
    SCOPED_TRACE(row.line);
    std::vector<WordBox> expected;
    if (row.box) expected.push_back(*row.box);
    EXPECT_EQ(ParseWordBoxes(StringList{{row.line}}), expected);
  }
}

TEST(ParseWordBoxesTest, KeepsTheOrderOfTheLines) {
  StringList lines{{"A#-131074#-196611"}, {"B#1#1"}, {"C#-1#-2"}};
  EXPECT_EQ(ParseWordBoxes(lines), (std::vector<WordBox>{{2, 2, 3, 3}, {1, 0, 2, 0}}));
}

// ---------------------------------------------------------------------------
// Test images, written and read with the image libraries themselves

struct FixtureFrame {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool interlace = false;
  int transparent = -1;
  std::vector<uint8_t> pixels;  // rows top to bottom
};

// `palette` must have a power-of-two size.
void WriteGifFile(const std::string& path, int width, int height,
                  const std::vector<GifColour>& palette, int background,
                  const std::vector<FixtureFrame>& frames) {
  std::vector<GifColorType> colours;
  for (GifColour c : palette) colours.push_back({c.red, c.green, c.blue});
  ColorMapObject* map = GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
  ASSERT_NE(map, nullptr);
  int error = 0;
  GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
  ASSERT_NE(gif, nullptr);
  EGifSetGifVersion(gif, true);
  ASSERT_EQ(EGifPutScreenDesc(gif, width, height, map->BitsPerPixel, background, map), GIF_OK);
  for (const FixtureFrame& frame : frames) {
    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 10, frame.transparent};
    GifByteType extension[4];
    size_t length = EGifGCBToExtension(&control, extension);
    ASSERT_EQ(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension),
              GIF_OK);
    ASSERT_EQ(EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height,
                               frame.interlace, nullptr),
              GIF_OK);
    std::vector<int> order;
    if (frame.interlace) {
      for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}}) {
        for (int row = start; row < frame.height; row += step) order.push_back(row);
      }
    } else {
      for (int row = 0; row < frame.height; ++row) order.push_back(row);
    }
    for (int row : order) {
      std::vector<GifPixelType> line(frame.pixels.begin() + row * frame.width,
                                     frame.pixels.begin() + (row + 1) * frame.width);
      ASSERT_EQ(EGifPutLine(gif, line.data(), frame.width), GIF_OK);
    }
  }
  ASSERT_EQ(EGifCloseFile(gif, &error), GIF_OK);
  GifFreeMapObject(map);
}

struct GifResult {
  int width = 0;
  int height = 0;
  int frames = 0;
  int transparent = -1;
  std::vector<uint8_t> indices;    // first frame, which covers the screen
  std::vector<GifColour> palette;  // the colour map that the frame uses

  GifColour At(int x, int y) const { return palette.at(indices.at(y * width + x)); }
  int IndexAt(int x, int y) const { return indices.at(y * width + x); }
};

std::optional<GifResult> ReadGifFile(const std::string& path) {
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  if (gif == nullptr) return std::nullopt;
  std::optional<GifResult> result;
  if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0) {
    const SavedImage& image = gif->SavedImages[0];
    const ColorMapObject* map =
        image.ImageDesc.ColorMap != nullptr ? image.ImageDesc.ColorMap : gif->SColorMap;
    if (image.ImageDesc.Width == gif->SWidth && image.ImageDesc.Height == gif->SHeight &&
        map != nullptr) {
      result.emplace();
      result->width = gif->SWidth;
      result->height = gif->SHeight;
      result->frames = gif->ImageCount;
      GraphicsControlBlock control;
      if (DGifSavedExtensionToGCB(gif, 0, &control) == GIF_OK) {
        result->transparent = control.TransparentColor;
      }
      result->indices.assign(image.RasterBits, image.RasterBits + gif->SWidth * gif->SHeight);
      for (int i = 0; i < map->ColorCount; ++i) {
        result->palette.push_back({map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
      }
    }
  }
  DGifCloseFile(gif, &error);
  return result;
}

JpegPicture SolidPicture(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
  JpegPicture picture;
  picture.width = width;
  picture.height = height;
  for (int i = 0; i < width * height; ++i) picture.rgb.insert(picture.rgb.end(), {r, g, b});
  return picture;
}

std::string JpegFile(const JpegPicture& picture) {
  std::optional<std::string> bytes = EncodeJpeg(picture, 95);
  EXPECT_TRUE(bytes.has_value());
  return bytes.value_or("");
}

bool NearlyRed(const JpegPicture& picture, int x, int y) {
  const uint8_t* p = &picture.rgb[(y * picture.width + x) * 3];
  return p[0] > 200 && p[1] < 60 && p[2] < 60;
}

bool Near(const JpegPicture& picture, int x, int y, int r, int g, int b) {
  const uint8_t* p = &picture.rgb[(y * picture.width + x) * 3];
  return std::abs(p[0] - r) <= 10 && std::abs(p[1] - g) <= 10 && std::abs(p[2] - b) <= 10;
}

// Whether (x, y) lies under the underline of `box`: rows y2 to y2 + 3,
// columns between x1 and x2 inclusive.
bool Underlined(const std::vector<WordBox>& boxes, int x, int y) {
  for (const WordBox& box : boxes) {
    if (y >= box.y2 && y <= box.y2 + 3 && x >= std::min(box.x1, box.x2) &&
        x <= std::max(box.x1, box.x2)) {
      return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------
// Underlining

TEST(UnderlineWordsTest, JpegGetsARedLineUnderTheWordAndTheRestStays) {
  TempDir dir;
  const std::string source = JpegFile(SolidPicture(48, 32, 40, 120, 200));
  dir.Write("page.jpg", source);

  ASSERT_TRUE(UnderlineWords(dir.File("page.jpg"), dir.File("marked.jpg"), {{8, 4, 30, 12}}));
  EXPECT_EQ(dir.Read("page.jpg"), source);  // a separate target leaves the source alone
  std::optional<JpegPicture> marked = DecodeJpeg(dir.Read("marked.jpg"));
  ASSERT_TRUE(marked.has_value());
  ASSERT_EQ(marked->width, 48);
  ASSERT_EQ(marked->height, 32);
  for (int x = 10; x <= 28; ++x) {
    EXPECT_TRUE(NearlyRed(*marked, x, 13)) << x;
    EXPECT_TRUE(NearlyRed(*marked, x, 14)) << x;
  }
  for (auto [x, y] : {std::pair{2, 2}, {40, 13}, {20, 4}, {20, 25}, {47, 31}}) {
    EXPECT_TRUE(Near(*marked, x, y, 40, 120, 200)) << x << "," << y;
  }
}

TEST(UnderlineWordsTest, GreyJpegIsWrittenInColour) {
  TempDir dir;
  std::vector<uint8_t> grey(32 * 24, 128);
  tjhandle handle = tjInitCompress();
  unsigned char* bytes = nullptr;
  unsigned long size = 0;
  ASSERT_EQ(
      tjCompress2(handle, grey.data(), 32, 0, 24, TJPF_GRAY, &bytes, &size, TJSAMP_GRAY, 95, 0), 0);
  dir.Write("grey.JPG", std::string(reinterpret_cast<char*>(bytes), size));
  tjFree(bytes);
  tjDestroy(handle);

  ASSERT_TRUE(UnderlineWords(dir.File("grey.JPG"), "", {{4, 2, 20, 8}}));
  std::optional<JpegPicture> marked = DecodeJpeg(dir.Read("grey.JPG"));
  ASSERT_TRUE(marked.has_value());
  EXPECT_TRUE(NearlyRed(*marked, 12, 9));
  EXPECT_TRUE(Near(*marked, 12, 20, 128, 128, 128));
}

TEST(UnderlineWordsTest, GifLineCoversExactlyTheUnderlineRowsClippedToTheImage) {
  TempDir dir;
  const int width = 16;
  const int height = 12;
  FixtureFrame frame{0, 0, width, height, false, -1, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) frame.pixels.push_back((x + y) % 2);  // white and black
  }
  WriteGifFile(dir.File("page.gif"), width, height, {kWhite, kBlack, kGreen, kBlue}, 0, {frame});
  const std::vector<WordBox> boxes = {
      {3, 0, 9, 2},         // rows 2 to 5
      {12, 3, 10, 6},       // x1 > x2: columns 10 to 12
      {14, 5, 40, 10},      // runs past the right and bottom edges
      {100, 90, 120, 200},  // outside the image
  };

  ASSERT_TRUE(UnderlineWords(dir.File("page.gif"), dir.File("marked.gif"), boxes));
  std::optional<GifResult> marked = ReadGifFile(dir.File("marked.gif"));
  ASSERT_TRUE(marked.has_value());
  ASSERT_EQ(marked->width, width);
  ASSERT_EQ(marked->height, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      GifColour expected = Underlined(boxes, x, y) ? kRed : ((x + y) % 2 ? kBlack : kWhite);
      EXPECT_EQ(marked->At(x, y), expected) << x << "," << y;
    }
  }
  // Red took an entry that no pixel used; the used colours kept theirs.
  EXPECT_EQ(marked->IndexAt(0, 0), 0);
  EXPECT_EQ(marked->IndexAt(1, 0), 1);
  EXPECT_EQ(marked->palette.size(), 4u);
}

TEST(UnderlineWordsTest, AnimatedInterlacedGifKeepsItsFirstFrameAndTransparency) {
  TempDir dir;
  const int width = 10;
  const int height = 11;
  FixtureFrame first{0, 0, width, height, true, 2, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) first.pixels.push_back(y % 3 == 0 ? 2 : (x + y) % 2);
  }
  FixtureFrame second{0, 0, width, height, false, -1, std::vector<uint8_t>(width * height, 3)};
  WriteGifFile(dir.File("anim.gif"), width, height, {kWhite, kBlack, kGreen, kBlue}, 0,
               {first, second});
  const std::vector<WordBox> boxes = {{1, 1, 6, 3}};

  ASSERT_TRUE(UnderlineWords(dir.File("anim.gif"), "", boxes));
  EXPECT_EQ(dir.Read("anim.gif").substr(0, 6), "GIF89a");
  std::optional<GifResult> marked = ReadGifFile(dir.File("anim.gif"));
  ASSERT_TRUE(marked.has_value());
  EXPECT_EQ(marked->frames, 1);
  EXPECT_EQ(marked->transparent, 2);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int original = first.pixels[y * width + x];
      if (Underlined(boxes, x, y)) {
        EXPECT_EQ(marked->At(x, y), kRed) << x << "," << y;
      } else {
        EXPECT_EQ(marked->IndexAt(x, y), original) << x << "," << y;
      }
    }
  }
  // Blue was used by the second frame only, so red took its entry.
  EXPECT_EQ(marked->palette[3], kRed);
}

TEST(UnderlineWordsTest, GifFrameSmallerThanTheScreenIsComposedOnTheBackground) {
  TempDir dir;
  FixtureFrame frame{2, 3, 4, 2, false, -1, std::vector<uint8_t>(8, 1)};
  WriteGifFile(dir.File("small.gif"), 8, 8, {kWhite, kBlack, kGreen, kBlue}, 2, {frame});

  ASSERT_TRUE(UnderlineWords(dir.File("small.gif"), dir.File("out.gif"), {{0, 0, 7, 4}}));
  std::optional<GifResult> marked = ReadGifFile(dir.File("out.gif"));
  ASSERT_TRUE(marked.has_value());
  EXPECT_EQ(marked->At(3, 3), kBlack);  // the frame
  EXPECT_EQ(marked->At(0, 0), kGreen);  // the background around it
  EXPECT_EQ(marked->At(7, 7), kRed);    // the underline runs over both
  EXPECT_EQ(marked->At(3, 4), kRed);
}

TEST(UnderlineWordsTest, NamesDecideWhatIsHandled) {
  TempDir dir;
  const std::string jpeg = JpegFile(SolidPicture(8, 8, 0, 0, 255));
  struct NameRow {
    const char* name;
    bool handled;
  };
  const NameRow rows[] = {
      {"a.jpg", true},      {"B.JPG", true},   {"c.Jpg.bak", true}, {"d.gif.jpg", true},
      {"e.jpeg", false},    {"f.JPEG", false}, {"g.png", false},    {"h", false},
      {"i.jpg.gif", false},  // named GIF last, but holds a JPEG
  };
  for (const NameRow& row : rows) {
    SCOPED_TRACE(row.name);
    dir.Write(row.name, jpeg);
    EXPECT_EQ(UnderlineWords(dir.File(row.name), dir.File("out.jpg"), {{1, 1, 5, 2}}), row.handled);
    EXPECT_EQ(std::filesystem::exists(dir.File("out.jpg")), row.handled);
    std::filesystem::remove(dir.File("out.jpg"));
  }
  // A directory named like an image does not make its files images.
  std::filesystem::create_directory(dir.File("x.jpg"));
  dir.Write("x.jpg/page", jpeg);
  EXPECT_FALSE(UnderlineWords(dir.File("x.jpg/page"), dir.File("out.jpg"), {}));
}

TEST(UnderlineWordsTest, BrokenSourcesFailWithoutWritingAnything) {
  TempDir dir;
  const std::string jpeg = JpegFile(SolidPicture(64, 64, 10, 200, 10));
  WriteGifFile(dir.File("good.gif"), 16, 16, {kWhite, kBlack}, 0,
               {FixtureFrame{0, 0, 16, 16, false, -1, std::vector<uint8_t>(256, 1)}});
  const std::string gif = dir.Read("good.gif");
  // Sound files whose headers claim 65535 x 65535 pixels.
  std::string hugeGif = gif;
  hugeGif.replace(6, 4, "\xFF\xFF\xFF\xFF");
  std::string hugeJpeg = jpeg;
  size_t frameHeader = hugeJpeg.find("\xFF\xC0");
  ASSERT_NE(frameHeader, std::string::npos);
  hugeJpeg.replace(frameHeader + 5, 4, "\xFF\xFF\xFF\xFF");
  struct BrokenRow {
    const char* name;
    std::string bytes;
  };
  const BrokenRow rows[] = {
      {"empty.jpg", ""},
      {"garbage.jpg", "this is not a picture at all"},
      {"half.jpg", jpeg.substr(0, jpeg.size() / 2)},
      {"headonly.jpg", jpeg.substr(0, 20)},
      {"gif-bytes.jpg", gif},
      {"empty.gif", ""},
      {"garbage.gif", "GIF89a and then nonsense"},
      {"half.gif", gif.substr(0, gif.size() / 2)},
      {"headeronly.gif", gif.substr(0, 13 + 6)},  // screen and palette, no frame
      {"jpeg-bytes.gif", jpeg},
      {"huge.gif", hugeGif},
      {"huge.jpg", hugeJpeg},
  };
  for (const BrokenRow& row : rows) {
    SCOPED_TRACE(row.name);
    dir.Write(row.name, row.bytes);
    EXPECT_FALSE(UnderlineWords(dir.File(row.name), dir.File("out.gif"), {{1, 1, 5, 2}}));
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.gif")));
    EXPECT_FALSE(UnderlineWords(dir.File(row.name), "", {{1, 1, 5, 2}}));
    EXPECT_EQ(dir.Read(row.name), row.bytes);  // in place: the source is untouched
  }
  EXPECT_FALSE(UnderlineWords(dir.File("missing.gif"), dir.File("out.gif"), {}));
  // A target that cannot be replaced: the source stays as it was.
  std::filesystem::create_directory(dir.File("dir.gif"));
  EXPECT_FALSE(UnderlineWords(dir.File("good.gif"), dir.File("dir.gif"), {}));
  EXPECT_EQ(dir.Read("good.gif"), gif);
}

TEST(UnderlineWordsTest, InPlaceLeavesNoOtherFileBehind) {
  TempDir dir;
  dir.Write("page.jpg", JpegFile(SolidPicture(16, 16, 200, 200, 200)));
  ASSERT_TRUE(UnderlineWords(dir.File("page.jpg"), "", {{0, 0, 15, 5}}));
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(entry.path().filename(), "page.jpg");
    ++files;
  }
  EXPECT_EQ(files, 1);
  std::optional<JpegPicture> marked = DecodeJpeg(dir.Read("page.jpg"));
  ASSERT_TRUE(marked.has_value());
  EXPECT_TRUE(NearlyRed(*marked, 8, 6));
}

// ---------------------------------------------------------------------------
// Palette room for red

GifPicture PaletteFixture(std::vector<GifColour> palette, std::vector<uint8_t> indices,
                          int transparent = -1) {
  GifPicture picture;
  picture.width = static_cast<int>(indices.size());
  picture.height = 1;
  picture.indices = std::move(indices);
  picture.palette = std::move(palette);
  if (transparent >= 0) picture.control = GifControl{0, false, 0, transparent};
  return picture;
}

TEST(MakePaletteEntryTest, ReusesRedThenAnUnusedEntryThenGrows) {
  // An existing red entry, used or not.
  GifPicture withRed = PaletteFixture({kWhite, kRed}, {0, 1});
  EXPECT_EQ(MakePaletteEntry(withRed, kRed), 1);
  EXPECT_EQ(withRed.palette.size(), 2u);

  // A transparent red is not red on screen: the unused entry is taken.
  GifPicture transparentRed = PaletteFixture({kRed, kWhite, kBlue, kGreen}, {0, 1, 2}, 0);
  EXPECT_EQ(MakePaletteEntry(transparentRed, kRed), 3);
  EXPECT_EQ(transparentRed.palette[0], kRed);
  EXPECT_EQ(transparentRed.palette[3], kRed);

  // Every entry used: a new one is added and no pixel changes.
  GifPicture full = PaletteFixture({kWhite, kBlack}, {0, 1, 1});
  EXPECT_EQ(MakePaletteEntry(full, kRed), 2);
  EXPECT_EQ(full.palette, (std::vector<GifColour>{kWhite, kBlack, kRed}));
  EXPECT_EQ(full.indices, (std::vector<uint8_t>{0, 1, 1}));

  // Indices past the palette show black and keep showing black.
  GifPicture past = PaletteFixture({kWhite}, {0, 2});
  EXPECT_EQ(MakePaletteEntry(past, kRed), 1);
  EXPECT_EQ(past.palette, (std::vector<GifColour>{kWhite, kRed, kBlack}));
}

TEST(MakePaletteEntryTest, FullPaletteGivesUpTheEntryThatCostsLeast) {
  // 256 distinct greys and blues, every one used; entry 7 is used once and
  // has a near twin (entry 8), entry 0 is transparent and used least.
  std::vector<GifColour> palette;
  for (int i = 0; i < 256; ++i) {
    palette.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0});
  }
  palette[0] = {0, 0, 0};
  std::vector<uint8_t> indices;
  for (int i = 1; i < 256; ++i)
    indices.insert(indices.end(), i == 7 ? 1 : 5, static_cast<uint8_t>(i));
  GifPicture picture = PaletteFixture(palette, indices, 0);
  picture.indices.push_back(0);

  int red = MakePaletteEntry(picture, kRed);
  EXPECT_EQ(red, 7);
  EXPECT_EQ(picture.palette[7], kRed);
  EXPECT_EQ(picture.palette[0], (GifColour{0, 0, 0}));
  EXPECT_EQ(std::count(picture.indices.begin(), picture.indices.end(), 7), 0);
  // Its one pixel now shows a neighbouring colour.
  EXPECT_EQ(std::count(picture.indices.begin(), picture.indices.end(), 6) +
                std::count(picture.indices.begin(), picture.indices.end(), 8),
            11);
}

}  // namespace
}  // namespace talor
