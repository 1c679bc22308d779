#include "text/hex_coding.h"

#include <optional>

namespace talor {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr char kBadPair = '?';

std::optional<int> HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return std::nullopt;
}

}  // namespace

std::string HexEncode(std::string_view bytes) {
  std::string result;
  result.reserve(bytes.size() * 2);
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    result += kHexDigits[byte >> 4];
    result += kHexDigits[byte & 0x0F];
  }
  return result;
}

std::string HexDecode(std::string_view hexText) {
  std::string result;
  result.reserve(hexText.size() / 2);
  for (size_t i = 0; i + 1 < hexText.size(); i += 2) {
    std::optional<int> high = HexValue(hexText[i]);
    std::optional<int> low = HexValue(hexText[i + 1]);
    result += high && low ? static_cast<char>(*high * 16 + *low) : kBadPair;
  }
  return result;
}

}  // namespace talor
