#include "client/decimal.h"

namespace talor {

std::optional<int32_t> ParseDecimal(std::string_view text) {
  return ParseDecimal32(text, kWireNumber);
}

int32_t DecimalOrZero(std::string_view text) { return ParseDecimal(text).value_or(0); }

}  // namespace talor
