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

void RecodeForExport(StringList& record, ExchangeCode code) {
  if (code == ExchangeCode::Utf8) return;
  for (ListLine& line : record) {
    line.text = Utf8ToAnsi(line.text);
    if (code == ExchangeCode::Oem) line.text = AnsiToOem(line.text);
  }
}

void RecodeForImport(StringList& record, ExchangeCode code) {
  if (code == ExchangeCode::Utf8) return;
  for (ListLine& line : record) {
    if (code == ExchangeCode::Oem) line.text = OemToAnsi(line.text);
    line.text = AnsiTextToUtf8(line.text);
  }
}

}  // namespace talor
