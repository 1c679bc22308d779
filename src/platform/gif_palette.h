// Making room for a colour in the palette of a GIF picture, so that it can be
// drawn with exactly that colour.

#ifndef TALOR_PLATFORM_GIF_PALETTE_H_
#define TALOR_PLATFORM_GIF_PALETTE_H_

#include "platform/gif_codec.h"

namespace talor {

// Returns the palette index that shows `colour` exactly, changing the picture
// as little as possible. In order of preference:
//   1. an entry that already holds `colour`;
//   2. an entry that no pixel uses (palettes are padded to a power of two, so
//      there often is one), which takes `colour`;
//   3. a new entry, when the palette has fewer than 256;
//   4. with 256 entries all in use: the entry whose pixels change least when
//      they are repainted with their nearest other palette colour (pixel
//      count times squared colour distance; duplicated colours cost nothing).
//      Its pixels are repainted so and the entry takes `colour`.
// The transparent index is never chosen or changed. Indices past the end of
// the palette are first given black entries, as they show black.
int MakePaletteEntry(GifPicture& picture, GifColour colour);

}  // namespace talor

#endif  // TALOR_PLATFORM_GIF_PALETTE_H_
