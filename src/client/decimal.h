// Strict reading of the decimal integers that records and answers carry.

#ifndef TALOR_CLIENT_DECIMAL_H_
#define TALOR_CLIENT_DECIMAL_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "text/decimal.h"

namespace talor {

// How numbers in records, requests and answers are read: an optional `-` or
// `+` followed by at least one digit and nothing else (no blanks), in the
// 32-bit signed range. The server reads them the same way.
inline constexpr DecimalOptions kWireNumber{.plusSign = true};

// The value of `text` read as kWireNumber; nullopt when it is not one.
std::optional<int32_t> ParseDecimal(std::string_view text);

// Like ParseDecimal, but 0 when `text` is not a decimal integer.
int32_t DecimalOrZero(std::string_view text);

}  // namespace talor

#endif  // TALOR_CLIENT_DECIMAL_H_
