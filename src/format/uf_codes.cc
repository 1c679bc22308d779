// Keys that recode a text: bracketed parts, transliteration, URL and HTML
// coding, code pages, backslashes, running codes and Roman numerals.

#include <array>

#include "format/uf_library.h"
#include "text/encoding.h"
#include "text/file_names.h"
#include "text/html_coding.h"
#include "text/number_text.h"
#include "text/url_coding.h"

namespace talor {
namespace {

// Latin spellings of the Cyrillic lower-case letters а..я, in order.
constexpr std::array<std::string_view, 32> kTransliteration{
    "a", "b", "v", "g", "d", "e",  "zh", "z",  "i",  "i",    "k",  "l", "m", "n", "o",  "p",
    "r", "s", "t", "u", "f", "kh", "ts", "ch", "sh", "shch", "''", "y", "'", "e", "iu", "ia"};
constexpr char16_t kCapitalA = u'\u0410';
constexpr char16_t kSmallA = u'\u0430';
constexpr char16_t kSmallYa = u'\u044F';

// Characters 136 and 137 of code page 1251, which frame an alternative
// that has no `=`.
constexpr char kAltOpen = static_cast<char>(136);
constexpr char kAltClose = static_cast<char>(137);
// Hidden start and end marks of an RTF link.
constexpr char kLinkStart = 0x1A;
constexpr char kLinkEnd = 0x1B;

struct RomanDigit {
  std::string_view symbol;
  int value;
};
constexpr std::array<RomanDigit, 13> kRomanDigits{{{"M", 1000},
                                                   {"CM", 900},
                                                   {"D", 500},
                                                   {"CD", 400},
                                                   {"C", 100},
                                                   {"XC", 90},
                                                   {"L", 50},
                                                   {"XL", 40},
                                                   {"X", 10},
                                                   {"IX", 9},
                                                   {"V", 5},
                                                   {"IV", 4},
                                                   {"I", 1}}};
// Larger numbers would only be strings of M.
constexpr int64_t kMaxRoman = 100000;

std::vector<std::string_view> Utf8Chars(std::string_view text) {
  std::vector<std::string_view> chars;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = pos + 1;
    while (end < text.size() && (static_cast<uint8_t>(text[end]) & 0xC0) == 0x80) ++end;
    chars.push_back(text.substr(pos, end - pos));
    pos = end;
  }
  return chars;
}

// The characters of `text` except every fourth (1-3, 5-7, ... remain).
std::string DropEveryFourth(std::string_view text) {
  std::string kept;
  size_t index = 0;
  for (std::string_view c : Utf8Chars(text)) {
    if (++index % 4 != 0) kept += c;
  }
  return kept;
}

// "12" -> "13", "0099" -> "100": a string of digits plus one, no leading
// zeros.
std::string IncrementDigits(std::string_view digits) {
  std::string number(digits);
  size_t nonZero = number.find_first_not_of('0');
  number.erase(0, nonZero == std::string::npos ? number.size() : nonZero);
  if (number.empty()) return "1";
  size_t pos = number.size();
  while (pos > 0) {
    --pos;
    if (number[pos] != '9') {
      ++number[pos];
      return number;
    }
    number[pos] = '0';
  }
  return "1" + number;
}

bool AllDigits(std::string_view text) {
  return text.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

int32_t UfBracketParts(UfCall& call, std::string& result) {
  const std::string_view p = call.p;
  size_t pos = 0;
  while (true) {
    const size_t open = p.find('<', pos);
    if (open == std::string_view::npos) break;
    const size_t close = p.find('>', open + 1);
    if (close == std::string_view::npos) break;
    result += '<';
    result += DropEveryFourth(p.substr(open + 1, close - open - 1));
    result += '>';
    pos = close + 1;
  }
  return 0;
}

int32_t UfTransliterate(UfCall& call, std::string& result) {
  if (call.p.empty()) return 0;
  const std::vector<std::string_view> chars = Utf8Chars(call.p);
  for (size_t i = 1; i < chars.size(); ++i) {
    const std::string_view c = chars[i];
    if (c == "\"") continue;
    const std::u16string wide = c.size() > 1 ? Utf8ToWide(c) : std::u16string();
    if (wide.size() == 1 && wide[0] >= kCapitalA && wide[0] <= kSmallYa) {
      const bool capital = wide[0] < kSmallA;
      std::string latin(kTransliteration[(wide[0] - kCapitalA) % 32]);
      if (capital) latin[0] = UpperAsciiChar(latin[0]);
      result += latin;
    } else {
      result += c;
    }
  }
  return 0;
}

int32_t UfGroupsOfThree(UfCall& call, std::string& result) {
  if (call.p.empty()) return 0;
  const std::string joined = DropEveryFourth(call.p);
  const size_t length = Utf8Length(joined);
  const size_t groups = (length + 2) / 3;
  result = length <= 2 ? "0" : std::to_string(groups);
  result += joined;
  return 0;
}

int32_t UfAlternatives(UfCall& call, std::string& result) {
  if (call.p.empty()) return 0;
  const char mode = call.p[0];
  const std::string_view text = call.p.substr(1);
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t open = text.find('<', pos);
    const size_t close = open == std::string_view::npos ? open : text.find('>', open + 1);
    if (close == std::string_view::npos) {
      result += text.substr(pos);
      break;
    }
    result += text.substr(pos, open - pos);
    const std::string_view content = text.substr(open + 1, close - open - 1);
    const size_t equals = content.find('=');
    if (mode == '0') {
      if (equals != std::string_view::npos) result += content.substr(equals + 1);
    } else if (mode == '1') {
      if (equals != std::string_view::npos) {
        result += content.substr(0, equals);
      } else {
        result += AnsiToUtf8(std::string_view(&kAltOpen, 1));
        result += content;
        result += AnsiToUtf8(std::string_view(&kAltClose, 1));
      }
    } else {
      result += content;
    }
    pos = close + 1;
  }
  return 0;
}

int32_t UfRtfLink(UfCall& call, std::string& result) {
  const std::string_view p = call.p;
  if (p.size() < 3) return 0;
  const size_t second = p.find(p[0], 1);
  if (second == std::string_view::npos) return 0;
  std::string link(p.substr(0, second + 1));
  if (p[1] == '0' || p[1] == '3') link = NormalizeBackslashes(link, BackslashMode::Double);
  result = "{\\v ";
  result += kLinkStart;
  result += link;
  result += "}";
  result += p.substr(second + 1);
  result += "{\\v ";
  result += kLinkEnd;
  result += "}";
  return 0;
}

int32_t UfBackslashes(UfCall& call, std::string& result) {
  if (call.p.size() < 2) return 0;
  const int mode = call.p[0] >= '0' && call.p[0] <= '9' ? call.p[0] - '0' : 0;
  const std::string_view text = call.p.substr(1);
  if (mode == 0 || mode == 1) {
    result = NormalizeBackslashes(text, static_cast<BackslashMode>(mode));
  } else {
    result = text;
  }
  return 0;
}

int32_t UfNextCode(UfCall& call, std::string& result) {
  const std::string_view p = call.p;
  if (!p.empty() && AllDigits(p)) {
    result = IncrementDigits(p);
    return 0;
  }
  if (const std::optional<int64_t> number = ParseDecimal64(p);
      number && *number < INT64_MAX && p.find_first_of("/\\|") == std::string_view::npos) {
    result = std::to_string(*number + 1);
    return 0;
  }
  result = p;
  const size_t separator = p.find_first_of("/\\|-");
  if (separator != std::string_view::npos) {
    const std::string_view rest = p.substr(separator + 1);
    if (AllDigits(rest)) result = std::string(p.substr(0, separator + 1)) + IncrementDigits(rest);
    return 0;
  }
  const size_t firstDigit = p.find_first_of("0123456789");
  if (firstDigit == std::string_view::npos) return 0;
  size_t endDigits = p.find_first_not_of("0123456789", firstDigit);
  if (endDigits == std::string_view::npos) endDigits = p.size();
  const std::string_view prefix = p.substr(0, firstDigit);
  const std::string_view digits = p.substr(firstDigit, endDigits - firstDigit);
  const std::string_view suffix = p.substr(endDigits);
  if (suffix.find_first_of("0123456789") != std::string_view::npos) return 0;
  if (!prefix.empty() && suffix.empty()) {
    result = std::string(prefix) + IncrementDigits(digits);
  } else if (prefix.empty() && !suffix.empty()) {
    result = IncrementDigits(digits) + std::string(suffix);
  }
  return 0;
}

int32_t UfCodePage(UfCall& call, std::string& result) {
  if (call.p.size() < 2) return 0;
  const std::string_view text = call.p.substr(1);
  if (call.p[0] == '0') result = AnsiToOem(text);
  if (call.p[0] == '1') result = OemToAnsi(text);
  return 0;
}

int32_t UfUrlCoding(UfCall& call, std::string& result) {
  if (call.p.empty()) return 0;
  const std::string_view text = call.p.substr(1);
  switch (UpperAsciiChar(call.p[0])) {
    case 'E':
      result = UrlEncode(text);
      break;
    case 'D':
      result = UrlDecodeForm(text);
      break;
    case 'H':
      result = HtmlEscape(text);
      break;
    case 'T':
      // The inverse of `H`.
      result = HtmlUnescape(text);
      break;
    case '+':
      for (char c : text) {
        if (c == '+') {
          result += "%2B";
        } else {
          result += c;
        }
      }
      break;
    case 'J':
      return kServerOnly;
    default:
      break;
  }
  return 0;
}

std::string RomanFromInt(int64_t value) {
  std::string roman;
  if (value < 1 || value > kMaxRoman) return roman;
  for (const RomanDigit& digit : kRomanDigits) {
    while (value >= digit.value) {
      roman += digit.symbol;
      value -= digit.value;
    }
  }
  return roman;
}

int64_t IntFromRoman(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = UpperAsciiChar(c);
  if (upper.empty() || upper.size() > static_cast<size_t>(kMaxRoman / 1000 + 16)) return -1;
  int64_t value = 0;
  std::string_view rest = upper;
  while (!rest.empty()) {
    bool matched = false;
    for (const RomanDigit& digit : kRomanDigits) {
      if (rest.starts_with(digit.symbol)) {
        value += digit.value;
        rest.remove_prefix(digit.symbol.size());
        matched = true;
        break;
      }
    }
    if (!matched) return -1;
  }
  return RomanFromInt(value) == upper ? value : -1;
}

}  // namespace talor
