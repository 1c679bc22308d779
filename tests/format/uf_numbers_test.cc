// The numbers in the parameters of built-in functions: the digits at the
// start of a parameter and a whole parameter as a number.

#include <gtest/gtest.h>

#include "format/uf_library.h"
#include "text/decimal_inputs.h"

namespace talor {
namespace {

using testing::DecimalInput;
using testing::kDecimalInputs;

TEST(FormatNumbersTest, ParametersReadTheirLeadingDigitsOrTheWholeText) {
  static_assert(testing::kSaturated == kMaxParsedNumber);
  for (const DecimalInput& input : kDecimalInputs) {
    EXPECT_EQ(input.leading, LeadingNumber(input.text)) << '"' << input.text << '"';
    EXPECT_EQ(input.whole, WholeNumber(input.text)) << '"' << input.text << '"';
  }
}

TEST(FormatNumbersTest, LeadingNumberTellsHowManyBytesItRead) {
  struct Row {
    std::string_view text;
    size_t used;
  };
  const Row rows[] = {{"", 0},
                      {"x5", 0},
                      {"5", 1},
                      {"12ab", 2},
                      {"007-", 3},
                      {"-5", 0},
                      {"99999999999999999999x", 20}};
  for (const Row& row : rows) {
    size_t used = 99;
    LeadingNumber(row.text, &used);
    EXPECT_EQ(row.used, used) << row.text;
  }
}

}  // namespace
}  // namespace talor
