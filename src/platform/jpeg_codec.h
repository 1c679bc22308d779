// JPEG images decoded to plain RGB pixels and encoded back, for drawing on
// page images.

#ifndef TALOR_PLATFORM_JPEG_CODEC_H_
#define TALOR_PLATFORM_JPEG_CODEC_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talor {

// Images with more pixels than this are refused rather than decoded, so that
// a forged header cannot make the decoder allocate gigabytes.
constexpr uint64_t kMaxJpegPixels = uint64_t{32} << 20;

struct JpegPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // width * height * 3 bytes: rows top to bottom, R G B
  int sampling = 0;          // chroma subsampling read from the source and written
                             // again by EncodeJpeg; 0 is full resolution
};

// Whether `bytes` begin as a JPEG file does (FF D8 FF).
bool LooksLikeJpeg(std::string_view bytes);

// Decodes a whole JPEG file. nullopt when the bytes are not a JPEG, are
// truncated or corrupt (a decoder warning counts as corruption), use a colour
// space that has no RGB form (CMYK), or hold more than kMaxJpegPixels.
std::optional<JpegPicture> DecodeJpeg(std::string_view bytes);

// Encodes `picture` as a baseline JPEG file with `quality` (1 to 100). A grey
// source is written in colour, so that what was drawn on it keeps its colour.
// Metadata of the source (comments, EXIF, colour profiles) is not carried
// over. nullopt when the picture is inconsistent or the encoder fails.
std::optional<std::string> EncodeJpeg(const JpegPicture& picture, int quality);

}  // namespace talor

#endif  // TALOR_PLATFORM_JPEG_CODEC_H_
