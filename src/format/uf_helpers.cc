#include <unicode/coll.h>
#include <unicode/locid.h>

#include <memory>

#include "format/uf_library.h"
#include "text/decimal.h"
#include "text/encoding.h"
#include "text/subfields.h"

namespace talor {

char UpperAsciiChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

std::string UpperAscii(const CharTables& tables, std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    const auto byte = static_cast<uint8_t>(c);
    if (byte > 0 && byte < 128) {
      const uint8_t mapped = tables.Upper(byte);
      if (mapped < 128) c = static_cast<char>(mapped);
    }
  }
  return upper;
}

namespace {

bool IsContinuation(char c) { return (static_cast<uint8_t>(c) & 0xC0) == 0x80; }

// Byte position of character `index` (clamped to the end).
size_t CharStart(std::string_view text, int64_t index) {
  size_t pos = 0;
  for (int64_t n = 0; n < index && pos < text.size(); ++n) {
    ++pos;
    while (pos < text.size() && IsContinuation(text[pos])) ++pos;
  }
  return pos;
}

}  // namespace

std::string_view Utf8Slice(std::string_view text, int64_t offset, int64_t count) {
  if (offset < 0) offset = 0;
  const size_t begin = CharStart(text, offset);
  if (count < 0) return text.substr(begin);
  const size_t end = begin + CharStart(text.substr(begin), count);
  return text.substr(begin, end - begin);
}

std::optional<int64_t> LeadingNumber(std::string_view text, size_t* used) {
  constexpr DecimalOptions kDigitsAtStart{
      .minusSign = false, .prefix = true, .min = 0, .max = kMaxParsedNumber, .saturate = true};
  return ParseDecimal(text, kDigitsAtStart, used);
}

std::optional<int64_t> WholeNumber(std::string_view text) {
  constexpr DecimalOptions kWholeParameter{.plusSign = true,
                                           .leadingBlanks = " ",
                                           .trailingBlanks = " ",
                                           .min = -kMaxParsedNumber,
                                           .max = kMaxParsedNumber,
                                           .saturate = true};
  return ParseDecimal(text, kWholeParameter);
}

std::vector<std::string> TextLines(std::string_view text) {
  std::vector<std::string> lines;
  for (std::string_view line : SplitLines(text)) lines.emplace_back(line);
  return lines;
}

std::optional<std::string> ReadDatabaseFile(const UfCall& call, std::string_view name) {
  FormatFileReader* reader = call.engine().fileReader();
  if (reader == nullptr || name.empty()) return std::nullopt;
  return reader->ReadTextFile(kDatabasePath, call.database(), name);
}

std::vector<std::pair<std::string, std::string>> MenuPairs(std::string_view fileText) {
  std::vector<std::pair<std::string, std::string>> pairs;
  const std::vector<std::string> lines = TextLines(fileText);
  for (size_t i = 0; i + 1 < lines.size(); i += 2) {
    if (lines[i].starts_with("*****")) break;
    pairs.emplace_back(lines[i], lines[i + 1]);
  }
  return pairs;
}

std::vector<std::string> GlobalLines(const FormatEngine& engine, int64_t first, int64_t count) {
  std::vector<std::string> lines;
  if (first < 0 || count <= 0) return lines;
  const int64_t size = engine.globalVariables.Count();
  for (int64_t i = first; i < size && i - first < count; ++i) {
    for (std::string& line : TextLines(engine.globalVariables[static_cast<size_t>(i)].text)) {
      lines.push_back(std::move(line));
    }
  }
  return lines;
}

void SetGlobal(FormatEngine& engine, int64_t index, std::string text) {
  if (index < 0 || index > kMaxGlobalVariable) return;
  StringList& variables = engine.globalVariables;
  while (variables.Count() <= index) variables.Add("");
  variables[static_cast<size_t>(index)].text = std::move(text);
}

FieldSelector ParseFieldSelector(std::string_view text) {
  FieldSelector selector;
  size_t used = 0;
  selector.tag = static_cast<int32_t>(LeadingNumber(text, &used).value_or(0));
  text.remove_prefix(used);
  while (!text.empty()) {
    const char mark = text.front();
    text.remove_prefix(1);
    if (mark == '^') {
      if (!text.empty()) {
        selector.code = text.front();
        text.remove_prefix(1);
      }
    } else if (mark == '*' || mark == '.') {
      const int64_t value = LeadingNumber(text, &used).value_or(0);
      text.remove_prefix(used);
      (mark == '*' ? selector.offset : selector.length) = value;
    } else if (mark == '#') {
      if (!text.empty() && text.front() == '*') {
        selector.last = true;
        text.remove_prefix(1);
      } else {
        selector.occurrence = LeadingNumber(text, &used);
        text.remove_prefix(used);
      }
    }
  }
  return selector;
}

std::string ApplyOffsetLength(const FieldSelector& selector, std::string_view value) {
  const int64_t length = selector.length > 0 ? selector.length : -1;
  return std::string(Utf8Slice(value, selector.offset, length));
}

std::string FieldPart(std::string_view value, char code) {
  return code == 0 ? std::string(value) : GetSubfield(value, code);
}

std::string JoinTexts(const std::vector<std::string>& texts, std::string_view separator) {
  std::string joined;
  for (size_t i = 0; i < texts.size(); ++i) {
    if (i > 0) joined += separator;
    joined += texts[i];
  }
  return joined;
}

int CollateUtf8(std::string_view a, std::string_view b) {
  thread_local std::unique_ptr<icu::Collator> collator = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> made(
        icu::Collator::createInstance(icu::Locale::getRoot(), status));
    return U_SUCCESS(status) ? std::move(made) : nullptr;
  }();
  if (collator) {
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult order =
        collator->compareUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
                              icu::StringPiece(b.data(), static_cast<int32_t>(b.size())), status);
    if (U_SUCCESS(status)) return order == UCOL_LESS ? -1 : order == UCOL_GREATER ? 1 : 0;
  }
  return a.compare(b) < 0 ? -1 : a == b ? 0 : 1;
}

LocalTime SystemLocalTime() {
  const time_t now = time(nullptr);
  struct tm parts {};
  localtime_r(&now, &parts);
  return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                   parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

}  // namespace talor
