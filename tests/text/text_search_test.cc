#include "text/text_search.h"

#include <gtest/gtest.h>

namespace talor {
namespace {

TEST(MaskMatchTest, IsAPrefixPattern) {
  struct Row {
    const char* mask;
    const char* text;
    bool expected;
  } rows[] = {
      {"", "", true},        {"", "anything", true}, {"?", "", false},    {"?", "x", true},
      {"ab", "abc", true},   {"ab", "a", false},     {"ab", "Ab", false}, {"a?c", "abc", true},
      {"a?c", "abd", false}, {"a*zzz", "ab", true},  {"*", "", true},     {"abc*", "ab", false},
      {"a*b", "a", true},    {"??", "x", false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.expected, MaskMatch(row.mask, row.text)) << row.mask << " / " << row.text;
  }
}

TEST(PosFromTest, SearchesFromAOneBasedStart) {
  struct Row {
    const char* sub;
    const char* text;
    int start;
    int expected;
  } rows[] = {
      {"b", "abcabc", 1, 2}, {"b", "abcabc", 2, 2}, {"b", "abcabc", 3, 5}, {"b", "abcabc", 6, 0},
      {"c", "abcabc", 6, 6}, {"c", "abcabc", 7, 0}, {"a", "abc", 0, 0},    {"a", "abc", -5, 0},
      {"", "abc", 1, 0},     {"x", "", 1, 0},       {"abcd", "abc", 1, 0},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.expected, PosFrom(row.sub, row.text, row.start))
        << row.sub << " in " << row.text << " from " << row.start;
  }
}

TEST(PosOutsideLiteralsTest, SkipsQuotedText) {
  struct Row {
    const char* token;
    const char* text;
    int expected;
  } rows[] = {
      {"/*", "v200 /* note", 6}, {"/*", "'/*' /* note", 6}, {"/*", "\"/*\"/*", 5},
      {"/*", "|/*|x/*", 6},      {"/*", "'a\"b' /*", 7},  // another quote inside a literal is text
      {"/*", "'unclosed /*", 0}, {"/*", "no comment", 0},   {"/*", "", 0},
      {"", "text", 0},           {"v", "V v", 3},  // case-sensitive
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.expected, PosOutsideLiterals(row.token, row.text)) << row.text;
  }
}

TEST(FromFirstDigitTest, CutsBeforeTheFirstDigit) {
  EXPECT_EQ("12a3", FromFirstDigit("No12a3"));
  EXPECT_EQ("0", FromFirstDigit("x0"));
  EXPECT_EQ("", FromFirstDigit("none"));
  EXPECT_EQ("", FromFirstDigit(""));
}

}  // namespace
}  // namespace talor
