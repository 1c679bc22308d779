// Keys that read or rearrange the fields of the record: dumps, extraction by
// selector, distinct values, sorting, field positions, the 991 field and the
// aligned placement of a value.

#include <algorithm>

#include "client/record.h"
#include "format/uf_library.h"
#include "text/encoding.h"

namespace talor {
namespace {

constexpr int32_t kInternalResourceTag = 953;
constexpr int32_t kReplacedFieldTag = 991;
constexpr std::string_view kInternalResourceText = "[Internal Resource]";
constexpr std::string_view kDistinctSeparator = ", ";

// Values (or subfield values) of every occurrence of `tag`, in record order.
std::vector<std::string> TagValues(const StringList& record, int32_t tag, char code) {
  std::vector<std::string> values;
  for (int field = 1; field <= RecordFieldCount(record); ++field) {
    if (RecordFieldTag(record, field) != tag) continue;
    values.push_back(FieldPart(record[kRecordHeaderLines + field - 1].text, code));
  }
  return values;
}

// The n-th (1-based) of `values`, or the last one; empty when there is none.
std::string Nth(const std::vector<std::string>& values, int64_t n, bool last) {
  if (last) return values.empty() ? std::string() : values.back();
  if (n < 1 || n > static_cast<int64_t>(values.size())) return {};
  return values[static_cast<size_t>(n - 1)];
}

std::vector<std::string> NonEmpty(std::vector<std::string> values) {
  std::erase_if(values, [](const std::string& value) { return value.empty(); });
  return values;
}

}  // namespace

std::string SelectValue(const UfCall& call, char source, const FieldSelector& selector) {
  const int64_t n = selector.occurrence.value_or(call.iteration());
  std::string value;
  switch (UpperAsciiChar(source)) {
    case 'V':
      value = Nth(TagValues(call.record(), selector.tag, selector.code), n, selector.last);
      break;
    case 'G': {
      const std::vector<std::string> lines = GlobalLines(call.engine(), selector.tag, 1);
      value = FieldPart(Nth(lines, n, selector.last), selector.code);
      break;
    }
    case 'I':
    case 'D': {
      std::vector<std::string> values =
          NonEmpty(TagValues(call.record(), selector.tag, selector.code));
      const bool descending = UpperAsciiChar(source) == 'D';
      std::stable_sort(values.begin(), values.end(), [&](const auto& a, const auto& b) {
        const int order = CollateUtf8(a, b);
        return descending ? order > 0 : order < 0;
      });
      value = Nth(values, n, selector.last);
      break;
    }
    default:
      break;
  }
  return ApplyOffsetLength(selector, value);
}

int32_t UfRtfDump(UfCall& call, std::string& result) {
  const StringList& record = call.record();
  std::vector<std::pair<int32_t, int>> seen;
  for (int field = 1; field <= RecordFieldCount(record); ++field) {
    const int32_t tag = RecordFieldTag(record, field);
    auto it = std::find_if(seen.begin(), seen.end(), [&](const auto& s) { return s.first == tag; });
    if (it == seen.end()) it = seen.insert(seen.end(), {tag, 0});
    ++it->second;
    result += "\\b #" + std::to_string(tag) + "/" + std::to_string(it->second) + ":_\\b0 ";
    if (tag == kInternalResourceTag) {
      result += kInternalResourceText;
    } else {
      result += record[kRecordHeaderLines + field - 1].text;
    }
    result += "\\par ";
  }
  return 0;
}

int32_t UfExtract(UfCall& call, std::string& result) {
  const std::string upper = UpperAscii(call.engine().tables, call.p);
  if (upper.empty()) return 0;
  result = SelectValue(call, upper[0], ParseFieldSelector(std::string_view(upper).substr(1)));
  return 0;
}

int32_t UfDistinct(UfCall& call, std::string& result) {
  const std::string upper = UpperAscii(call.engine().tables, call.p);
  if (upper.empty()) return 0;
  const FieldSelector selector = ParseFieldSelector(std::string_view(upper).substr(1));
  std::vector<std::string> distinct;
  for (std::string& value : NonEmpty(TagValues(call.record(), selector.tag, selector.code))) {
    if (std::find(distinct.begin(), distinct.end(), value) == distinct.end()) {
      distinct.push_back(std::move(value));
    }
  }
  const int64_t n = selector.occurrence.value_or(call.iteration());
  const std::string value = (n >= 1 || selector.last) ? Nth(distinct, n, selector.last)
                                                      : JoinTexts(distinct, kDistinctSeparator);
  result = ApplyOffsetLength(selector, value);
  return 0;
}

int32_t UfSortField(UfCall& call, std::string& result) {
  (void)result;
  const std::string upper = UpperAscii(call.engine().tables, call.p);
  if (upper.empty()) return 0;
  const bool descending = upper[0] == 'D';
  std::string_view rest = std::string_view(upper).substr(1);
  size_t used = 0;
  const int32_t tag = static_cast<int32_t>(LeadingNumber(rest, &used).value_or(-1));
  rest.remove_prefix(used);
  const std::string codes = rest.starts_with('^') ? std::string(rest.substr(1)) : std::string();
  StringList& record = call.mutableRecord();
  std::vector<size_t> places;
  std::vector<std::pair<std::string, std::string>> entries;  // key, value
  for (int field = 1; field <= RecordFieldCount(record); ++field) {
    if (RecordFieldTag(record, field) != tag) continue;
    places.push_back(kRecordHeaderLines + field - 1);
    entries.emplace_back(RecordFieldText(record, field, codes), record[places.back()].text);
  }
  std::stable_sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) {
    const int order = CollateUtf8(a.first, b.first);
    return descending ? order > 0 : order < 0;
  });
  for (size_t i = 0; i < places.size(); ++i) record[places[i]].text = std::move(entries[i].second);
  return 0;
}

