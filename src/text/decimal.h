// Decimal integers in text: one reading, strict by default, with an option
// for each leniency that a particular kind of text allows.
//
// Only the ASCII digits 0-9 are digits; the sign is one ASCII `-` (or `+`
// when allowed) right before them. Nothing is skipped or ignored unless an
// option says so.

#ifndef TALOR_TEXT_DECIMAL_H_
#define TALOR_TEXT_DECIMAL_H_

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace talor {

struct DecimalOptions {
  // Which single sign may stand before the digits.
  bool minusSign = true;
  bool plusSign = false;
  // Bytes skipped before the sign and after the digits (e.g. " " or " \t").
  std::string_view leadingBlanks = {};
  std::string_view trailingBlanks = {};
  // When true the digits may be followed by anything: the reading ends at
  // the first byte after them that is not a digit (trailingBlanks unused).
  bool prefix = false;
  // The values accepted. A number outside them is refused, or with
  // `saturate` read as the nearer bound.
  int64_t min = std::numeric_limits<int32_t>::min();
  int64_t max = std::numeric_limits<int32_t>::max();
  bool saturate = false;
};

// The 64-bit range, for options that need it.
inline constexpr int64_t kDecimal64Min = std::numeric_limits<int64_t>::min();
inline constexpr int64_t kDecimal64Max = std::numeric_limits<int64_t>::max();

// The number that `text` holds under `options`; nullopt when it holds none:
// no digit, a byte left over, or (without `saturate`) a value outside the
// range. Any number of leading zeros and of digits is read. `used`, when
// given, receives the bytes read (0 on nullopt).
std::optional<int64_t> ParseDecimal(std::string_view text, const DecimalOptions& options,
                                    size_t* used = nullptr);

// ParseDecimal as a 32-bit integer; nullopt as well when the value does not
// fit 32 bits (which the default range guarantees).
std::optional<int32_t> ParseDecimal32(std::string_view text, const DecimalOptions& options);

}  // namespace talor

#endif  // TALOR_TEXT_DECIMAL_H_
