#include "platform/gif_codec.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <span>

namespace talor {
namespace {

constexpr int kMaxGifSide = 65535;
constexpr int kControlLength = 4;

// Rows of an interlaced frame arrive in four passes.
struct InterlacePass {
  int start;
  int step;
};
constexpr InterlacePass kInterlacePasses[] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
constexpr InterlacePass kSequential[] = {{0, 1}};

struct MemorySource {
  std::string_view bytes;
  size_t offset = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
  auto* source = static_cast<MemorySource*>(gif->UserData);
  size_t count =
      std::min(static_cast<size_t>(std::max(length, 0)), source->bytes.size() - source->offset);
  std::memcpy(buffer, source->bytes.data() + source->offset, count);
  source->offset += count;
  return static_cast<int>(count);
}

int WriteToMemory(GifFileType* gif, const GifByteType* data, int length) {
  if (length <= 0) return 0;
  static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
  return length;
}

struct DecoderCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifDecoder = std::unique_ptr<GifFileType, DecoderCloser>;

struct EncoderCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    EGifCloseFile(gif, &error);
  }
};
using GifEncoder = std::unique_ptr<GifFileType, EncoderCloser>;

struct MapFreer {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using GifMap = std::unique_ptr<ColorMapObject, MapFreer>;

bool SizeAllowed(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxGifSide && height <= kMaxGifSide &&
         static_cast<uint64_t>(width) * static_cast<uint64_t>(height) <= kMaxGifPixels;
}

GifControl ControlFrom(const GraphicsControlBlock& block) {
  return {block.DisposalMode, block.UserInputFlag, block.DelayTime, block.TransparentColor};
}

// Reads one extension with all its sub-blocks, keeping a graphic control
// block in `control`.
bool ReadExtension(GifFileType* gif, std::optional<GifControl>& control) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
  if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] == kControlLength) {
    GraphicsControlBlock parsed;
    if (DGifExtensionToGCB(kControlLength, block + 1, &parsed) == GIF_OK) {
      control = ControlFrom(parsed);
    }
  }
  while (block != nullptr) {
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
  }
  return true;
}

std::vector<GifColour> PaletteOf(const ColorMapObject& map) {
  std::vector<GifColour> palette;
  for (int i = 0; i < std::min(map.ColorCount, kMaxGifColours); ++i) {
    palette.push_back({map.Colors[i].Red, map.Colors[i].Green, map.Colors[i].Blue});
  }
  return palette;
}

// Reads the frame whose descriptor comes next and draws it on `picture`,
// clipped to the screen.
bool ReadFrame(GifFileType* gif, GifPicture& picture) {
  if (DGifGetImageDesc(gif) == GIF_ERROR) return false;
  const GifImageDesc& frame = gif->Image;
  const ColorMapObject* map = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
  if (!SizeAllowed(frame.Width, frame.Height) || map == nullptr || map->ColorCount <= 0) {
    return false;
  }
  picture.palette = PaletteOf(*map);
  int fill = picture.TransparentIndex() >= 0 ? picture.TransparentIndex() : gif->SBackGroundColor;
  picture.indices.assign(static_cast<size_t>(picture.width) * picture.height,
                         static_cast<uint8_t>(fill));

  std::vector<GifPixelType> line(frame.Width);
  int visible = std::clamp(picture.width - frame.Left, 0, frame.Width);
  std::span<const InterlacePass> passes = kSequential;
  if (frame.Interlace) passes = kInterlacePasses;
  for (const InterlacePass& pass : passes) {
    for (int row = pass.start; row < frame.Height; row += pass.step) {
      if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR) return false;
      int y = frame.Top + row;
      if (y >= picture.height || visible == 0) continue;
      std::copy_n(line.begin(), visible,
                  picture.indices.begin() + static_cast<size_t>(y) * picture.width + frame.Left);
    }
  }
  return true;
}