int32_t UfRecordText(UfCall& call, std::string& result) {
  const StringList& record = call.record();
  if (record.empty()) return 0;
  std::vector<std::string> lines{record[0].text};
  if (record.size() > 1) lines.push_back(std::to_string(record[1].object) + "#" + record[1].text);
  if (record.size() > 2) lines.push_back(record[2].text);
  for (size_t i = kRecordHeaderLines; i < record.size(); ++i) {
    lines.push_back(std::to_string(record[i].object) + "#" + record[i].text);
  }
  result = JoinTexts(lines, "\r\n");
  return 0;
}

int32_t UfFieldByPos(UfCall& call, std::string& result) {
  if (call.p.size() < 2) return 0;
  const char what = UpperAsciiChar(call.p[0]);
  const StringList& record = call.record();
  std::vector<int> fields;
  for (int field = 1; field <= RecordFieldCount(record); ++field) fields.push_back(field);
  if (call.p[1] == '1') {
    std::stable_sort(fields.begin(), fields.end(), [&](int a, int b) {
      return RecordFieldTag(record, a) < RecordFieldTag(record, b);
    });
  }
  const int64_t k = call.iteration() > 0 ? call.iteration() : 1;
  if (k > static_cast<int64_t>(fields.size())) return 0;
  const int field = fields[static_cast<size_t>(k - 1)];
  if (what == 'T') result = std::to_string(RecordFieldTag(record, field));
  if (what == 'F') result = record[kRecordHeaderLines + field - 1].text;
  if (what == 'N') result = std::to_string(field);
  return 0;
}

int32_t UfNotDeleted(UfCall& call, std::string& result) {
  result = RecordIsDeleted(call.record()) ? "0" : "1";
  return 0;
}

int32_t UfDatabase(UfCall& call, std::string& result) {
  result = call.database();
  return 0;
}

int32_t UfFieldNumber(UfCall& call, std::string& result) {
  size_t used = 0;
  const std::optional<int64_t> tag = LeadingNumber(call.p, &used);
  if (!tag) return 0;
  std::string_view rest = call.p.substr(used);
  int64_t n = 1;
  if (rest.starts_with('#')) {
    rest.remove_prefix(1);
    if (rest.starts_with('*')) {
      n = call.iteration();
    } else {
      n = LeadingNumber(rest).value_or(1);
    }
  }
  if (n == 0) n = 1;
  const int field = RecordFindField(call.record(), static_cast<int32_t>(*tag), static_cast<int>(n));
  if (field > 0) result = std::to_string(field);
  return 0;
}

int32_t UfReplace991(UfCall& call, std::string& result) {
  (void)result;
  StringList& record = call.mutableRecord();
  if (record.size() < static_cast<size_t>(kRecordHeaderLines)) return 0;
  for (size_t i = record.size(); i > static_cast<size_t>(kRecordHeaderLines); --i) {
    if (record[i - 1].object == kReplacedFieldTag) record.Delete(i - 1);
  }
  RecordInsertField(record, kReplacedFieldTag, 1, std::string(call.p));
  return 0;
}

int32_t UfCountContaining(UfCall& call, std::string& result) {
  size_t used = 0;
  const std::optional<int64_t> tag = LeadingNumber(call.p, &used);
  const std::string_view rest = call.p.substr(used);
  if (!tag || !rest.starts_with('#') || rest.size() == 1) {
    result = "0";
    return 0;
  }
  const std::string needle = Utf8UpperCase(rest.substr(1));
  int count = 0;
  for (const std::string& value : TagValues(call.record(), static_cast<int32_t>(*tag), 0)) {
    if (Utf8UpperCase(value).find(needle) != std::string::npos) ++count;
  }
  result = std::to_string(count);
  return 0;
}

int32_t UfPlace(UfCall& call, std::string& result) {
  const size_t question = call.p.find('?');
  if (question == std::string_view::npos) return 0;
  const std::string_view templ = call.p.substr(0, question);
  const std::string_view selector = call.p.substr(question + 1);
  std::string value;
  if (selector.starts_with('@')) {
    value = selector.substr(1);
  } else if (!selector.empty()) {
    const std::string upper = UpperAscii(call.engine().tables, selector);
    value = SelectValue(call, upper[0], ParseFieldSelector(std::string_view(upper).substr(1)));
  }
  char align = 'L';
  for (char c : templ) {
    const char upper = UpperAsciiChar(c);
    if (upper == 'L' || upper == 'R' || upper == 'D') {
      align = upper;
      break;
    }
  }
  const size_t width = Utf8Length(templ);
  const size_t length = Utf8Length(value);
  const size_t pad = width > length ? width - length : 0;
  const size_t before = align == 'R' ? pad : align == 'D' ? pad / 2 : 0;
  result.assign(before, ' ');
  result += value;
  result.append(pad - before, ' ');
  return 0;
}

}  // namespace talor
