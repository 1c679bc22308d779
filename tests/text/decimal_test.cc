#include "text/decimal.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string_view>

namespace talor {
namespace {

constexpr int64_t kInt32Max = INT32_MAX;
constexpr int64_t kInt32Min = INT32_MIN;

struct Row {
  std::string_view text;
  std::optional<int64_t> value;
};

void ExpectReadings(const DecimalOptions& options, std::initializer_list<Row> rows) {
  for (const Row& row : rows) {
    EXPECT_EQ(row.value, ParseDecimal(row.text, options)) << '"' << row.text << '"';
  }
}

TEST(ParseDecimalTest, StrictByDefaultOneMinusAndDigitsWithin32Bits) {
  ExpectReadings({}, {{"0", 0},
                      {"-0", 0},
                      {"42", 42},
                      {"-42", -42},
                      {"007", 7},
                      {"0000000000000000000000000000000000000012", 12},
                      {"2147483647", kInt32Max},
                      {"-2147483648", kInt32Min},
                      {"2147483648", std::nullopt},
                      {"-2147483649", std::nullopt},
                      {"99999999999999999999999999999999", std::nullopt},
                      {"-99999999999999999999999999999999", std::nullopt},
                      {"", std::nullopt},
                      {"-", std::nullopt},
                      {"+5", std::nullopt},
                      {"--5", std::nullopt},
                      {" 5", std::nullopt},
                      {"5 ", std::nullopt},
                      {"5x", std::nullopt},
                      {"0x10", std::nullopt},
                      {"\xEF\xBC\x95", std::nullopt}});  // a fullwidth 5
}

TEST(ParseDecimalTest, SignOptions) {
  ExpectReadings({.plusSign = true}, {{"+5", 5},
                                      {"-5", -5},
                                      {"+-5", std::nullopt},
                                      {"-+5", std::nullopt},
                                      {"++5", std::nullopt},
                                      {"+", std::nullopt}});
  ExpectReadings({.minusSign = false}, {{"5", 5}, {"-5", std::nullopt}, {"-0", std::nullopt}});
}

TEST(ParseDecimalTest, BlanksAreSkippedOnlyWhereAndAsAllowed) {
  ExpectReadings({.leadingBlanks = " "}, {{"  5", 5},
                                          {" -5", -5},
                                          {"- 5", std::nullopt},
                                          {"\t5", std::nullopt},
                                          {"5 ", std::nullopt},
                                          {"   ", std::nullopt}});
  ExpectReadings({.leadingBlanks = " \t", .trailingBlanks = " \t"},
                 {{"\t 5 \t", 5}, {" -5\t", -5}, {"1 2", std::nullopt}, {" \t", std::nullopt}});
}

TEST(ParseDecimalTest, PrefixReadingStopsAfterTheDigitsAndTellsWhere) {
  const DecimalOptions options{.prefix = true};
  struct PrefixRow {
    std::string_view text;
    std::optional<int64_t> value;
    size_t used;
  };
  const PrefixRow rows[] = {{"12ab", 12, 2},      {"-3-4", -3, 2},         {"7", 7, 1},
                            {"0x10", 0, 1},       {"x5", std::nullopt, 0}, {"-x", std::nullopt, 0},
                            {"", std::nullopt, 0}};
  for (const PrefixRow& row : rows) {
    size_t used = 99;
    EXPECT_EQ(row.value, ParseDecimal(row.text, options, &used)) << row.text;
    EXPECT_EQ(row.used, used) << row.text;
  }
}

TEST(ParseDecimalTest, UsedCountsBlanksReadAndIsZeroOnRefusal) {
  size_t used = 99;
  EXPECT_EQ(5, ParseDecimal(" 5 ", {.leadingBlanks = " ", .trailingBlanks = " "}, &used));
  EXPECT_EQ(3u, used);
  EXPECT_FALSE(ParseDecimal("2147483648", {}, &used));
  EXPECT_EQ(0u, used);
}

TEST(ParseDecimalTest, RangeRefusesOrSaturates) {
  ExpectReadings({.min = 0, .max = 100},
                 {{"100", 100}, {"101", std::nullopt}, {"-1", std::nullopt}});
  ExpectReadings({.min = -10, .max = 10, .saturate = true}, {{"11", 10},
                                                             {"-11", -10},
                                                             {"99999999999999999999999", 10},
                                                             {"-99999999999999999999999", -10},
                                                             {"5", 5},
                                                             {"x", std::nullopt}});
}

TEST(ParseDecimalTest, The64BitRangeToItsLastValue) {
  const DecimalOptions options{.min = kDecimal64Min, .max = kDecimal64Max};
  ExpectReadings(options, {{"9223372036854775807", kDecimal64Max},
                           {"-9223372036854775808", kDecimal64Min},
                           {"9223372036854775808", std::nullopt},
                           {"-9223372036854775809", std::nullopt},
                           {"18446744073709551616", std::nullopt},
                           {"184467440737095516150", std::nullopt}});
  DecimalOptions saturating = options;
  saturating.saturate = true;
  ExpectReadings(saturating,
                 {{"9223372036854775808", kDecimal64Max}, {"-9223372036854775809", kDecimal64Min}});
}

TEST(ParseDecimalTest, ThirtyTwoBitsRefusesWhatDoesNotFitWhateverTheRange) {
  EXPECT_EQ(-7, ParseDecimal32("-7", {}));
  EXPECT_EQ(std::nullopt, ParseDecimal32("2147483648", {.max = kDecimal64Max}));
  EXPECT_EQ(std::nullopt, ParseDecimal32("-2147483649", {.min = kDecimal64Min}));
  EXPECT_EQ(INT32_MAX, ParseDecimal32("9999999999", {.saturate = true}));
}

}  // namespace
}  // namespace talor
