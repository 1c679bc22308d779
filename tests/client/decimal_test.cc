#include "client/decimal.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "text/decimal_inputs.h"

namespace talor {
namespace {

using testing::DecimalInput;
using testing::kDecimalInputs;

TEST(DecimalTest, RecordsAndAnswersTakeOneSignAndDigitsOnly) {
  for (const DecimalInput& input : kDecimalInputs) {
    EXPECT_EQ(input.wire, ParseDecimal(input.text)) << '"' << input.text << '"';
  }
}

TEST(DecimalTest, DecimalOrZeroReadsRefusedTextsAsZero) {
  for (const DecimalInput& input : kDecimalInputs) {
    EXPECT_EQ(input.wire.value_or(0), DecimalOrZero(input.text)) << '"' << input.text << '"';
  }
}

}  // namespace
}  // namespace talor
