// The items of an issue-number list ("1-4,6,N10,12a-14a,Jan-Mar") as the
// normalisation in text/issue_list.h sees them. Internal to the text module.

#ifndef TALOR_TEXT_ISSUE_ITEMS_H_
#define TALOR_TEXT_ISSUE_ITEMS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/string_list.h"

namespace talor {

// Upper-cased (Unicode rules), trimmed, every run of blanks made one blank:
// two prefixes or suffixes are the same when their keys are equal.
std::string IssueKey(std::string_view text);

// The group of a number: the keys of its prefix and suffix.
struct IssueGroup {
  std::string prefix;
  std::string suffix;

  bool operator==(const IssueGroup&) const = default;
  auto operator<=>(const IssueGroup&) const = default;
  bool empty() const { return prefix.empty() && suffix.empty(); }
};

// A numbered issue such as "N10" or "12a".
struct IssueSingle {
  IssueSingle() = default;
  IssueSingle(std::string prefixText, int64_t issueNumber, std::string suffixText)
      : prefix(std::move(prefixText)),
        number(issueNumber),
        suffix(std::move(suffixText)),
        group{IssueKey(prefix), IssueKey(suffix)} {}

  const IssueGroup& Group() const { return group; }
  std::string Text() const;

  std::string prefix;
  int64_t number = 0;
  std::string suffix;
  IssueGroup group;  // the keys of prefix and suffix: construct, do not assign those
};

// Where a range is written, by the prefixes and suffixes its sides carry.
enum class RangeKind { Plain, Suffixed, Prefixed, Framed };

// A range of issue numbers; each side has its own prefix and suffix. Ranges
// read as "3-7", "N3-7" or "3-7a" carry the one prefix and suffix on both
// sides.
struct IssueRange {
  IssueSingle left;
  IssueSingle right;
  RangeKind kind = RangeKind::Plain;

  // Both sides in one group: the range can absorb singles and merge.
  bool Uniform() const { return left.Group() == right.Group(); }
  std::string Text() const { return left.Text() + "-" + right.Text(); }
};

// A range of two texts without digits ("Jan.-Mar."), as written.
struct MonthRangeText {
  std::string left;
  std::string right;
};

struct IssueItems {
  std::vector<IssueSingle> singles;  // each group's numbers at most once
  std::vector<IssueRange> ranges;    // in input order
  std::vector<MonthRangeText> monthRanges;
  std::vector<std::string> verbatim;  // trimmed, in input order
  bool plainHadRange = false;
};

// Cuts `list` at commas and semicolons and classifies every non-empty item.
// Month ranges are recognised only when `haveMonths`; a range whose last
// number is below its first, a number beyond 32 bits and every shape not
// listed in the header of issue_list.h make an item verbatim.
IssueItems ParseIssueItems(std::string_view list, bool haveMonths);

// The month number (0-based position in `months`) whose name begins with
// `text` (compared by IssueKey, a final full stop of `text` ignored): the
// first such name, or the last one when `lastMatch`. nullopt when none.
std::optional<int> FindMonth(const StringList& months, std::string_view text, bool lastMatch);

}  // namespace talor

#endif  // TALOR_TEXT_ISSUE_ITEMS_H_
