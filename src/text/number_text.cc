#include "text/number_text.h"

#include <charconv>

namespace talor {

std::optional<int64_t> ParseDecimal64(std::string_view text) {
  size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return std::nullopt;
  text.remove_prefix(start);
  bool negative = text.front() == '-';
  if (text.front() == '+' || negative) text.remove_prefix(1);
  if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  uint64_t magnitude = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  constexpr uint64_t kMaxPositive = static_cast<uint64_t>(INT64_MAX);
  if (magnitude > kMaxPositive + (negative ? 1 : 0)) return std::nullopt;
  if (!negative) return static_cast<int64_t>(magnitude);
  return magnitude == kMaxPositive + 1 ? INT64_MIN : -static_cast<int64_t>(magnitude);
}

int32_t DecimalToInt(std::string_view text, int32_t fallback) {
  std::optional<int64_t> value = ParseDecimal64(text);
  if (!value || *value < INT32_MIN || *value > INT32_MAX) return fallback;
  return static_cast<int32_t>(*value);
}

int32_t DigitsToInt(std::string_view buffer, int n) {
  if (n <= 0) return 0;
  return DecimalToInt(buffer.substr(0, static_cast<size_t>(n)));
}

int32_t HashPartToInt(std::string_view line, int n) {
  for (int i = 0; i < n; ++i) {
    size_t hash = line.find('#');
    if (hash == std::string_view::npos) break;
    line.remove_prefix(hash + 1);
  }
  int64_t value = ParseDecimal64(line.substr(0, line.find('#'))).value_or(0);
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

}  // namespace talor
