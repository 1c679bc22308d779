// Server answers whose lines after the first are "count#text", and lists
// ordered by their integer objects.

#ifndef TALOR_TEXT_COUNTED_LINES_H_
#define TALOR_TEXT_COUNTED_LINES_H_

#include <string_view>

#include "text/string_list.h"

namespace talor {

// Replaces the contents of `list` by the lines of `answer` (after byte 31
// became CR and byte 30 LF). Line 0, the return code, is kept as written.
// Every later line is split at its first `#`: the part before becomes the
// integer object (0 when not a decimal number) and the part after the text.
// A later line without `#` becomes an empty text whose object is the whole
// line read as a number (0 when it is not one).
void ParseCountedLines(StringList& list, std::string_view answer);

// Orders `list` by ascending integer objects; lines with equal objects keep
// their order.
void SortByObjects(StringList& list);

}  // namespace talor

#endif  // TALOR_TEXT_COUNTED_LINES_H_
