#include "platform/image_underline.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "platform/file_io.h"
#include "platform/gif_codec.h"
#include "platform/gif_palette.h"
#include "platform/jpeg_codec.h"
#include "text/number_text.h"

namespace talor {
namespace {

constexpr size_t kMaxImageFileBytes = size_t{64} << 20;
constexpr int kJpegQuality = 90;
constexpr int kPenWidth = 4;
constexpr int kPenOffset = 2;  // the pen's centre lies this far below the box
constexpr GifColour kRed{255, 0, 0};
constexpr uint8_t kRedRgb[] = {255, 0, 0};
constexpr uint32_t kCoordinateMask = 0xFFFF;
constexpr int kCoordinateBits = 16;

enum class ImageKind { Other, Jpeg, Gif };

// The format that the file name of `path` names: the later of `.JPG` and
// `.GIF` in its upper-cased last component.
ImageKind KindFromName(std::string_view path) {
  std::string name(path.substr(path.rfind('/') + 1));
  std::transform(name.begin(), name.end(), name.begin(), [](char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  });
  size_t jpeg = name.rfind(".JPG");
  size_t gif = name.rfind(".GIF");
  if (jpeg == std::string::npos && gif == std::string::npos) return ImageKind::Other;
  if (jpeg == std::string::npos) return ImageKind::Gif;
  if (gif == std::string::npos) return ImageKind::Jpeg;
  return jpeg > gif ? ImageKind::Jpeg : ImageKind::Gif;
}

// A rectangle of pixels, bounds inclusive.
struct Band {
  int left, top, right, bottom;
};

// The pixels of the underline for `box` inside a width x height image;
// nullopt when none of them is inside.
std::optional<Band> UnderlineBand(const WordBox& box, int width, int height) {
  int64_t top = int64_t{box.y2} + kPenOffset - kPenWidth / 2;
  int64_t bottom = top + kPenWidth - 1;
  int64_t left = std::min(box.x1, box.x2);
  int64_t right = std::max(box.x1, box.x2);
  if (bottom < 0 || top >= height || right < 0 || left >= width) return std::nullopt;
  return Band{static_cast<int>(std::max<int64_t>(left, 0)),
              static_cast<int>(std::max<int64_t>(top, 0)),
              static_cast<int>(std::min<int64_t>(right, width - 1)),
              static_cast<int>(std::min<int64_t>(bottom, height - 1))};
}

// Calls paint(x, y) for every underline pixel of every box.
template <typename Paint>
void DrawUnderlines(const std::vector<WordBox>& boxes, int width, int height, Paint paint) {
  for (const WordBox& box : boxes) {
    std::optional<Band> band = UnderlineBand(box, width, height);
    if (!band) continue;
    for (int y = band->top; y <= band->bottom; ++y) {
      for (int x = band->left; x <= band->right; ++x) paint(x, y);
    }
  }
}

std::optional<std::string> UnderlineJpeg(std::string_view bytes,
                                         const std::vector<WordBox>& boxes) {
  std::optional<JpegPicture> picture = DecodeJpeg(bytes);
  if (!picture) return std::nullopt;
  const int width = picture->width;
  DrawUnderlines(boxes, width, picture->height, [&](int x, int y) {
    size_t offset = (static_cast<size_t>(y) * width + x) * sizeof kRedRgb;
    std::copy(std::begin(kRedRgb), std::end(kRedRgb), picture->rgb.begin() + offset);
  });
  return EncodeJpeg(*picture, kJpegQuality);
}

std::optional<std::string> UnderlineGif(std::string_view bytes, const std::vector<WordBox>& boxes) {
  std::optional<GifPicture> picture = DecodeGif(bytes);
  if (!picture) return std::nullopt;
  int red = MakePaletteEntry(*picture, kRed);
  if (red < 0) return std::nullopt;
  const int width = picture->width;
  DrawUnderlines(boxes, width, picture->height, [&](int x, int y) {
    picture->indices[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(red);
  });
  return EncodeGif(*picture);
}

// The point packed as -(x + 65536 * y) in `packed`.
std::pair<int, int> UnpackPoint(int32_t packed) {
  uint32_t point = 0u - static_cast<uint32_t>(packed);
  return {static_cast<int>(point & kCoordinateMask), static_cast<int>(point >> kCoordinateBits)};
}

}  // namespace

std::vector<WordBox> ParseWordBoxes(const StringList& lines) {
  std::vector<WordBox> boxes;
  for (const ListLine& line : lines) {
    if (std::count(line.text.begin(), line.text.end(), '#') < 2) continue;
    int32_t first = HashPartToInt(line.text, 1);
    int32_t second = HashPartToInt(line.text, 2);
    if (first > 0 || second > 0) continue;
    auto [x1, y1] = UnpackPoint(first);
    auto [x2, y2] = UnpackPoint(second);
    boxes.push_back({x1, y1, x2, y2});
  }
  return boxes;
}

bool UnderlineWords(const std::string& sourcePath, const std::string& targetPath,
                    const std::vector<WordBox>& boxes) {
  ImageKind kind = KindFromName(sourcePath);
  if (kind == ImageKind::Other) return false;
  FileContents source = ReadWholeFile(sourcePath, kMaxImageFileBytes);
  if (source.status != FileReadStatus::Read) return false;
  std::optional<std::string> marked = kind == ImageKind::Jpeg ? UnderlineJpeg(source.bytes, boxes)
                                                              : UnderlineGif(source.bytes, boxes);
  if (!marked) return false;
  return ReplaceFileContents(targetPath.empty() ? sourcePath : targetPath, *marked);
}

}  // namespace talor
