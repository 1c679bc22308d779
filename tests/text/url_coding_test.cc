#include "text/url_coding.h"

#include <gtest/gtest.h>

namespace talor {
namespace {

struct CodingRow {
  const char* input;
  const char* expected;
};

TEST(UrlEncodeTest, EncodesEverythingButLettersAndDigits) {
  const CodingRow rows[] = {
      {"", ""},
      {"AbZz09", "AbZz09"},
      {"a b", "a%20b"},
      {"-", "%2D"},
      {"_.~", "%5F%2E%7E"},
      {"\xC0\xFF", "%C0%FF"},  // Cyrillic А and я in code page 1251
      {"%", "%25"},
  };
  for (const CodingRow& row : rows) EXPECT_EQ(row.expected, UrlEncode(row.input)) << row.input;
  EXPECT_EQ("%00", UrlEncode(std::string_view("\0", 1)));
}

TEST(UrlDecodeFormTest, DecodesPairsOneALine) {
  const CodingRow rows[] = {
      {"a=1&b=2", "a=1\r\nb=2"},
      {"name=two+words", "name=two words"},
      {"x=%2B", "x=+"},
      {"x=%2b", "x=%2b"},           // lower-case digits are not an escape
      {"x=%G1", "x=%G1"},           // neither is a non-digit
      {"x=100%", "x=100%"},         // a `%` at the very end
      {"x=%4", "x=%4"},             // one character after the `%`
      {"x=a%26b&y", "x=a&b\r\ny"},  // an encoded ampersand stays in its value
      {"%D0%9F", "\xD0\x9F"},
      {"%%41", "%%41"},  // the second `%` is consumed as part of a bad escape
      {"", ""},
  };
  for (const CodingRow& row : rows) EXPECT_EQ(row.expected, UrlDecodeForm(row.input)) << row.input;
}

TEST(UrlCodingTest, DecodingUndoesEncodingOfEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(all, UrlDecodeForm(UrlEncode(all)));
}

}  // namespace
}  // namespace talor
