// Comma-separated lists of numbers and ranges.

#ifndef TALOR_TEXT_RANGE_LIST_H_
#define TALOR_TEXT_RANGE_LIST_H_

#include <string>
#include <string_view>

namespace talor {

// Ranges that would expand to more members than this are copied unchanged,
// so that a typing slip such as 1-999999999 cannot exhaust memory.
inline constexpr long long kMaxRangeMembers = 100000;

// Expands "1-3,7" to "1,2,3,7" and "N08-N10" to "N8,N9,N10". Blanks are
// removed and empty items dropped; an item that is not a well-formed range
// (one inner hyphen, equal prefixes, digit-only numbers, first <= last) is
// copied unchanged. Never fails.
std::string ExpandRangeList(std::string_view text);

}  // namespace talor

#endif  // TALOR_TEXT_RANGE_LIST_H_
