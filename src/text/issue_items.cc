#include "text/issue_items.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "text/encoding.h"

namespace talor {
namespace {

// Issue numbers beyond this are not read as numbers.
constexpr int64_t kLargestIssueNumber = INT32_MAX;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string AsciiUpper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

std::string_view Trim(std::string_view text) {
  size_t begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos) return {};
  size_t end = text.find_last_not_of(' ');
  return text.substr(begin, end - begin + 1);
}

// One side of a range or a single, cut into prefix, number and suffix.
struct Side {
  std::string_view prefix;
  std::string_view digits;
  std::string_view suffix;

  // "A", "A9", "A9A", "9" or "9A"; empty for an empty side.
  std::string Shape() const {
    std::string shape;
    if (!prefix.empty()) shape += 'A';
    if (!digits.empty()) shape += '9';
    if (!digits.empty() && !suffix.empty()) shape += 'A';
    return shape;
  }
};

Side CutSide(std::string_view text) {
  size_t digit = 0;
  while (digit < text.size() && !IsDigit(text[digit])) ++digit;
  size_t end = digit;
  while (end < text.size() && IsDigit(text[end])) ++end;
  return {text.substr(0, digit), text.substr(digit, end - digit), text.substr(end)};
}

std::optional<IssueSingle> ReadSingle(const Side& side) {
  if (side.digits.empty()) return std::nullopt;
  int64_t number = 0;
  auto [end, error] =
      std::from_chars(side.digits.data(), side.digits.data() + side.digits.size(), number);
  if (error != std::errc() || number > kLargestIssueNumber) return std::nullopt;
  return IssueSingle{std::string(side.prefix), number, std::string(side.suffix)};
}

class Parser {
 public:
  explicit Parser(bool haveMonths) : haveMonths_(haveMonths) {}

  void Item(std::string_view item) {
    item = Trim(item);
    if (item.empty()) return;
    size_t hyphen = item.find('-');
    bool classified = hyphen == std::string_view::npos ? Single(item) : Range(item, hyphen);
    if (!classified) items_.verbatim.emplace_back(item);
  }

  IssueItems Take() { return std::move(items_); }

 private:
  bool Single(std::string_view item) {
    std::optional<IssueSingle> single = ReadSingle(CutSide(item));
    if (!single) return false;
    // The same number in the same group is kept once.
    if (seen_.emplace(single->Group(), single->number).second) {
      items_.singles.push_back(std::move(*single));
    }
    return true;
  }

  bool Range(std::string_view item, size_t hyphen) {
    if (item.find('-', hyphen + 1) != std::string_view::npos) return false;
    std::string_view leftText = Trim(item.substr(0, hyphen));
    std::string_view rightText = Trim(item.substr(hyphen + 1));
    Side left = CutSide(leftText);
    Side right = CutSide(rightText);
    std::string shape = left.Shape() + "-" + right.Shape();
    if (shape == "A-A") {
      if (!haveMonths_) return false;
      items_.monthRanges.push_back({std::string(leftText), std::string(rightText)});
      return true;
    }
    std::optional<RangeKind> kind = KindOf(shape);
    std::optional<IssueSingle> first = ReadSingle(left);
    std::optional<IssueSingle> last = ReadSingle(right);
    if (!kind || !first || !last || last->number < first->number) return false;
    if (*kind == RangeKind::Plain) {
      // One prefix (from the left side) and one suffix (from the right side)
      // frame both numbers.
      first = IssueSingle(first->prefix, first->number, last->suffix);
      last = IssueSingle(first->prefix, last->number, last->suffix);
      items_.plainHadRange = true;
    }
    items_.ranges.push_back({std::move(*first), std::move(*last), *kind});
    return true;
  }

  static std::optional<RangeKind> KindOf(std::string_view shape) {
    if (shape == "9-9" || shape == "A9-9" || shape == "9-9A") return RangeKind::Plain;
    if (shape == "9A-9A") return RangeKind::Suffixed;
    if (shape == "A9-A9") return RangeKind::Prefixed;
    if (shape == "A9A-A9A") return RangeKind::Framed;
    return std::nullopt;
  }

  bool haveMonths_;
  IssueItems items_;
  std::set<std::pair<IssueGroup, int64_t>> seen_;
};

}  // namespace

std::string IssueKey(std::string_view text) {
  text = Trim(text);
  bool ascii = std::all_of(text.begin(), text.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  // Most prefixes and suffixes are ASCII (often empty): spare them the trip
  // through UTF-16.
  std::string upper = ascii ? AsciiUpper(text) : Utf8UpperCase(text);
  std::string key;
  key.reserve(upper.size());
  for (char c : upper) {
    if (c == ' ' && !key.empty() && key.back() == ' ') continue;
    key += c;
  }
  return key;
}

std::string IssueSingle::Text() const { return prefix + std::to_string(number) + suffix; }

IssueItems ParseIssueItems(std::string_view list, bool haveMonths) {
  Parser parser(haveMonths);
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find_first_of(",;", start);
    if (end == std::string_view::npos) end = list.size();
    parser.Item(list.substr(start, end - start));
    start = end + 1;
  }
  return parser.Take();
}

std::optional<int> FindMonth(const StringList& months, std::string_view text, bool lastMatch) {
  text = Trim(text);
  if (text.ends_with('.')) text.remove_suffix(1);
  std::string key = IssueKey(text);
  if (key.empty()) return std::nullopt;
  std::optional<int> found;
  for (int i = 0; i < months.Count(); ++i) {
    if (!IssueKey(months[static_cast<size_t>(i)].text).starts_with(key)) continue;
    found = i;
    if (!lastMatch) break;
  }
  return found;
}

}  // namespace talor
