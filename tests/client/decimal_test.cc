#include "client/decimal.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

namespace talor {
namespace {

TEST(DecimalTest, StrictDecimalIntegers) {
  struct Row {
    const char* text;
    std::optional<int32_t> value;
  };
  const Row rows[] = {
      {"0", 0},
      {"-0", 0},
      {"+7", 7},
      {"0012", 12},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"", std::nullopt},
      {"-", std::nullopt},
      {" 1", std::nullopt},
      {"1 ", std::nullopt},
      {"1a", std::nullopt},
      {"0x10", std::nullopt},
  };
  for (const Row& row : rows) EXPECT_EQ(row.value, ParseDecimal(row.text)) << row.text;
}

}  // namespace
}  // namespace talor
