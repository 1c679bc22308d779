// Issue-number lists of serial holdings, such as "1-4,6,7,8,N10,12a-14a" or
// month names, rewritten in one of two ways.
//
// Items are separated by commas or semicolons. An item without a hyphen is a
// single: prefix, number, suffix ("N10", "12a"); without a digit it is copied
// as written. An item with one hyphen is a range when its sides have one of
// these shapes (A: letters or other non-digits, 9: digits):
//   9-9, A9-9, 9-9A  plain ranges      3-7, N3-7, 3-7a
//   9A-9A            suffixed ranges   3a-7a
//   A9-A9            prefixed ranges   N3-N7
//   A9A-A9A          framed ranges     N3a-N7a
//   A-A              month ranges      Jan-Mar (only when month names are given)
// Every other item is copied as written. Prefixes and suffixes compare after
// upper-casing, trimming and collapsing blanks; together they make a number's
// group, and only numbers of one group form runs, ranges and merges.
//
// Output, joined with commas: the singles and plain ranges; the months; the
// copied items in input order; the suffixed, prefixed and framed ranges.
// Both modes are stable: normalising their own output changes nothing.

#ifndef TALOR_TEXT_ISSUE_LIST_H_
#define TALOR_TEXT_ISSUE_LIST_H_

#include <string>
#include <string_view>

#include "text/string_list.h"

namespace talor {

enum class IssueListMode {
  // Every range becomes its members; month ranges become month names.
  Expand = 0,
  // Runs of three or more consecutive numbers (or months) become ranges, and
  // ranges absorb the numbers inside or next to them and merge when they
  // overlap or touch.
  Cumulate = 1,
};

// Ranges with more members than this are not expanded; nor is a range whose
// members would make the expanded list hold more than kMaxIssueListMembers
// numbers. So a typing slip cannot exhaust memory, and such ranges are
// written as ranges. Expanding costs some hundreds of bytes a member while
// the list is sorted and written, so the list's bound keeps one expansion
// to tens of megabytes.
inline constexpr long long kMaxIssueRangeMembers = 100000;
inline constexpr long long kMaxIssueListMembers = 100000;

// Rewrites `list`. `monthNames` holds the month names of the record's
// language, the first being month 0; empty when there are none. A month is
// recognised by any beginning of its name ("Jan", "Jan."). Never fails:
// whatever cannot be classified is copied.
std::string NormalizeIssueList(const StringList& monthNames, std::string_view list,
                               IssueListMode mode);

}  // namespace talor

#endif  // TALOR_TEXT_ISSUE_LIST_H_
