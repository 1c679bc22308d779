#include "barcode/image_file.h"

#include <png.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace talor {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr uint16_t kBitmapMagic = 0x4D42;  // "BM"
constexpr uint16_t kBitsPerPixel = 24;
constexpr uint32_t kNoCompression = 0;
constexpr uint32_t kBitfields = 3;
constexpr int32_t kPixelsPerMetre = 3780;  // 96 dots an inch

void PutU16(std::string& out, uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}

void PutU32(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(value >> shift));
}

uint32_t GetU32(std::string_view bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) {
    value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
  }
  return value;
}

uint16_t GetU16(std::string_view bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                               static_cast<unsigned char>(bytes[at + 1]) << 8);
}

size_t RowStride(size_t width, size_t bytesPerPixel) { return (width * bytesPerPixel + 3) / 4 * 4; }

Status WriteFileAtomically(const std::string& path, std::string_view bytes) {
  const std::string temporary = path + ".part" + std::to_string(::getpid());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (out) out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return Status::Error("не удалось записать файл «" + path + "»");
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return Status::Error("не удалось записать файл «" + path + "»");
  }
  return Status::Ok();
}

}  // namespace

std::string EncodeBitmap(const Canvas& canvas) {
  const auto width = static_cast<size_t>(canvas.width());
  const auto height = static_cast<size_t>(canvas.height());
  const size_t stride = RowStride(width, 3);
  const size_t imageSize = stride * height;
  std::string out;
  out.reserve(kFileHeaderSize + kInfoHeaderSize + imageSize);
  PutU16(out, kBitmapMagic);
  PutU32(out, static_cast<uint32_t>(kFileHeaderSize + kInfoHeaderSize + imageSize));
  PutU32(out, 0);
  PutU32(out, static_cast<uint32_t>(kFileHeaderSize + kInfoHeaderSize));
  PutU32(out, static_cast<uint32_t>(kInfoHeaderSize));
  PutU32(out, static_cast<uint32_t>(width));
  PutU32(out, static_cast<uint32_t>(height));
  PutU16(out, 1);
  PutU16(out, kBitsPerPixel);
  PutU32(out, kNoCompression);
  PutU32(out, static_cast<uint32_t>(imageSize));
  PutU32(out, kPixelsPerMetre);
  PutU32(out, kPixelsPerMetre);
  PutU32(out, 0);
  PutU32(out, 0);
  for (size_t row = height; row-- > 0;) {
    const size_t start = out.size();
    for (size_t x = 0; x < width; ++x) {
      const RgbColor color = canvas.Pixel(static_cast<int64_t>(x), static_cast<int64_t>(row));
      out.push_back(static_cast<char>(color & 0xFF));
      out.push_back(static_cast<char>(color >> 8 & 0xFF));
      out.push_back(static_cast<char>(color >> 16 & 0xFF));
    }
    out.resize(start + stride, '\0');
  }
  return out;
}

std::optional<Canvas> DecodeBitmap(std::string_view bytes) {
  if (bytes.size() < kFileHeaderSize + kInfoHeaderSize) return std::nullopt;
  if (GetU16(bytes, 0) != kBitmapMagic) return std::nullopt;
  const uint32_t offset = GetU32(bytes, 10);
  const uint32_t headerSize = GetU32(bytes, 14);
  const auto width = static_cast<int32_t>(GetU32(bytes, 18));
  const auto rawHeight = static_cast<int32_t>(GetU32(bytes, 22));
  const uint16_t bits = GetU16(bytes, 28);
  const uint32_t compression = GetU32(bytes, 30);
  if (headerSize < kInfoHeaderSize || GetU16(bytes, 26) != 1) return std::nullopt;
  if (bits != 24 && bits != 32) return std::nullopt;
  if (compression != kNoCompression && !(bits == 32 && compression == kBitfields)) {
    return std::nullopt;
  }
  if (width < 0 || rawHeight == INT32_MIN) return std::nullopt;
  const bool topDown = rawHeight < 0;
  const int32_t height = topDown ? -rawHeight : rawHeight;
  if (static_cast<long long>(width) * height > kMaxImagePixels) return std::nullopt;
  const size_t bytesPerPixel = bits / 8;
  const size_t stride = RowStride(static_cast<size_t>(width), bytesPerPixel);
  if (offset > bytes.size() || stride * static_cast<size_t>(height) > bytes.size() - offset) {
    return std::nullopt;
  }
  Canvas canvas(width, height);
  for (int32_t row = 0; row < height; ++row) {
    const int32_t y = topDown ? row : height - 1 - row;
    const size_t base = offset + static_cast<size_t>(row) * stride;
    for (int32_t x = 0; x < width; ++x) {
      const size_t at = base + static_cast<size_t>(x) * bytesPerPixel;
      const auto b = static_cast<unsigned char>(bytes[at]);
      const auto g = static_cast<unsigned char>(bytes[at + 1]);
      const auto r = static_cast<unsigned char>(bytes[at + 2]);
      canvas.SetPixel(x, y, static_cast<RgbColor>(r) << 16 | static_cast<RgbColor>(g) << 8 | b);
    }
  }
  return canvas;
}

Status SaveBitmapFile(const Canvas& canvas, const std::string& path) {
  return WriteFileAtomically(path, EncodeBitmap(canvas));
}

Status SavePngFile(const Canvas& canvas, const std::string& path) {
  if (canvas.width() == 0 || canvas.height() == 0) {
    return Status::Error("пустое изображение нельзя сохранить в PNG");
  }
  std::vector<unsigned char> rgb;
  rgb.reserve(static_cast<size_t>(canvas.width()) * static_cast<size_t>(canvas.height()) * 3);
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      const RgbColor color = canvas.Pixel(x, y);
      rgb.push_back(static_cast<unsigned char>(color >> 16 & 0xFF));
      rgb.push_back(static_cast<unsigned char>(color >> 8 & 0xFF));
      rgb.push_back(static_cast<unsigned char>(color & 0xFF));
    }
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(canvas.width());
  image.height = static_cast<png_uint_32>(canvas.height());
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr)) {
    png_image_free(&image);
    return Status::Error("не удалось построить PNG: " + std::string(image.message));
  }
  std::string bytes(size, '\0');
  if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, rgb.data(), 0, nullptr)) {
    png_image_free(&image);
    return Status::Error("не удалось построить PNG: " + std::string(image.message));
  }
  bytes.resize(size);
  return WriteFileAtomically(path, bytes);
}

std::optional<Canvas> LoadBitmapFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return DecodeBitmap(bytes);
}

}  // namespace talor
