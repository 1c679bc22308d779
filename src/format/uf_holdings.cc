// Keys over the copies field 910: the holdings summary (`O`), the available
// copies (`Y`) and the expansion of grouped copies (`Z`).

#include <algorithm>

#include "client/record.h"
#include "format/uf_library.h"
#include "text/subfields.h"

namespace talor {
namespace {

constexpr int32_t kCopiesTag = 910;
// A group never expands into more copies than this.
constexpr int64_t kMaxGroupCopies = 1000;

struct Tally {
  std::vector<std::pair<std::string, int64_t>> sums;  // in order of appearance
  void Add(const std::string& place, int64_t count) {
    auto it =
        std::find_if(sums.begin(), sums.end(), [&](const auto& s) { return s.first == place; });
    if (it == sums.end()) {
      sums.emplace_back(place, count);
    } else {
      it->second += count;
    }
  }
  std::string Text() const {
    std::vector<std::string> parts;
    for (const auto& [place, count] : sums)
      parts.push_back(place + "(" + std::to_string(count) + ")");
    return JoinTexts(parts, ", ");
  }
};

std::string Status(std::string_view value) {
  std::string status = GetSubfield(value, 'A');
  for (char& c : status) c = UpperAsciiChar(c);
  return status;
}

int64_t NumberOr(const std::string& text, int64_t fallback) {
  return text.empty() ? fallback : WholeNumber(text).value_or(fallback);
}

std::vector<std::string> Copies(const StringList& record) {
  std::vector<std::string> copies;
  for (size_t i = kRecordHeaderLines; i < record.size(); ++i) {
    if (record[i].object == kCopiesTag) copies.push_back(record[i].text);
  }
  return copies;
}

// "INV0007" -> {"INV", 7, 4}: the text before the trailing digits, their
// value and their width.
struct NumberedText {
  std::string prefix;
  int64_t value = 0;
  size_t width = 0;
  std::string At(int64_t step) const {
    if (width == 0) return prefix;
    std::string digits = std::to_string(value + step);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return prefix + digits;
  }
};

NumberedText SplitNumber(std::string_view text) {
  size_t start = text.size();
  while (start > 0 && text[start - 1] >= '0' && text[start - 1] <= '9') --start;
  NumberedText numbered{std::string(text.substr(0, start)), 0, text.size() - start};
  if (numbered.width > 0) numbered.value = LeadingNumber(text.substr(start)).value_or(0);
  return numbered;
}

std::vector<std::string> ExpandGroup(std::string_view value) {
  const std::string group = GetSubfield(value, 'B');
  const size_t slash = group.find('/');
  int64_t count = 1;
  std::string first = group;
  if (slash != std::string::npos) {
    count =
        std::clamp<int64_t>(WholeNumber(group.substr(0, slash)).value_or(1), 1, kMaxGroupCopies);
    first = group.substr(slash + 1);
  }
  const NumberedText number = SplitNumber(first);
  const std::string shelf = GetSubfield(value, 'H');
  const bool hasShelf =
      value.find("^H") != std::string_view::npos || value.find("^h") != std::string_view::npos;
  const NumberedText shelfNumber = SplitNumber(shelf);
  const std::string rest = DeleteSubfield(DeleteSubfield(DeleteSubfield(value, 'A'), 'B'), 'H');
  std::vector<std::string> copies;
  for (int64_t i = 0; i < count; ++i) {
    std::string copy = "^A0^B" + number.At(i);
    if (hasShelf) copy += "^H" + shelfNumber.At(i);
    copies.push_back(copy + rest);
  }
  return copies;
}

}  // namespace

int32_t UfHoldings(UfCall& call, std::string& result) {
  Tally tally;
  for (const std::string& copy : Copies(call.record())) {
    const std::string status = Status(copy);
    if (status == "2" || status == "7" || status == "6") continue;
    if ((status == "U" || status == "C") && GetSubfield(copy, 'C').empty()) continue;
    tally.Add(GetSubfield(copy, 'D'), NumberOr(GetSubfield(copy, '1'), 1));
  }
  result = tally.Text();
  return 0;
}

int32_t UfAvailable(UfCall& call, std::string& result) {
  Tally tally;
  for (const std::string& copy : Copies(call.record())) {
    if (GetSubfield(copy, 'C').empty()) continue;
    const std::string status = Status(copy);
    if (status == "0") {
      tally.Add(GetSubfield(copy, 'D'), 1);
    } else if (status == "U") {
      const int64_t free =
          NumberOr(GetSubfield(copy, '1'), 0) - NumberOr(GetSubfield(copy, '2'), 0);
      if (free > 0) tally.Add(GetSubfield(copy, 'D'), free);
    }
  }
  result = tally.Text();
  return 0;
}

int32_t UfExpandCopies(UfCall& call, std::string& result) {
  (void)result;
  StringList& record = call.mutableRecord();
  if (record.size() < static_cast<size_t>(kRecordHeaderLines)) return 0;
  StringList rebuilt;
  for (size_t i = 0; i < record.size(); ++i) {
    const ListLine& line = record[i];
    if (i < static_cast<size_t>(kRecordHeaderLines) || line.object != kCopiesTag ||
        Status(line.text) != "R") {
      rebuilt.Add(line.text, line.object);
      continue;
    }
    for (std::string& copy : ExpandGroup(line.text)) rebuilt.Add(std::move(copy), kCopiesTag);
  }
  record = std::move(rebuilt);
  return 0;
}

}  // namespace talor
