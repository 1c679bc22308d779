// Check digits of the EAN, UPC and MSI families.

#ifndef TALOR_BARCODE_CHECK_DIGIT_H_
#define TALOR_BARCODE_CHECK_DIGIT_H_

#include <string>
#include <string_view>

#include "barcode/barcode_types.h"

namespace talor {

// The EAN/UPC modulo-10 check digit of the digits of `data`: weights 3 and 1
// alternately, starting with 3 at the rightmost digit; the result is 10 minus
// the sum modulo 10, or 0 when that is 10. Characters other than 0-9 are
// skipped and take no weight.
int CheckDigitModulo10(std::string_view data);

// `data` followed by its check digit for csmModulo10; `data` unchanged for
// csmNone.
std::string DoCheckSumming(std::string_view data, TCheckSumMethod method);

// The MSI (Luhn) check digit of a string of digits: counting from the right,
// every first, third, ... digit is doubled and the digits of the products are
// summed with the others; the result is 10 minus the sum modulo 10, or 0.
// REQUIRES: `digits` holds only 0-9.
int CheckDigitMsi(std::string_view digits);

// The UPC-A number (number system digit and 10 digits) of a zero-suppressed
// UPC-E number of six digits in `digits` with `numberSystem` 0 or 1.
// REQUIRES: `digits` holds exactly six characters 0-9.
std::string ExpandUpcE(std::string_view digits, int numberSystem);

}  // namespace talor

#endif  // TALOR_BARCODE_CHECK_DIGIT_H_
