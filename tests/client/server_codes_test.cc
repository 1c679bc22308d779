#include "client/server_codes.h"

#include <gtest/gtest.h>

namespace talor {
namespace {

TEST(ServerCodesTest, NegativeFirstLinesAreDescribed) {
  EXPECT_EQ(DescribeServerCode(-1000), "такой базы данных нет (код -1000)");
  EXPECT_EQ(DescribeServerCode(-4242), "код -4242");
  EXPECT_EQ(AnswerErrorCode(StringList{{"-300", 0}}), -300);
  EXPECT_FALSE(AnswerErrorCode(StringList{{"0", 0}, {"5", 0}}).has_value());
  EXPECT_FALSE(AnswerErrorCode(StringList{{"x", 0}}).has_value());
  EXPECT_FALSE(AnswerErrorCode(StringList{}).has_value());
}

}  // namespace
}  // namespace talor
