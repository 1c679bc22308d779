// Key 3: dates and times against an injected clock, month names and date
// arithmetic.

#include <gtest/gtest.h>

#include "uf_test_util.h"

namespace talor {
namespace {

using testing::Row;
using testing::UfEngine;

TEST(UfDatesTest, PartsOfNow) {
  UfEngine uf;  // 29 February 2024, 09:05:07
  const Row rows[] = {
      {"&uf('3')", "20240229"}, {"&uf('30')", "2024"},     {"&uf('31')", "02"},
      {"&uf('32')", "29"},      {"&uf('33')", "24"},       {"&uf('34')", "2"},
      {"&uf('35')", "29"},      {"&uf('39')", "09:05:07"}, {"&uf('3A'),'|'", "|"},
  };
  testing::ExpectRows(uf, rows);
}

TEST(UfDatesTest, SingleDigitMonthAndDayOfAnotherClock) {
  UfEngine uf;
  uf.engine.uniforState.clock = [] { return LocalTime{2031, 1, 5, 23, 59, 0}; };
  const Row rows[] = {
      {"&uf('3')", "20310105"}, {"&uf('31')", "01"}, {"&uf('34')", "1"},
      {"&uf('32')", "05"},      {"&uf('35')", "5"},  {"&uf('33')", "31"},
  };
  testing::ExpectRows(uf, rows);
}

TEST(UfDatesTest, MonthNames) {
  UfEngine uf;
  const Row rows[] = {
      {"&uf('361')", "январь"},        {"&uf('3612')", "декабрь"},
      {"&uf('360')", "unknown month"}, {"&uf('3613')", "unknown month"},
      {"&uf('36x')", "unknown month"}, {"&uf('36')", "unknown month"},
      {"&uf('375')", "мая"},           {"&uf('3703')", "марта"},
      {"&uf('389')", "september"},     {"&uf('38-1')", "unknown month"},
  };
  testing::ExpectRows(uf, rows);
}

TEST(UfDatesTest, DateArithmetic) {
  UfEngine uf;
  const Row rows[] = {
      // Leap year: 28 February plus 2 days is 1 March.
      {"&uf('3B20240228,2')", "20240301"},
      {"&uf('3B20230228,2')", "20230302"},
      {"&uf('3B20241231,1')", "20250101"},
      {"&uf('3B20240301,-1')", "20240229"},
      {"&uf('3B20240115')", "20240115"},
      // Missing day and month default to 1.
      {"&uf('3B2024    ,10')", "20240111"},
      {"&uf('3C20240301,20240228')", "2"},
      {"&uf('3C20240228,20240301')", "-2"},
      {"&uf('3C20250101,20240101')", "366"},
      // A day count that would overflow is clamped, not wrapped.
      {"&uf('3B20240101,99999999999999999999')", "&uf('3B20240101,4000000')"},
      {"&uf('3J2024060')", "20240229"},
      {"&uf('3J2023060')", "20230301"},
  };
  for (const Row& row : rows) {
    const std::string expected =
        row.expected.starts_with("&") ? uf.Out(row.expected) : row.expected;
    EXPECT_EQ(expected, uf.Out(row.format)) << row.format;
  }
}

}  // namespace
}  // namespace talor
