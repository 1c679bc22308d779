// Strict reading of the decimal integers that records and answers carry.

#ifndef TALOR_CLIENT_DECIMAL_H_
#define TALOR_CLIENT_DECIMAL_H_

#include <cstdint>
#include <optional>
#include <string_view>

namespace talor {

// The value of `text` when it is a decimal integer in the 32-bit signed range:
// an optional `-` or `+` followed by at least one digit and nothing else (no
// blanks). nullopt otherwise.
std::optional<int32_t> ParseDecimal(std::string_view text);

// Like ParseDecimal, but 0 when `text` is not a decimal integer.
int32_t DecimalOrZero(std::string_view text);

}  // namespace talor

#endif  // TALOR_CLIENT_DECIMAL_H_
