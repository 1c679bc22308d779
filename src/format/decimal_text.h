// Decimal integers inside format output and server answers: leading blanks
// and one sign are accepted, nothing may follow the digits.

#ifndef TALOR_FORMAT_DECIMAL_TEXT_H_
#define TALOR_FORMAT_DECIMAL_TEXT_H_

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

namespace talor {

inline std::optional<int32_t> ReadDecimalText(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int32_t value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

}  // namespace talor

#endif  // TALOR_FORMAT_DECIMAL_TEXT_H_
