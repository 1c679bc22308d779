#include "text/number_text.h"

namespace talor {

std::optional<int64_t> ParseDecimal64(std::string_view text) {
  DecimalOptions options = kTextNumber;
  options.min = kDecimal64Min;
  options.max = kDecimal64Max;
  return ParseDecimal(text, options);
}

int32_t DecimalToInt(std::string_view text, int32_t fallback) {
  return ParseDecimal32(text, kTextNumber).value_or(fallback);
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
