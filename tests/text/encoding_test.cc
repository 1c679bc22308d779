#include "text/encoding.h"

#include <gtest/gtest.h>

#include "text/string_list.h"

namespace talor {
namespace {

// "Привет" in Windows-1251, CP866 and UTF-8.
constexpr char kAnsiPrivet[] = "\xCF\xF0\xE8\xE2\xE5\xF2";
constexpr char kOemPrivet[] = "\x8F\xE0\xA8\xA2\xA5\xE2";
constexpr char kUtf8Privet[] = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";

TEST(EncodingTest, CodePagesRoundTripThroughUtf8) {
  EXPECT_EQ(kUtf8Privet, AnsiToUtf8(kAnsiPrivet));
  EXPECT_EQ(kAnsiPrivet, Utf8ToAnsi(kUtf8Privet));
  EXPECT_EQ(kUtf8Privet, OemToUtf8(kOemPrivet));
  EXPECT_EQ(kOemPrivet, Utf8ToOem(kUtf8Privet));
  EXPECT_EQ(kAnsiPrivet, OemToAnsi(kOemPrivet));
  EXPECT_EQ(kOemPrivet, AnsiToOem(kAnsiPrivet));
  // Every byte of the ANSI page survives a round trip, the unassigned 0x98
  // included (it decodes to the control character U+0098, as on Windows).
  for (int b = 1; b < 256; ++b) {
    std::string byte(1, static_cast<char>(b));
    EXPECT_EQ(byte, Utf8ToAnsi(AnsiToUtf8(byte))) << b;
  }
}

TEST(EncodingTest, MissingCharactersBecomeTheDefaultCharacter) {
  EXPECT_EQ("a?b", Utf8ToAnsi("a\xE4\xB8\xAD"
                              "b"));                          // a CJK character
  EXPECT_EQ("?", Utf8ToAnsi("\xF0\x9F\x98\x80"));             // outside the BMP
  EXPECT_EQ("\xEF\xBF\xBD", WideToUtf8(Utf8ToWide("\xFF")));  // bad UTF-8
}

TEST(EncodingTest, UnicodeCaseMapping) {
  EXPECT_EQ("\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2", Utf8UpperCase(kUtf8Privet));
  EXPECT_EQ("ABC \xD0\x81", Utf8UpperCase("abc \xD1\x91"));  // ё -> Ё
  EXPECT_EQ("abc \xD1\x91", Utf8LowerCase("ABC \xD0\x81"));
  EXPECT_EQ("STRASSE", Utf8UpperCase("stra\xC3\x9F"
                                     "e"));  // full mapping grows
}

TEST(EncodingTest, AnsiCaseRules) {
  EXPECT_EQ("\xCF\xD0\xC8\xC2\xC5\xD2", AnsiUpperCase(kAnsiPrivet));
  EXPECT_EQ('\xA8', AnsiUpperChar('\xB8'));  // ё
  EXPECT_EQ('\xB8', AnsiLowerChar('\xA8'));
  EXPECT_EQ('Z', AnsiUpperChar('z'));
  EXPECT_EQ('1', AnsiUpperChar('1'));
  EXPECT_EQ('^', AnsiLowerChar('^'));
}

TEST(EncodingTest, CharsetsAndCodePages) {
  EXPECT_EQ(1253, CodePageOfCharset(161));
  EXPECT_EQ(1251, CodePageOfCharset(204));
  EXPECT_FALSE(CodePageOfCharset(5).has_value());
  auto greek = CodePageToWide(1253, "\xE1");  // alpha
  ASSERT_TRUE(greek.has_value());
  EXPECT_EQ(u"\u03B1", *greek);
  EXPECT_FALSE(CodePageToWide(12345, "x").has_value());
}

TEST(StringListTest, SplitsOnEveryLineEnd) {
  StringList list;
  list.SetText("a\r\nb\nc\rd\r\n\r\ne");
  ASSERT_EQ(6u, list.size());
  EXPECT_EQ("d", list[3].text);
  EXPECT_EQ("", list[4].text);
  EXPECT_EQ("a\r\nb\r\nc\r\nd\r\n\r\ne\r\n", list.Text());
  list.SetText("");
  EXPECT_TRUE(list.empty());
  list.SetText("x\n");
  EXPECT_EQ(1u, list.size());
}

TEST(StringListTest, InsertAndDeleteClampTheirIndex) {
  StringList list{{"a", 1}, {"b", 2}};
  list.Insert(99, "c", 3);
  list.Insert(0, "z", 0);
  list.Delete(99);
  EXPECT_EQ("z,a,b,c", list.Join(","));
  list.Delete(1);
  EXPECT_EQ(2, list[1].object);
}

}  // namespace
}  // namespace talor
