#include "text/charset_escapes.h"

#include <gtest/gtest.h>

namespace talor {
namespace {

constexpr char kGreek = static_cast<char>(161);
constexpr char kRussian = static_cast<char>(204);

std::string Escape(char charset, char byte) { return std::string("&&") + charset + byte; }

TEST(DecodeCharsetEscapesTest, DecodesEscapesOfOtherCharacterSets) {
  struct Row {
    std::string input;
    std::string expected;
  } rows[] = {
      {"plain", "plain"},
      {"\xCF\xF0\xE8", "\xD0\x9F\xD1\x80\xD0\xB8"},  // ANSI "При"
      {"a" + Escape(kGreek, '\xE1') + "b",
       "a\xCE\xB1"
       "b"},  // Greek alpha
      {Escape(kGreek, '\xE1') + Escape(kGreek, '\xE2'), "\xCE\xB1\xCE\xB2"},
      {Escape(kRussian, '\xC0'), "\xD0\x90"},
      {Escape(kGreek, '\x01'), "\xE2\x98\xBA"},  // control byte: its glyph
      {Escape(kGreek, '\0'), " "},
      {"x&&", "x&&"},                                   // too short to be an escape
      {"x&&" + std::string(1, kGreek), "x&&\xD0\x8E"},  // the identifier read as ANSI
      {"", ""},
  };
  for (const Row& row : rows) {
    std::optional<std::string> decoded = DecodeCharsetEscapes(row.input);
    ASSERT_TRUE(decoded.has_value()) << row.input;
    EXPECT_EQ(row.expected, *decoded) << row.input;
  }
}

TEST(DecodeCharsetEscapesTest, UnknownCharacterSetIsAnError) {
  EXPECT_FALSE(DecodeCharsetEscapes("ab" + Escape('\x05', 'x')).has_value());
  EXPECT_FALSE(DecodeCharsetEscapes("&&&&&").has_value());  // identifier 38 is unknown
}

TEST(DecodeCharsetEscapesTest, AnIncompleteMultiByteCharacterIsReplaced) {
  // Shift-JIS lead byte alone: the escape holds only one byte of it.
  std::optional<std::string> decoded = DecodeCharsetEscapes(Escape('\x80', '\x82'));
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ("\xEF\xBF\xBD", *decoded);
}

}  // namespace
}  // namespace talor
