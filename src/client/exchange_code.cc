#include "client/exchange_code.h"

#include <string>

#include "text/charset_escapes.h"
#include "text/encoding.h"

namespace talor {
namespace {

bool ContainsNoCase(std::string_view text, std::string_view upperWord) {
  std::string upper = AnsiUpperCase(text);
  return upper.find(upperWord) != std::string::npos;
}

std::string AnsiTextToUtf8(std::string_view ansiText) {
  std::optional<std::string> decoded = DecodeCharsetEscapes(ansiText);
  return decoded ? std::move(*decoded) : AnsiToUtf8(ansiText);
}

constexpr std::string_view kEscapeMark = "&&";
constexpr size_t kEscapeLength = 4;

std::string OemToAnsiKeepingEscapes(std::string_view oemText) {
  std::string ansiText = OemToAnsi(oemText);  // byte for byte
  for (size_t at = oemText.find(kEscapeMark); at != std::string_view::npos;
       at = oemText.find(kEscapeMark, at + kEscapeLength)) {
    if (at + kEscapeLength > oemText.size()) break;
    ansiText.replace(at + 2, 2, oemText.substr(at + 2, 2));
  }
  return ansiText;
}

}  // namespace

ExchangeCode ExchangeCodeFromParameter(std::string_view parameter) {
  if (ContainsNoCase(parameter, "WIN")) return ExchangeCode::Ansi;
  if (ContainsNoCase(parameter, "DOS")) return ExchangeCode::Oem;
  return ExchangeCode::Utf8;
}

std::optional<ExchangeCode> ExchangeCodeFromName(std::string_view name) {
  std::string lower = AnsiLowerCase(name);
  if (lower == "utf8" || lower == "utf-8") return ExchangeCode::Utf8;
  if (lower == "win") return ExchangeCode::Ansi;
  if (lower == "dos") return ExchangeCode::Oem;
  return std::nullopt;
}

size_t RecodeForExport(StringList& record, ExchangeCode code) {
  size_t missing = 0;
  if (code == ExchangeCode::Utf8) return missing;
  for (ListLine& line : record) {
    line.text = code == ExchangeCode::Oem ? Utf8ToOem(line.text, &missing)
                                          : Utf8ToAnsi(line.text, &missing);
  }
  return missing;
}

void RecodeForImport(StringList& record, ExchangeCode code) {
  if (code == ExchangeCode::Utf8) return;
  for (ListLine& line : record) {
    if (code == ExchangeCode::Oem) line.text = OemToAnsiKeepingEscapes(line.text);
    line.text = AnsiTextToUtf8(line.text);
  }
}

}  // namespace talor
