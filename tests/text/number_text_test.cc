#include "text/number_text.h"

#include <gtest/gtest.h>

#include "text/decimal_inputs.h"

namespace talor {
namespace {

TEST(DigitsToIntTest, ReadsTheFirstBytesAsADecimalNumber) {
  struct Row {
    const char* buffer;
    int n;
    int32_t expected;
  } rows[] = {
      {"00123abc", 5, 123},
      {"00123abc", 6, 0},
      {" 42", 3, 42},
      {"-7xx", 2, -7},
      {"+7", 2, 7},
      {"12", 10, 12},
      {"", 3, 0},
      {"5", 0, 0},
      {"5", -1, 0},
      {"42 ", 3, 0},
      {"-", 1, 0},
      {"2147483647", 10, 2147483647},
      {"2147483648", 10, 0},
      {"-2147483648", 11, INT32_MIN},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.expected, DigitsToInt(row.buffer, row.n)) << row.buffer << " " << row.n;
  }
}

TEST(HashPartToIntTest, PicksAPartOfAHashLine) {
  struct Row {
    const char* line;
    int n;
    int32_t expected;
  } rows[] = {
      {"10#20#30", 0, 10},    {"10#20#30", 1, 20},
      {"10#20#30", 2, 30},    {"10#20#30", 7, 30},  // fewer parts: the last part
      {"10#x#30", 1, 0},      {"10##30", 1, 0},
      {"10", 3, 10},          {"", 0, 0},
      {"0#4294967297", 1, 1},  // the low 32 bits of a 64-bit number
      {"0#-1", 1, -1},        {"0#99999999999999999999", 1, 0},  // beyond 64 bits
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.expected, HashPartToInt(row.line, row.n)) << row.line << " " << row.n;
  }
}

TEST(ParseDecimal64Test, ReadsTheSharedTableOfNumbers) {
  constexpr int32_t kFallback = -77;
  for (const testing::DecimalInput& input : testing::kDecimalInputs) {
    EXPECT_EQ(input.text64, ParseDecimal64(input.text)) << '"' << input.text << '"';
    EXPECT_EQ(input.text32.value_or(kFallback), DecimalToInt(input.text, kFallback))
        << '"' << input.text << '"';
  }
}

TEST(ParseDecimal64Test, AcceptsOnlyWholeNumbers) {
  EXPECT_EQ(INT64_MIN, ParseDecimal64("-9223372036854775808"));
  EXPECT_EQ(INT64_MAX, ParseDecimal64("9223372036854775807"));
  EXPECT_FALSE(ParseDecimal64("9223372036854775808"));
  EXPECT_FALSE(ParseDecimal64("--1"));
  EXPECT_FALSE(ParseDecimal64("- 1"));
  EXPECT_FALSE(ParseDecimal64("   "));
  EXPECT_FALSE(ParseDecimal64("0x10"));
  EXPECT_EQ(-3, DecimalToInt("x", -3));
}

}  // namespace
}  // namespace talor
