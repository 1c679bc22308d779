// One table of texts that look more or less like decimal integers, with what
// every reading of numbers in the product makes of each. Each module's test
// walks the table and checks its own column, so the rows show side by side
// which leniencies each reading has (a leading '+', blanks, a tail after the
// digits, saturation) and a change to one of them shows up as a changed cell.
//
// nullopt: the text is refused.

#ifndef TALOR_TESTS_TEXT_DECIMAL_INPUTS_H_
#define TALOR_TESTS_TEXT_DECIMAL_INPUTS_H_

#include <cstdint>
#include <optional>
#include <string_view>

namespace talor::testing {

using Reading = std::optional<int64_t>;
inline constexpr Reading kNo = std::nullopt;

// A cap that saturating readings stop at; kept apart from the 32-bit limits.
inline constexpr int64_t kSaturated = 1'000'000'000;

struct DecimalInput {
  std::string_view text;
  // The client's reading of record and answer numbers (ParseDecimal).
  Reading wire;
  // The server's reading of request and stored numbers (ParseInt).
  Reading server;
  // Values of the configuration files (ParseIniInteger).
  Reading ini;
  // Numbers inside texts, 64 bits (ParseDecimal64).
  Reading text64;
  // The same as 32-bit integers (DecimalToInt; nullopt stands for its fallback).
  Reading text32;
  // The digits at the start of a format function's parameter (LeadingNumber).
  Reading leading;
  // A format function's whole parameter as a number (WholeNumber).
  Reading whole;
};

// The 20-digit number 99999999999999999999 and 30 zeros before a 5.
inline constexpr std::string_view kTooManyNines = "99999999999999999999";
inline constexpr std::string_view kLongZeros = "0000000000000000000000000000005";

// clang-format off
inline constexpr DecimalInput kDecimalInputs[] = {
//  text                    wire         server       ini          text64       text32       leading      whole
  {"",                      kNo,         kNo,         kNo,         kNo,         kNo,         kNo,         kNo},
  {"0",                     0,           0,           0,           0,           0,           0,           0},
  {"-0",                    0,           0,           0,           0,           0,           kNo,         0},
  {"5",                     5,           5,           5,           5,           5,           5,           5},
  {"+5",                    5,           5,           5,           5,           5,           kNo,         5},
  {"-5",                    -5,          -5,          -5,          -5,          -5,          kNo,         -5},
  // A plus before a minus is no number. The server used to read "+-5" as
  // -5, so that a request for record "+-5" or a field tagged "+-5" went
  // through as -5; the format engine likewise read " +-5" (its reading,
  // ReadDecimalText, is now DecimalToInt's, the text32 column). Both are
  // refused now, as every other reading refused them.
  {"+-5",                   kNo,         kNo,         kNo,         kNo,         kNo,         kNo,         kNo},
  {" +-5",                  kNo,         kNo,         kNo,         kNo,         kNo,         kNo,         kNo},
  {"-+5",                   kNo,         kNo,         kNo,         kNo,         kNo,         kNo,         kNo},
  {"--5",                   kNo,         kNo,         kNo,         kNo,         kNo,         kNo,         kNo},
  {"++5",                   kNo,         kNo,         kNo,         kNo,         kNo,         kNo,         kNo},
  {"+",                     kNo,         kNo,         kNo,         kNo,         kNo,         kNo,         kNo},
  {"-",                     kNo,         kNo,         kNo,         kNo,         kNo,         kNo,         kNo},
  {" ",                     kNo,         kNo,         kNo,         kNo,         kNo,         kNo,         kNo},
  {" 5",                    kNo,         kNo,         5,           5,           5,           kNo,         5},
  {"5 ",                    kNo,         kNo,         5,           kNo,         kNo,         5,           5},
  {"  -5  ",                kNo,         kNo,         -5,          kNo,         kNo,         kNo,         -5},
  {" +5",                   kNo,         kNo,         5,           5,           5,           kNo,         5},
  {"- 5",                   kNo,         kNo,         kNo,         kNo,         kNo,         kNo,         kNo},
  {"\t5",                   kNo,         kNo,         5,           kNo,         kNo,         kNo,         kNo},
  {"5\t",                   kNo,         kNo,         5,           kNo,         kNo,         5,           kNo},
  {"5\n",                   kNo,         kNo,         kNo,         kNo,         kNo,         5,           kNo},
  {"5x",                    kNo,         kNo,         kNo,         kNo,         kNo,         5,           kNo},
  {"1 2",                   kNo,         kNo,         kNo,         kNo,         kNo,         1,           kNo},
  {"0x10",                  kNo,         kNo,         kNo,         kNo,         kNo,         0,           kNo},
  {"1e3",                   kNo,         kNo,         kNo,         kNo,         kNo,         1,           kNo},
  {"1.0",                   kNo,         kNo,         kNo,         kNo,         kNo,         1,           kNo},
  {"007",                   7,           7,           7,           7,           7,           7,           7},
  {"-007",                  -7,          -7,          -7,          -7,          -7,          kNo,         -7},
  {kLongZeros,              5,           5,           5,           5,           5,           5,           5},
  {"2147483647",            INT32_MAX,   INT32_MAX,   INT32_MAX,   INT32_MAX,   INT32_MAX,   kSaturated,  kSaturated},
  {"2147483648",            kNo,         kNo,         kNo,         2147483648,  kNo,         kSaturated,  kSaturated},
  {"-2147483648",           INT32_MIN,   INT32_MIN,   INT32_MIN,   INT32_MIN,   INT32_MIN,   kNo,         -kSaturated},
  {"-2147483649",           kNo,         kNo,         kNo,         -2147483649, kNo,         kNo,         -kSaturated},
  {"9223372036854775807",   kNo,         kNo,         kNo,         INT64_MAX,   kNo,         kSaturated,  kSaturated},
  {"9223372036854775808",   kNo,         kNo,         kNo,         kNo,         kNo,         kSaturated,  kSaturated},
  {"-9223372036854775808",  kNo,         kNo,         kNo,         INT64_MIN,   kNo,         kNo,         -kSaturated},
  {"-9223372036854775809",  kNo,         kNo,         kNo,         kNo,         kNo,         kNo,         -kSaturated},
  {kTooManyNines,           kNo,         kNo,         kNo,         kNo,         kNo,         kSaturated,  kSaturated},
  // Digits of other scripts are not decimal digits here: fullwidth 1 2,
  // Arabic-Indic 3, and a Windows-1251 byte that is no digit either.
  {"\xEF\xBC\x91\xEF\xBC\x92", kNo,      kNo,         kNo,         kNo,         kNo,         kNo,         kNo},
  {"\xD9\xA3",              kNo,         kNo,         kNo,         kNo,         kNo,         kNo,         kNo},
  {"5\xB9",                 kNo,         kNo,         kNo,         kNo,         kNo,         5,           kNo},
  {std::string_view("5\0", 2), kNo,      kNo,         kNo,         kNo,         kNo,         5,           kNo},
};
// clang-format on

}  // namespace talor::testing

#endif  // TALOR_TESTS_TEXT_DECIMAL_INPUTS_H_
