#include "shell/ini_value.h"

#include <gtest/gtest.h>

#include "text/decimal_inputs.h"

namespace talor {
namespace {

TEST(IniValueTest, IntegersAreDecimalWithinThe32BitRange) {
  struct Row {
    const char* text;
    std::optional<int32_t> expected;
  };
  const Row rows[] = {
      {"6666", 6666},
      {" 42\t", 42},
      {"-7", -7},
      {"+7", 7},
      {"007", 7},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"2147483648", std::nullopt},  // one past the range
      {"99999999999999999999", std::nullopt},
      {"", std::nullopt},
      {"  ", std::nullopt},
      {"-", std::nullopt},
      {"+", std::nullopt},
      {"+-5", std::nullopt},
      {"--5", std::nullopt},
      {"12a", std::nullopt},
      {"1 2", std::nullopt},
      {"0x10", std::nullopt},  // decimal only
      {"$10", std::nullopt},
      {"1.5", std::nullopt},
      {"true", std::nullopt},
  };
  for (const Row& row : rows) EXPECT_EQ(row.expected, ParseIniInteger(row.text)) << row.text;
}

TEST(IniValueTest, IntegersOfTheSharedTableOfNumbers) {
  for (const testing::DecimalInput& input : testing::kDecimalInputs) {
    EXPECT_EQ(input.ini, ParseIniInteger(input.text)) << '"' << input.text << '"';
  }
}

TEST(IniValueTest, ValuesRoundTripThroughTheirWrittenForm) {
  const std::string values[] = {
      "",
      "plain",
      "c:\\talorwrk\\",
      " leading blank",
      "trailing tab\t",
      "\"quoted\"",
      "\"",
      "\"\"",
      "a\"b",
      "50% off",
      "line one\r\nline two",
      "lone\rcr and lone\nlf",
      std::string("nul\0byte", 8),
      "%0D%0A stays as written",
      "\"%25\"",
      "\xCF\xF0\xE8\xE2\xE5\xF2",  // ANSI bytes pass untouched
  };
  for (const std::string& value : values) {
    std::string written = EncodeIniValue(value);
    EXPECT_EQ(std::string::npos, written.find_first_of("\r\n")) << value;
    EXPECT_EQ(value, DecodeIniValue(written)) << written;
    // A reader trims blanks around the value; the written form survives it.
    EXPECT_EQ(value, DecodeIniValue("  " + written + " ")) << written;
  }
}

TEST(IniValueTest, PlainValuesAreWrittenAsTheyAre) {
  EXPECT_EQ("c:\\talorwrk\\", EncodeIniValue("c:\\talorwrk\\"));
  EXPECT_EQ("50% off", EncodeIniValue("50% off"));
  EXPECT_EQ("\" a\"", EncodeIniValue(" a"));
  EXPECT_EQ("\"a%0D%0Ab%25\"", EncodeIniValue("a\r\nb%"));
}

TEST(IniValueTest, ReadingValuesWrittenByHand) {
  struct Row {
    const char* written;
    const char* value;
  };
  const Row rows[] = {
      {"  127.0.0.1  ", "127.0.0.1"},
      {"\"  padded  \"", "  padded  "},
      {"\"c:\\talorwrk\\\"", "c:\\talorwrk\\"},  // backslashes are no escapes
      {"\"unclosed", "\"unclosed"},
      {"closed\"", "closed\""},
      {"\"100%\"", "100%"},     // a lone % is kept
      {"\"%41%0d\"", "%41\r"},  // only the written escapes
      {"%0D", "%0D"},           // unquoted: no escapes at all
  };
  for (const Row& row : rows) EXPECT_EQ(row.value, DecodeIniValue(row.written)) << row.written;
}

TEST(IniValueTest, NamesCompareWithoutCaseInAsciiAndCyrillic) {
  EXPECT_TRUE(SameIniName("Main", "MAIN"));
  EXPECT_TRUE(SameIniName("desktop", "DESKTOP"));
  EXPECT_TRUE(SameIniName("\xEF\xF0\xE8\xEC\xE5\xF0", "\xCF\xD0\xC8\xCC\xC5\xD0"));  // пример
  EXPECT_FALSE(SameIniName("Main", "Mains"));
  EXPECT_FALSE(SameIniName("URL", "URL "));
  EXPECT_EQ(FoldIniName("Desktop"), FoldIniName("DESKTOP"));
}

TEST(IniValueTest, NamesThatCannotBeWritten) {
  for (const char* key : {"", " Key", "Key ", "a=b", "[Key", ";Key", "#Key", "a\nb", "a\rb"}) {
    EXPECT_FALSE(IsValidIniKey(key)) << key;
  }
  EXPECT_FALSE(IsValidIniKey(std::string("a\0b", 3)));
  for (const char* key : {"URLFavorites0", "PARNAME_SEARCH", "a]b", "Key;1"}) {
    EXPECT_TRUE(IsValidIniKey(key)) << key;
  }
  for (const char* section : {"a]b", " Main", "Main ", "a\nb"}) {
    EXPECT_FALSE(IsValidIniSection(section)) << section;
  }
  EXPECT_TRUE(IsValidIniSection("Main"));
  EXPECT_TRUE(IsValidIniSection(""));
}

}  // namespace
}  // namespace talor
