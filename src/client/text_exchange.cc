#include "client/text_exchange.h"

#include <optional>

#include "client/decimal.h"
#include "client/record.h"

namespace talor {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kTagSeparator = ": ";

struct FieldStart {
  int32_t tag;
  std::string_view value;
};

// "#<positive tag>: value".
std::optional<FieldStart> ParseFieldStart(std::string_view line) {
  if (!line.starts_with('#')) return std::nullopt;
  size_t colon = line.find(kTagSeparator);
  if (colon == std::string_view::npos) return std::nullopt;
  std::string_view digits = line.substr(1, colon - 1);
  if (digits.empty() || digits[0] < '0' || digits[0] > '9') return std::nullopt;
  std::optional<int32_t> tag = ParseDecimal(digits);
  if (!tag || *tag <= 0) return std::nullopt;
  return FieldStart{*tag, line.substr(colon + kTagSeparator.size())};
}

// "*****", also with blanks after it (left behind by text editors).
bool IsRecordEnd(std::string_view line) {
  size_t end = line.find_last_not_of(" \t");
  return end != std::string_view::npos && line.substr(0, end + 1) == kTextRecordEnd;
}

std::string Quoted(std::string_view line) {
  constexpr size_t kShown = 40;
  std::string shown(line.substr(0, kShown));
  if (line.size() > kShown) shown += "…";
  return "«" + shown + "»";
}

}  // namespace

void WriteTextRecord(const StringList& record, std::string& out) {
  for (size_t i = kRecordHeaderLines; i < record.size(); ++i) {
    out += '#';
    out += std::to_string(record[i].object);
    out += kTagSeparator;
    out += record[i].text;
    out += kCrLf;
  }
  out += kTextRecordEnd;
  out += kCrLf;
}

TextExchangeReader::TextExchangeReader(std::string_view bytes)
    : owned_(std::in_place, bytes), input_(*owned_) {
  SkipByteOrderMark();
}

TextExchangeReader::TextExchangeReader(ExchangeInput& input) : input_(input) {
  SkipByteOrderMark();
}

void TextExchangeReader::SkipByteOrderMark() {
  if (input_.Peek(kUtf8Mark.size()) == kUtf8Mark) input_.Skip(kUtf8Mark.size());
}

std::optional<std::string_view> TextExchangeReader::NextLine() {
  size_t scanned = 0;
  size_t end = std::string_view::npos;
  // A CR at the end of what is at hand may be followed by an LF not yet read.
  while ((end = input_.Buffered().find_first_of("\r\n", scanned)) == std::string_view::npos ||
         (input_.Buffered()[end] == '\r' && end + 1 == input_.Buffered().size())) {
    scanned = end == std::string_view::npos ? input_.Buffered().size() : end;
    if (!input_.ReadMore()) break;
  }
  std::string_view rest = input_.Buffered();
  if (rest.empty()) return std::nullopt;
  if (end == std::string_view::npos) end = rest.size();
  size_t next = end;
  if (next < rest.size() && rest[next] == '\r') ++next;
  if (next < rest.size() && rest[next] == '\n') ++next;
  input_.Skip(next);
  ++lineNumber_;
  // Skip only moves the position: the bytes stay where they are until the
  // next read.
  return rest.substr(0, end);
}

void TextExchangeReader::Report(std::string message) {
  issues_.push_back({lineNumber_, std::move(message)});
}

bool TextExchangeReader::Next(StringList& record) {
  StringList fields;
  RecordNew(fields);
  while (std::optional<std::string_view> next = NextLine()) {
    std::string_view line = *next;
    if (IsRecordEnd(line)) {
      if (RecordFieldCount(fields) > 0) break;
      continue;
    }
    if (line.empty()) continue;
    if (std::optional<FieldStart> start = ParseFieldStart(line)) {
      fields.Add(std::string(start->value), start->tag);
      continue;
    }
    if (RecordFieldCount(fields) == 0) {
      Report("строка " + Quoted(line) +
             " не начинается с «#метка: » и не продолжает никакого поля; пропущена");
      continue;
    }
    if (line.starts_with('#')) {
      Report("строка " + Quoted(line) +
             " похожа на начало поля, но метка не положительное число или нет «: »;"
             " текст добавлен к предыдущему полю");
    }
    fields[fields.size() - 1].text += line;
  }
  if (RecordFieldCount(fields) == 0) return false;
  record = std::move(fields);
  return true;
}

}  // namespace talor
