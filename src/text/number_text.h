// Decimal numbers inside texts: exchange-file header fields and the
// `#`-separated lines of server answers.

#ifndef TALOR_TEXT_NUMBER_TEXT_H_
#define TALOR_TEXT_NUMBER_TEXT_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "text/decimal.h"

namespace talor {

// How numbers inside texts are read: leading spaces and one sign (`+` or
// `-`) are accepted, anything after the digits is not.
inline constexpr DecimalOptions kTextNumber{.plusSign = true, .leadingBlanks = " "};

// The whole text read as kTextNumber within 64 bits; nullopt when the text
// is not such a number or does not fit.
std::optional<int64_t> ParseDecimal64(std::string_view text);

// The text read as kTextNumber within 32 bits; `fallback` when it is not a
// number or does not fit.
int32_t DecimalToInt(std::string_view text, int32_t fallback = 0);

// The first `n` bytes of `buffer` (all of it when shorter) read as a 32-bit
// decimal integer; 0 when they are not one or `n` is not positive.
int32_t DigitsToInt(std::string_view buffer, int n);

// Part number `n` (0-based) of a `#`-separated line read as a 64-bit decimal
// integer (0 when it is not one), of which the low 32 bits are returned. A
// line with fewer parts yields its last part.
int32_t HashPartToInt(std::string_view line, int n);

}  // namespace talor

#endif  // TALOR_TEXT_NUMBER_TEXT_H_
