#include "client/decimal.h"

#include <limits>

namespace talor {

std::optional<int32_t> ParseDecimal(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  // Accumulated as a negative number so that the minimum fits as well.
  constexpr int64_t kLimit = -static_cast<int64_t>(std::numeric_limits<int32_t>::min());
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > kLimit) return std::nullopt;
  }
  if (negative) return static_cast<int32_t>(-value);
  if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int32_t>(value);
}

int32_t DecimalOrZero(std::string_view text) { return ParseDecimal(text).value_or(0); }

}  // namespace talor