bool PutControl(GifFileType* gif, const GifControl& control) {
  GraphicsControlBlock block{control.disposal, control.userInput, control.delay,
                             control.transparentIndex};
  GifByteType bytes[kControlLength];
  size_t length = EGifGCBToExtension(&block, bytes);
  return EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), bytes) == GIF_OK;
}

// The global colour map to write: the palette grown with black to a power of
// two of at least `entries` colours.
GifMap ColourMapFor(const std::vector<GifColour>& palette, int entries) {
  int bits = GifBitSize(entries);
  std::vector<GifColorType> colours(size_t{1} << bits, GifColorType{0, 0, 0});
  for (size_t i = 0; i < palette.size(); ++i) {
    colours[i] = {palette[i].red, palette[i].green, palette[i].blue};
  }
  return GifMap(GifMakeMapObject(static_cast<int>(colours.size()), colours.data()));
}

bool PutRows(GifFileType* gif, const GifPicture& picture) {
  std::vector<GifPixelType> line(picture.width);
  for (int y = 0; y < picture.height; ++y) {
    auto row = picture.indices.begin() + static_cast<size_t>(y) * picture.width;
    std::copy_n(row, picture.width, line.begin());
    if (EGifPutLine(gif, line.data(), picture.width) == GIF_ERROR) return false;
  }
  return true;
}

}  // namespace

bool LooksLikeGif(std::string_view bytes) {
  return bytes.substr(0, 6) == "GIF87a" || bytes.substr(0, 6) == "GIF89a";
}

std::optional<GifPicture> DecodeGif(std::string_view bytes) {
  if (!LooksLikeGif(bytes)) return std::nullopt;
  MemorySource source{bytes};
  int error = 0;
  GifDecoder gif(DGifOpen(&source, ReadFromMemory, &error));
  if (!gif || !SizeAllowed(gif->SWidth, gif->SHeight)) return std::nullopt;
  GifPicture picture;
  picture.width = gif->SWidth;
  picture.height = gif->SHeight;
  picture.backgroundIndex = gif->SBackGroundColor;
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) return std::nullopt;
    if (type == EXTENSION_RECORD_TYPE) {
      if (!ReadExtension(gif.get(), picture.control)) return std::nullopt;
    } else if (type == IMAGE_DESC_RECORD_TYPE) {
      if (!ReadFrame(gif.get(), picture)) return std::nullopt;
      return picture;
    } else {
      return std::nullopt;  // the trailer, or garbage, before any frame
    }
  }
}

std::optional<std::string> EncodeGif(const GifPicture& picture) {
  if (!SizeAllowed(picture.width, picture.height) || picture.palette.empty() ||
      picture.palette.size() > kMaxGifColours ||
      picture.indices.size() != static_cast<size_t>(picture.width) * picture.height) {
    return std::nullopt;
  }
  int highest = *std::max_element(picture.indices.begin(), picture.indices.end());
  GifMap map = ColourMapFor(picture.palette,
                            std::max(static_cast<int>(picture.palette.size()), highest + 1));
  if (!map) return std::nullopt;

  std::string bytes;
  int error = 0;
  GifEncoder gif(EGifOpen(&bytes, WriteToMemory, &error));
  if (!gif) return std::nullopt;
  EGifSetGifVersion(gif.get(), picture.control.has_value());
  if (EGifPutScreenDesc(gif.get(), picture.width, picture.height, map->BitsPerPixel,
                        std::clamp(picture.backgroundIndex, 0, map->ColorCount - 1),
                        map.get()) == GIF_ERROR ||
      (picture.control && !PutControl(gif.get(), *picture.control)) ||
      EGifPutImageDesc(gif.get(), 0, 0, picture.width, picture.height, false, nullptr) ==
          GIF_ERROR ||
      !PutRows(gif.get(), picture)) {
    return std::nullopt;
  }
  // Closing writes the trailer; only then is the file complete.
  if (EGifCloseFile(gif.release(), &error) == GIF_ERROR) return std::nullopt;
  return bytes;
}

}  // namespace talor
