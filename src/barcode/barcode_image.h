// Barcode images: the bitmap files of pages and the images of the tool.

#ifndef TALOR_BARCODE_BARCODE_IMAGE_H_
#define TALOR_BARCODE_BARCODE_IMAGE_H_

#include <optional>
#include <string>

#include "barcode/canvas.h"
#include "barcode/fbarcode.h"
#include "text/status.h"

namespace talor {

// The bitmap file of a barcode on a page. If `path` exists it is reused as it
// is and nothing is drawn. Otherwise an image of Width x Height pixels is
// cleared to white, the barcode is drawn with its origin at 0,0 and the
// image is saved under `path` as a 24-bit Windows bitmap. Fails, writing
// nothing, when the text cannot be encoded, the image would be empty or
// larger than kMaxImagePixels, or the file cannot be written. Left and Top
// are the same afterwards.
Status SaveBarcodeBitmap(TFBarcode& barcode, const std::string& path);

// An image just large enough to show the whole symbol rotated by Angle and
// the text that ShowText asks for; without rotation and text it is Width x
// Height with the origin at 0,0, as on a page. Left and Top are the same
// afterwards. On failure `image` is left unchanged.
Status RenderBarcodeImage(TFBarcode& barcode, std::optional<Canvas>& image);

}  // namespace talor

#endif  // TALOR_BARCODE_BARCODE_IMAGE_H_
