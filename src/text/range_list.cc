#include "text/range_list.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace talor {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

struct RangeSide {
  std::string_view prefix;
  std::string_view number;  // from the first digit on; empty without digits
};

RangeSide SplitSide(std::string_view side) {
  size_t digit = 0;
  while (digit < side.size() && !IsDigit(side[digit])) ++digit;
  return {side.substr(0, digit), side.substr(digit)};
}

bool ReadNumber(std::string_view digits, long long& value) {
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), IsDigit)) return false;
  // Numbers too long for 64 bits are not ranges we can expand.
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return error == std::errc() && end == digits.data() + digits.size();
}

// Appends the expansion of one item to `out`.
void ExpandItem(std::string_view item, std::string& out) {
  size_t hyphen = item.find('-');
  bool isRange = hyphen != std::string_view::npos && hyphen != 0 && hyphen + 1 != item.size() &&
                 item.find('-', hyphen + 1) == std::string_view::npos;
  if (!isRange) {
    out += item;
    return;
  }
  RangeSide left = SplitSide(item.substr(0, hyphen));
  RangeSide right = SplitSide(item.substr(hyphen + 1));
  if (left.prefix != right.prefix) {
    out += item;
    return;
  }
  if (left.number.empty() && right.number.empty()) {
    out += item.substr(0, hyphen);
    return;
  }
  long long first = 0;
  long long last = 0;
  if (!ReadNumber(left.number, first) || !ReadNumber(right.number, last) || last < first ||
      last - first >= kMaxRangeMembers) {
    out += item;
    return;
  }
  if (first == last) {
    out += left.prefix;
    out += left.number;
    return;
  }
  for (long long n = first; n <= last; ++n) {
    if (n != first) out += ',';
    out += left.prefix;
    out += std::to_string(n);
  }
}

}  // namespace

std::string ExpandRangeList(std::string_view text) {
  std::string compact;
  compact.reserve(text.size());
  for (char c : text) {
    if (c != ' ') compact += c;
  }
  std::string result;
  std::string_view rest = compact;
  while (!rest.empty()) {
    size_t comma = rest.find(',');
    std::string_view item = rest.substr(0, comma);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    if (item.empty()) continue;
    if (!result.empty()) result += ',';
    ExpandItem(item, result);
  }
  return result;
}

}  // namespace talor
