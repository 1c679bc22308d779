#include "text/utf8_text.h"

#include <gtest/gtest.h>

namespace talor {
namespace {

TEST(Utf8TextTest, PrefixCountsCharactersNotBytes) {
  EXPECT_EQ("Война", Utf8Prefix("Война и мир", 5));
  EXPECT_EQ("Война и мир", Utf8Prefix("Война и мир", 11));
  EXPECT_EQ("Война и мир", Utf8Prefix("Война и мир", 80));
  EXPECT_EQ("", Utf8Prefix("Война", 0));
  EXPECT_EQ("Война", Utf8Prefix("Война", -1));
  // A four-byte character is one character and is never split.
  EXPECT_EQ("a\xF0\x9F\x93\x9A", Utf8Prefix("a\xF0\x9F\x93\x9A"
                                            "b",
                                            2));
}

TEST(Utf8TextTest, LengthCountsCharactersAndStrayBytesOnce) {
  EXPECT_EQ(Utf8Length("Война и мир"), 11u);
  EXPECT_EQ(Utf8Length("a\xF0\x9F\x93\x9A"
                       "b"),
            3u);
  EXPECT_EQ(Utf8Length("\x80\x80"), 0u);
  EXPECT_EQ(Utf8Length("\xFF"), 1u);
}

}  // namespace
}  // namespace talor
