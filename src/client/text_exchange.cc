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

TextExchangeReader::TextExchangeReader(std::string_view input) : input_(input) {
  if (input_.starts_with(kUtf8Mark)) position_ = kUtf8Mark.size();
}

std::string_view TextExchangeReader::NextLine() {
  size_t end = input_.find_first_of("\r\n", position_);
  if (end == std::string_view::npos) end = input_.size();
  std::string_view line = input_.substr(position_, end - position_);
  position_ = end;
  if (position_ < input_.size() && input_[position_] == '\r') ++position_;
  if (position_ < input_.size() && input_[position_] == '\n') ++position_;
  ++lineNumber_;
  return line;
}

void TextExchangeReader::Report(std::string message) {
  issues_.push_back({lineNumber_, std::move(message)});
}

bool TextExchangeReader::Next(StringList& record) {
  StringList fields;
  RecordNew(fields);
  while (position_ < input_.size()) {
    std::string_view line = NextLine();
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
