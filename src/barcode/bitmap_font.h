// A small built-in bitmap font: 3 x 5 pixel glyphs for printable ASCII in
// cells of 4 x 6 pixels. Lower-case letters are drawn as small capitals.

#ifndef TALOR_BARCODE_BITMAP_FONT_H_
#define TALOR_BARCODE_BITMAP_FONT_H_

namespace talor {

inline constexpr int kGlyphWidth = 3;
inline constexpr int kGlyphHeight = 5;
inline constexpr int kCellWidth = 4;
inline constexpr int kCellHeight = 6;

// Whether pixel (column, row) of the glyph of `c` is set. Characters without
// a glyph are drawn as '?'. Positions outside the glyph are unset.
bool GlyphPixel(unsigned char c, int column, int row);

}  // namespace talor

#endif  // TALOR_BARCODE_BITMAP_FONT_H_
