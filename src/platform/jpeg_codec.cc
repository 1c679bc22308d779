#include "platform/jpeg_codec.h"

#include <turbojpeg.h>

#include <climits>
#include <memory>

namespace talor {
namespace {

// A decoder warning (a truncated or damaged file) fails the call; stopping at
// the first one spares decoding the rest. Progressive files with absurd
// numbers of scans are refused instead of decoded for minutes.
constexpr int kDecodeFlags = TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS;
constexpr int kBytesPerPixel = 3;

struct HandleDestroyer {
  void operator()(void* handle) const { tjDestroy(handle); }
};
using TurboHandle = std::unique_ptr<void, HandleDestroyer>;

struct BufferFreer {
  void operator()(unsigned char* buffer) const { tjFree(buffer); }
};
using TurboBuffer = std::unique_ptr<unsigned char, BufferFreer>;

const unsigned char* Bytes(std::string_view bytes) {
  return reinterpret_cast<const unsigned char*>(bytes.data());
}

bool SizeAllowed(int width, int height) {
  return width > 0 && height > 0 &&
         static_cast<uint64_t>(width) * static_cast<uint64_t>(height) <= kMaxJpegPixels;
}

// The subsampling to write for a source's: grey becomes full-resolution
// colour, and anything the encoder does not know becomes full resolution.
int WritableSampling(int sampling) {
  if (sampling < 0 || sampling >= TJ_NUMSAMP || sampling == TJSAMP_GRAY) return TJSAMP_444;
  return sampling;
}

}  // namespace

bool LooksLikeJpeg(std::string_view bytes) { return bytes.substr(0, 3) == "\xFF\xD8\xFF"; }

std::optional<JpegPicture> DecodeJpeg(std::string_view bytes) {
  if (!LooksLikeJpeg(bytes) || bytes.size() > ULONG_MAX) return std::nullopt;
  TurboHandle handle(tjInitDecompress());
  if (!handle) return std::nullopt;
  JpegPicture picture;
  int colourSpace = 0;
  if (tjDecompressHeader3(handle.get(), Bytes(bytes), bytes.size(), &picture.width, &picture.height,
                          &picture.sampling, &colourSpace) != 0 ||
      !SizeAllowed(picture.width, picture.height)) {
    return std::nullopt;
  }
  picture.sampling = WritableSampling(picture.sampling);
  picture.rgb.resize(static_cast<size_t>(picture.width) * picture.height * kBytesPerPixel);
  if (tjDecompress2(handle.get(), Bytes(bytes), bytes.size(), picture.rgb.data(), picture.width, 0,
                    picture.height, TJPF_RGB, kDecodeFlags) != 0) {
    return std::nullopt;
  }
  return picture;
}

std::optional<std::string> EncodeJpeg(const JpegPicture& picture, int quality) {
  if (!SizeAllowed(picture.width, picture.height) ||
      picture.rgb.size() != static_cast<size_t>(picture.width) * picture.height * kBytesPerPixel ||
      quality < 1 || quality > 100) {
    return std::nullopt;
  }
  TurboHandle handle(tjInitCompress());
  if (!handle) return std::nullopt;
  unsigned char* output = nullptr;
  unsigned long outputSize = 0;
  int result =
      tjCompress2(handle.get(), picture.rgb.data(), picture.width, 0, picture.height, TJPF_RGB,
                  &output, &outputSize, WritableSampling(picture.sampling), quality, 0);
  TurboBuffer owned(output);
  if (result != 0 || output == nullptr) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(output), outputSize);
}

}  // namespace talor
