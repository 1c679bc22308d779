#include "text/url_coding.h"

#include <optional>

namespace talor {
namespace {

constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

bool StaysUnencoded(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// Only upper-case digits count: a lower-case escape is not one of ours.
std::optional<int> UpperHexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

}  // namespace

std::string UrlEncode(std::string_view text) {
  std::string result;
  result.reserve(text.size() * 3);
  for (char c : text) {
    if (StaysUnencoded(c)) {
      result += c;
      continue;
    }
    auto byte = static_cast<unsigned char>(c);
    result += '%';
    result += kUpperHexDigits[byte >> 4];
    result += kUpperHexDigits[byte & 0x0F];
  }
  return result;
}

std::string UrlDecodeForm(std::string_view formData) {
  std::string result;
  result.reserve(formData.size() + formData.size() / 8);
  size_t i = 0;
  while (i < formData.size()) {
    char c = formData[i];
    if (c == '%') {
      // A `%` near the end is copied together with what follows it.
      if (i + 2 >= formData.size()) {
        result.append(formData.substr(i));
        break;
      }
      std::optional<int> high = UpperHexValue(formData[i + 1]);
      std::optional<int> low = UpperHexValue(formData[i + 2]);
      if (high && low) {
        result += static_cast<char>(*high * 16 + *low);
      } else {
        result.append(formData.substr(i, 3));
      }
      i += 3;
      continue;
    }
    if (c == '&') {
      result += "\r\n";
    } else if (c == '+') {
      result += ' ';
    } else {
      result += c;
    }
    ++i;
  }
  return result;
}

}  // namespace talor
