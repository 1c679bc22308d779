// Underlining of found words inside JPEG and GIF page images. The server
// reports where each word of a record's image lies; the navigator draws a
// red line under each one in a copy of the image.

#ifndef TALOR_PLATFORM_IMAGE_UNDERLINE_H_
#define TALOR_PLATFORM_IMAGE_UNDERLINE_H_

#include <string>
#include <vector>

#include "text/string_list.h"

namespace talor {

// A word's rectangle in image pixels, 0-based from the top left corner.
struct WordBox {
  int x1, y1, x2, y2;

  bool operator==(const WordBox&) const = default;
};

// Reads the word-position lines of a server answer (its first line already
// removed), such as `ВОЙНА#-655370#-1572934`. Parts 1 and 2 of each
// `#`-separated line are read as integers; when either is positive the word
// has no rectangle and the line is skipped. Otherwise the negated numbers are
// packed points, x + 65536 * y: the first gives (x1, y1), the second (x2, y2).
// Zero is not positive, so `W#0#0` is the point (0, 0) twice. A line with
// fewer than three parts has no numbers to read and is skipped. Boxes come in
// the order of their lines.
std::vector<WordBox> ParseWordBoxes(const StringList& lines);

// Writes to `targetPath` (the source itself when empty) the image of
// `sourcePath` with a red line, 4 pixels high, under each box: the rows y2 to
// y2 + 3 (a pen centred on y2 + 2), from column x1 to column x2 inclusive
// (either order), clipped to the image.
//
// Only a source whose file name, upper-cased, contains `.JPG` or `.GIF` is
// handled (`.JPEG` is not); the later of the two in the name decides the
// format, and the file must begin as that format does. A JPEG is written
// again at quality 90. A GIF keeps its palette with pure red made room for
// (see MakePaletteEntry), keeps the transparency of its first frame, and
// keeps only that frame when it is animated.
//
// Returns true when the whole target was written. Returns false for another
// name, an unreadable, truncated or corrupt source, or a failed write; the
// target is then unchanged (or absent), since the new file replaces it only
// once complete. An image of more than 32 Mi pixels or a file of more than
// 64 MiB is refused.
bool UnderlineWords(const std::string& sourcePath, const std::string& targetPath,
                    const std::vector<WordBox>& boxes);

}  // namespace talor

#endif  // TALOR_PLATFORM_IMAGE_UNDERLINE_H_
