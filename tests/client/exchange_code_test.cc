#include "client/exchange_code.h"

#include <gtest/gtest.h>

#include <string>

namespace talor {
namespace {

TEST(ExchangeCodeTest, FromParameter) {
  struct Row {
    const char* parameter;
    ExchangeCode code;
  };
  const Row rows[] = {
      {"", ExchangeCode::Utf8},     {"UTF8", ExchangeCode::Utf8}, {"win", ExchangeCode::Ansi},
      {"WIN", ExchangeCode::Ansi},  {"dos", ExchangeCode::Oem},   {"DOSWIN", ExchangeCode::Ansi},
      {"xDoSx", ExchangeCode::Oem}, {"wi n", ExchangeCode::Utf8},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.code, ExchangeCodeFromParameter(row.parameter)) << row.parameter;
  }
}

TEST(ExchangeCodeTest, FromName) {
  EXPECT_EQ(ExchangeCode::Utf8, ExchangeCodeFromName("utf8"));
  EXPECT_EQ(ExchangeCode::Ansi, ExchangeCodeFromName("Win"));
  EXPECT_EQ(ExchangeCode::Oem, ExchangeCodeFromName("DOS"));
  EXPECT_FALSE(ExchangeCodeFromName("doswin"));
  EXPECT_FALSE(ExchangeCodeFromName(""));
}

TEST(ExchangeCodeTest, CyrillicBytesPerCode) {
  // "Мир" in UTF-8, Windows-1251 and CP866.
  const std::string utf8 = "\xD0\x9C\xD0\xB8\xD1\x80";
  struct Row {
    ExchangeCode code;
    std::string bytes;
  };
  const Row rows[] = {
      {ExchangeCode::Utf8, utf8},
      {ExchangeCode::Ansi, "\xCC\xE8\xF0"},
      {ExchangeCode::Oem, "\x8C\xA8\xE0"},
  };
  for (const Row& row : rows) {
    StringList record{{"0"}, {"0"}, {"0"}, {"^A" + utf8, 200}};
    RecodeForExport(record, row.code);
    EXPECT_EQ("^A" + row.bytes, record[3].text);
    EXPECT_EQ(200, record[3].object);
    RecodeForImport(record, row.code);
    EXPECT_EQ("^A" + utf8, record[3].text);
  }
}

TEST(ExchangeCodeTest, ImportDecodesCharsetEscapes) {
  // && 161 (Greek) 0xE1 is the Greek small alpha; the Cyrillic around it is
  // plain Windows-1251.
  StringList record{{"\xCC\xE8\xF0 &&\xA1\xE1", 200}};
  RecodeForImport(record, ExchangeCode::Ansi);
  EXPECT_EQ("\xD0\x9C\xD0\xB8\xD1\x80 \xCE\xB1", record[0].text);
}

TEST(ExchangeCodeTest, DosImportKeepsTheBytesOfEscapes) {
  // CP866 "Мир" and the same Greek alpha; converted byte by byte from OEM,
  // the set 0xA1 and the character 0xE1 would become other bytes.
  StringList record{{"\x8C\xA8\xE0 &&\xA1\xE1", 200}};
  RecodeForImport(record, ExchangeCode::Oem);
  EXPECT_EQ("\xD0\x9C\xD0\xB8\xD1\x80 \xCE\xB1", record[0].text);
}

TEST(ExchangeCodeTest, MissingCharactersBecomeQuestionMarksAndAreCounted) {
  // A CJK character, an emoji outside the BMP, and a question mark of the text.
  StringList record{{"\xE4\xB8\xAD \xF0\x9F\x93\x9A ?", 1}, {"\xD0\x81", 2}};
  EXPECT_EQ(2u, RecodeForExport(record, ExchangeCode::Ansi));
  EXPECT_EQ("? ? ?", record[0].text);
  StringList dos{{"\xD0\x81 \xE2\x95\x94", 1}};  // Ё and a box corner, both in CP866
  EXPECT_EQ(0u, RecodeForExport(dos, ExchangeCode::Oem));
  EXPECT_EQ("\xF0 \xC9", dos[0].text);
  EXPECT_EQ(0u, RecodeForExport(dos, ExchangeCode::Utf8));
}

}  // namespace
}  // namespace talor
