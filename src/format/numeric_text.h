// Numbers as the format language reads them out of text and prints them
// (the functions RSUM, RMIN, RMAX, RAVR, VAL and F).

#ifndef TALOR_FORMAT_NUMERIC_TEXT_H_
#define TALOR_FORMAT_NUMERIC_TEXT_H_

#include <string>
#include <string_view>

namespace talor {

struct NumberScan {
  int count = 0;  // numbers found
  long double first = 0;
  long double sum = 0;
  long double min = 0;
  long double max = 0;
};

// Finds the numbers in `text`: from each `+`, `-` or digit, an optional sign,
// digits and points, then optionally `E`/`e`, a sign and digits (at most 256
// characters of it count). A sign without a digit after it is no number;
// text that does not convert (such as "1.2.3" past its first point) yields
// what converts of it, or 0. `firstOnly` stops after the first number.
NumberScan ScanNumbers(std::string_view text, bool firstOnly);

// The text F prints for `x` with `arguments` (1 to 3) arguments; `width` and
// `decimals` are the second and third. Empty for exactly 0.
//   1 argument   exponent notation with 15 significant digits ("1.5E+00"
//                style: mantissa, `E`, sign, at least two exponent digits);
//   2 arguments  exponent notation with as many digits as fit in `width`
//                (at least one after the point), right-aligned in it;
//   3, decimals  fixed notation with that many decimals, right-aligned;
//   3, 0         the nearest integer (halves to even), right-aligned, or
//                `width` asterisks when |x - 1| is 2147483647 or more.
// Widths are capped at kMaxFWidth and decimals at kMaxFDecimals.
inline constexpr int kMaxFWidth = 32000;
inline constexpr int kMaxFDecimals = 60;
std::string FormatFNumber(long double x, int arguments, long double width, long double decimals);

}  // namespace talor

#endif  // TALOR_FORMAT_NUMERIC_TEXT_H_
