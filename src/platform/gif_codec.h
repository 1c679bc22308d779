// GIF images decoded to palette indices and encoded back, for drawing on page
// images. Only the first frame is kept: an animation becomes its first
// picture, composed on the logical screen.

#ifndef TALOR_PLATFORM_GIF_CODEC_H_
#define TALOR_PLATFORM_GIF_CODEC_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talor {

// Screens or frames with more pixels than this are refused rather than
// decoded, so that a forged header cannot make the decoder allocate gigabytes.
constexpr uint64_t kMaxGifPixels = uint64_t{32} << 20;
constexpr int kMaxGifColours = 256;

struct GifColour {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;

  bool operator==(const GifColour&) const = default;
};

// The graphic control extension that precedes a frame.
struct GifControl {
  int disposal = 0;
  bool userInput = false;
  int delay = 0;              // hundredths of a second
  int transparentIndex = -1;  // -1: no transparent colour
};

struct GifPicture {
  int width = 0;  // the logical screen
  int height = 0;
  std::vector<uint8_t> indices;    // width * height palette indices, rows top to bottom
  std::vector<GifColour> palette;  // 1 to 256 entries; an index past its end shows black
  int backgroundIndex = 0;
  std::optional<GifControl> control;

  // The transparent palette index, -1 when there is none.
  int TransparentIndex() const { return control ? control->transparentIndex : -1; }
};

// Whether `bytes` begin as a GIF file does ("GIF87a" or "GIF89a").
bool LooksLikeGif(std::string_view bytes);

// Decodes the first frame of a GIF file onto its logical screen, in the colours
// of the frame's own palette or else the global one. Screen pixels that the
// frame does not cover take the frame's transparent index when it has one,
// else the background index. Interlaced frames come back in row order. What
// follows the first frame is not read. nullopt when the bytes are not a GIF,
// are truncated or corrupt before the first frame ends, have no frame or no
// palette, or a screen or frame holds more than kMaxGifPixels.
std::optional<GifPicture> DecodeGif(std::string_view bytes);

// Encodes `picture` as a one-frame, non-interlaced GIF file with a global
// palette, grown with black to a power of two that covers every index used.
// The control extension, when present, is written too (and makes the file
// GIF89a). nullopt when the picture is inconsistent or the encoder fails.
std::optional<std::string> EncodeGif(const GifPicture& picture);

}  // namespace talor

#endif  // TALOR_PLATFORM_GIF_CODEC_H_
