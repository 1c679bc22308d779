#include "shell/ini_value.h"

#include "text/decimal.h"
#include "text/encoding.h"

namespace talor {
namespace {

constexpr char kQuote = '"';
constexpr char kEscape = '%';

constexpr std::string_view kBlanks = " \t";
constexpr DecimalOptions kIniInteger{
    .plusSign = true, .leadingBlanks = kBlanks, .trailingBlanks = kBlanks};

bool IsBlank(char c) { return kBlanks.find(c) != std::string_view::npos; }

bool HasLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool IsQuoted(std::string_view text) {
  return text.size() >= 2 && text.front() == kQuote && text.back() == kQuote;
}

bool NeedsQuotes(std::string_view value) {
  if (value.empty()) return false;
  return IsBlank(value.front()) || IsBlank(value.back()) || HasLineBreakOrNul(value) ||
         IsQuoted(value);
}

// The byte that the two hex digits at `text` stand for, when they are one of
// the four escapes that EncodeIniValue writes.
std::optional<char> EscapedByte(std::string_view digits) {
  if (digits.size() < 2) return std::nullopt;
  char high = digits[0];
  char low = AnsiUpperChar(digits[1]);
  if (high == '2' && low == '5') return '%';
  if (high == '0' && low == 'D') return '\r';
  if (high == '0' && low == 'A') return '\n';
  if (high == '0' && low == '0') return '\0';
  return std::nullopt;
}

}  // namespace

std::string FoldIniName(std::string_view name) { return AnsiUpperCase(name); }

bool SameIniName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AnsiUpperChar(a[i]) != AnsiUpperChar(b[i])) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string EncodeIniValue(std::string_view value) {
  if (!NeedsQuotes(value)) return std::string(value);
  std::string result(1, kQuote);
  for (char c : value) {
    switch (c) {
      case '%':
        result += "%25";
        break;
      case '\r':
        result += "%0D";
        break;
      case '\n':
        result += "%0A";
        break;
      case '\0':
        result += "%00";
        break;
      default:
        result += c;
    }
  }
  result += kQuote;
  return result;
}

std::string DecodeIniValue(std::string_view written) {
  std::string_view text = TrimBlanks(written);
  if (!IsQuoted(text)) return std::string(text);
  text = text.substr(1, text.size() - 2);
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    std::optional<char> escaped;
    if (text[i] == kEscape) escaped = EscapedByte(text.substr(i + 1));
    if (escaped) {
      result += *escaped;
      i += 2;
    } else {
      result += text[i];
    }
  }
  return result;
}

bool IsValidIniKey(std::string_view name) {
  if (name.empty() || TrimBlanks(name).size() != name.size()) return false;
  if (name.front() == '[' || name.front() == ';' || name.front() == '#') return false;
  return name.find('=') == std::string_view::npos && !HasLineBreakOrNul(name);
}

bool IsValidIniSection(std::string_view name) {
  if (TrimBlanks(name).size() != name.size()) return false;
  return name.find(']') == std::string_view::npos && !HasLineBreakOrNul(name);
}

std::optional<int32_t> ParseIniInteger(std::string_view text) {
  return ParseDecimal32(text, kIniInteger);
}

}  // namespace talor
