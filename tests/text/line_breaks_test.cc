#include "text/line_breaks.h"

#include <gtest/gtest.h>

namespace talor {
namespace {

TEST(LineBreaksTest, EncodeAndDecodeAreInverse) {
  std::string text = "a\r\nb\nc\r";
  EncodeLineBreaks(text);
  EXPECT_EQ(
      "a\x1F\x1E"
      "b\x1E"
      "c\x1F",
      text);
  DecodeLineBreaks(text);
  EXPECT_EQ("a\r\nb\nc\r", text);
}

}  // namespace
}  // namespace talor
