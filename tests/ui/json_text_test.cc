#include "ui/json_text.h"

#include <gtest/gtest.h>

#include <string>

namespace talor {
namespace {

TEST(JsonTextTest, EscapesAndRepairsText) {
  EXPECT_EQ(JsonString("plain"), "\"plain\"");
  EXPECT_EQ(JsonString("a\"b\\c\n\t\x01\x7f"), "\"a\\\"b\\\\c\\n\\t\\u0001\\u007f\"");
  EXPECT_EQ(JsonString("Каталог"), "\"Каталог\"");
  // Windows-1251 bytes, a truncated sequence, an overlong form, a surrogate.
  EXPECT_EQ(JsonString("\xCA\xE0"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
  EXPECT_EQ(JsonString("a\xD0"), "\"a\xEF\xBF\xBD\"");
  EXPECT_EQ(JsonString("\xC0\xAF"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
  EXPECT_EQ(JsonString("\xED\xA0\x80"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"");
  EXPECT_EQ(JsonString("\xF0\x9F\x93\x9A"), "\"\xF0\x9F\x93\x9A\"");
}

TEST(JsonTextTest, ObjectsAndArraysJoinTheirMembers) {
  EXPECT_EQ(JsonObject().Text(), "{}");
  EXPECT_EQ(JsonObject()
                .String("kind", "file")
                .Number("id", -7)
                .Bool("silent", false)
                .Raw("items", JsonArray({"1", JsonString("x")}))
                .Text(),
            "{\"kind\":\"file\",\"id\":-7,\"silent\":false,\"items\":[1,\"x\"]}");
  EXPECT_EQ(JsonArray({}), "[]");
  // Keys are strings like any other.
  EXPECT_EQ(JsonObject().Number("a\"b", 1).Text(), "{\"a\\\"b\":1}");
}

}  // namespace
}  // namespace talor
