#include "format/numeric_text.h"

#include <gtest/gtest.h>

#include <string>

namespace talor {
namespace {

TEST(ScanNumbersTest, FindsSignedAndExponentNumbers) {
  struct Row {
    std::string text;
    int count;
    long double sum;
  } rows[] = {
      {"", 0, 0},         {"no digits", 0, 0}, {"1 2 3", 3, 6},     {"-1+2", 2, 1},
      {"a - 5", 1, 5},    {"x-", 0, 0},        {"1.5e2", 1, 150},   {"1e", 1, 1},
      {"2E-1x", 1, 0.2L}, {"1.2.3", 1, 1.2L},  {"v1.0;v2.0", 2, 3},
  };
  for (const Row& row : rows) {
    const NumberScan scan = ScanNumbers(row.text, false);
    EXPECT_EQ(row.count, scan.count) << row.text;
    EXPECT_NEAR(static_cast<double>(row.sum), static_cast<double>(scan.sum), 1e-9) << row.text;
  }
  EXPECT_EQ(1, ScanNumbers("4 5 6", true).count);
  EXPECT_EQ(4, static_cast<int>(ScanNumbers("4 5 6", true).first));
}

TEST(ScanNumbersTest, VeryLongNumbersAreCut) {
  const std::string digits(1000, '9');
  const NumberScan scan = ScanNumbers(digits, false);
  EXPECT_EQ(1, scan.count);
  EXPECT_GT(scan.sum, 1e255L);
}

TEST(ScanNumbersTest, LongNumbersCountTheirFirst256Characters) {
  EXPECT_EQ(1.5L, ScanNumbers("x 0000000000000000000000000000001.5 y", true).first);
  EXPECT_EQ(-2.0L, ScanNumbers("-000000000000000000000002", true).first);
  // 256 characters "1000...0" and a digit beyond them that does not count.
  const std::string cut = "1" + std::string(255, '0') + "7 3";
  const NumberScan scan = ScanNumbers(cut, false);
  EXPECT_EQ(2, scan.count);
  EXPECT_NEAR(1.0, static_cast<double>(scan.first / 1e255L), 1e-12);
  EXPECT_EQ(3.0L, scan.min);
}

TEST(FormatFNumberTest, WidthsAndRounding) {
  struct Row {
    long double x;
    int arguments;
    long double width;
    long double decimals;
    std::string text;
  } rows[] = {
      {0, 3, 5, 2, ""},
      {1.25L, 3, 6, 1, "   1.2"},
      {-0.5L, 3, 1, 0, "-0"},
      {4.5L, 3, 1, 0, "4"},
      {5.5L, 3, 1, 0, "6"},
      {2147483647.0L, 3, 3, 0, "2147483647"},
      {2147483648.0L, 3, 3, 0, "***"},
      {-2147483647.0L, 3, 2, 0, "**"},
      {12.0L, 3, -4, 0, "12"},
      {1e10L, 2, 12, 0, " 1.00000E+10"},
      {3.0L, 2, 1, 0, "3.0E+00"},
      {3.0L, 1, 0, 0, "3.00000000000000E+00"},
      {1.0L, 3, 1e12L, 0, std::string(kMaxFWidth - 1, ' ') + "1"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.text, FormatFNumber(row.x, row.arguments, row.width, row.decimals))
        << static_cast<double>(row.x) << " " << row.arguments;
  }
}

}  // namespace
}  // namespace talor
