// Image files of a canvas: Windows bitmaps (.bmp, 24 bits a pixel, rows
// bottom-up) and PNG (8-bit RGB).

#ifndef TALOR_BARCODE_IMAGE_FILE_H_
#define TALOR_BARCODE_IMAGE_FILE_H_

#include <optional>
#include <string>
#include <string_view>

#include "barcode/canvas.h"
#include "text/status.h"

namespace talor {

// The bytes of a 24-bit Windows bitmap of `canvas`.
std::string EncodeBitmap(const Canvas& canvas);
// The canvas of a bitmap made by EncodeBitmap (uncompressed, 24 or 32 bits a
// pixel, bottom-up or top-down); nullopt for anything else, for truncated
// data, or for an image of more than kMaxImagePixels.
std::optional<Canvas> DecodeBitmap(std::string_view bytes);

// Writes the file through a temporary file in the same folder renamed into
// place, so that no half-written image is ever found under `path`.
Status SaveBitmapFile(const Canvas& canvas, const std::string& path);
Status SavePngFile(const Canvas& canvas, const std::string& path);
std::optional<Canvas> LoadBitmapFile(const std::string& path);

// The largest image, in pixels, that is created or read.
inline constexpr long long kMaxImagePixels = 64LL * 1024 * 1024;

}  // namespace talor

#endif  // TALOR_BARCODE_IMAGE_FILE_H_
