// Keys that work on the parameter text: words, blanks, searches, lists,
// checks, cases, tags, transliteration, codes and numerals.

#include <gtest/gtest.h>

#include <set>

#include "format/markup.h"
#include "uf_test_util.h"

namespace talor {
namespace {

using testing::Row;
using testing::UfEngine;

TEST(UfTextTest, BlanksAndParts) {
  UfEngine uf;
  const Row rows[] = {
      {"&uf('E2one two three')", "one two"},
      {"&uf('E5one two three')", "one two three"},
      {"&uf('F1one two three')", "two three"},
      {"&uf('F3one two three'),'|'", "|"},
      {"&uf('G0,ab,cd')", "ab"},
      {"&uf('G1,ab,cd')", ",cd"},
      {"&uf('G2,ab,cd')", "cd"},
      {"&uf('G0#abc12de')", "abc"},
      {"&uf('G1$12-xy')", "xy"},
      {"&uf('G2$12-жук')", "ук"},
      {"&uf('G0;abc')", "abc"},
      {"&uf('GA;abc'),'|'", "|"},
      {"&uf('GC;abc'),'|'", "|"},
      {"&uf('+Rfile.name.txt')", "file.name"},
      {"&uf('+Rnopoint'),'|'", "|"},
      {"&uf('+9Hxabxcd')", "abcd"},
      {"&uf('+9Hxabcd'),'|'", "|"},
      {"&uf('+9Hxabx'),'|'", "|"},
  };
  testing::ExpectRows(uf, rows);
}

TEST(UfTextTest, MasksListsAndChecks) {
  UfEngine uf;
  const Row rows[] = {
      {"&uf('=/ab/abc')", "1"},
      {"&uf('=/a?c/abc')", "1"},
      {"&uf('=/b/abc')", "0"},
      {"&uf('=/abc')", "0"},
      {"&uf('W5,1-3,5')", "1"},
      {"&uf('W4,1-3,5')", "0"},
      {"&uf('W2,1-3,5')", "1"},
      {"&uf('Wb,A,B')", "1"},
      {"&uf('W15,1,5')", "0"},
      {"&uf('Wabc')", "0"},
      // Upper-casing keeps UTF-8 letters whole.
      {"&uf('Wабв,АБВ,где')", "1"},
      {"&uf('Wабв,АБГ,где')", "0"},
      // ISBN-10 (0-306-40615-2 is valid), ISBN-13 and ISSN.
      {"&uf('C0-306-40615-2')", "0"},
      {"&uf('C0-306-40615-3')", "1"},
      {"&uf('C9780306406157')", "0"},
      {"&uf('C9780306406158')", "1"},
      {"&uf('C0317-8471')", "0"},
      {"&uf('C0317-8472')", "1"},
      {"&uf('C'),'|'", "1|"},
      {"&uf('C0000000000')", "1"},
  };
  testing::ExpectRows(uf, rows);
}

TEST(UfTextTest, WordKeys) {
  UfEngine uf;
  const Row rows[] = {
      // First characters from the last word to the first, then the second ones.
      {"&uf('Babc de f')",
       "fdaeb"
       "c"},
      {"&uf('BА12 Бв')",
       "БА"
       "в1"
       "2"},
      {"&uf('B'),'|'", "|"},
      {"&uf(',Иванов Пётр Сергеевич')", "ИПС"},
      {"&uf(',a-b c')", "abc"},
  };
  testing::ExpectRows(uf, rows);
  EXPECT_EQ(64u, uf.Out("&uf('B" + std::string(100, 'x') + "')").size());
  std::string manyWords;
  for (int i = 0; i < 80; ++i) manyWords += "w ";
  EXPECT_EQ(std::string(64, 'w'), uf.Out("&uf('," + manyWords + "')"));
}

TEST(UfTextTest, CasesTagsAndQuotes) {
  UfEngine uf;
  const Row rows[] = {
      {"&uf('QAbC Ёж')", "abc ёж"},
      {"&uf('+97abc ёж')", "ABC ЁЖ"},
      {"&uf('9\"a\"b\"')", "ab"},
      {"&uf('Xa<b>c<d')", "ac"},
      {"&uf('X<b>')", ""},
      {"&uf('Ha<abcdefgh>z<xy>')", "<abcefg><xy>"},
      {"&uf('Hno brackets<open'),'|'", "|"},
      {"&uf('+Habcdefgh')", "2abcefg"},
      {"&uf('+Habcdefghij')", "3abcefgij"},
      {"&uf('+Hab')", "0ab"},
      {"&uf('+H'),'|'", "|"},
      {"&uf('+S0a<x=y>b<z>c')", "aybc"},
      {"&uf('+S1a<x=y>b')", "axb"},
      {"&uf('+S1<z>')", "€z‰"},
      {"&uf('+S2a<x=y>b<open')", "ax=yb<open"},
      {"&uf('+B AB')", "163"},
      {"&uf('++  a   b  ')", "a b"},
      {"&uf('+98xaxbx')", "aba"},
      {"&uf('+9Ixabx/yy/ABCab')", "yyCyy"},
      {"&uf('+9I//|y|abc')", "abc"},
      {"&uf('+951234')", "4"},
      {"&uf('+95жук')", "3"},
      {"&uf('+9F65')", "A"},
      {"&uf('+9F192')", "А"},
      {"&uf('+9Fx')", "?"},
      {"&uf('+9F0')", "?"},
      {"&uf('+9V')", "64"},
      {"&uf('+9Gone, two;three')", "one two three"},
  };
  testing::ExpectRows(uf, rows);
}

TEST(UfTextTest, SubstringsAndPaths) {
  UfEngine uf;
  const Row rows[] = {
      {"&uf('+960*1.2#abcdef')", "bc"},
      {"&uf('+960*2#abcdef')", "cdef"},
      {"&uf('+961*1.2#abcdef')", "de"},
      {"&uf('+961*2#abcdef')", "abcd"},
      {"&uf('+961.3#abcdef')", "def"},
      {"&uf('+960*9#abc'),'|'", "|"},
      {"&uf('+961*9.2#abc'),'|'", "|"},
      {"&uf('+960.2#жукак')", "жу"},
      {"&uf('+96xabc')", "abc"},
      {"&uf('+91c:\\dir\\file.txt')", "file.txt"},
      {"&uf('+92c:\\dir\\file.txt')", "c:\\dir\\"},
      {"&uf('+93/a.b/file.txt')", ".txt"},
      {"&uf('+93/a.b/file'),'|'", "|"},
      {"&uf('+94c:\\dir')", "c:"},
      {"&uf('+94/dir'),'|'", "|"},
  };
  testing::ExpectRows(uf, rows);
}

TEST(UfTextTest, TransliterationAndCoding) {
  UfEngine uf;
  const Row rows[] = {
      // The character after T is skipped.
      {"&uf('T0Щука и Ёж')", "Shchuka i Ёzh"},
      {"&uf('T0объём')", "ob''ёm"},
      {"&uf('T0Юля\"Ь\"')", "Iulia'"},
      {"&uf('T')", ""},
      {"&uf('+3Ea b&ж')", "a%20b%26%D0%B6"},
      {"&uf('+3Da%20b+c')", "a b c"},
      {"&uf('+3H<a href=\"x\">&')", "&lt;a href=&quot;x&quot;&gt;&amp;"},
      {"&uf('+3T&lt;b&gt;')", "<b>"},
      {"&uf('+3+1+2')", "1%2B2"},
      {"&uf('+\\0a\\b')", "a\\\\b"},
      {"&uf('+\\1a\\\\b')", "a\\b"},
      {"&uf('+\\x')", ""},
      // RTF hidden links: backslashes of links of kinds 0 and 3 are doubled.
      {"&uf('+I|0a\\b|text')", "{\\v \x1A|0a\\\\b|}text{\\v \x1B}"},
      {"&uf('+I|1a\\b|text')", "{\\v \x1A|1a\\b|}text{\\v \x1B}"},
      {"&uf('+I|||')", "{\\v \x1A||}|{\\v \x1B}"},
      {"&uf('+I||'),'#'", "#"},
      {"&uf('+I|ab'),'#'", "#"},
      {"&uf('+I|a'),'#'", "#"},
  };
  testing::ExpectRows(uf, rows);
}

TEST(UfTextTest, NextCode) {
  UfEngine uf;
  const Row rows[] = {
      {"&uf('+C41')", "42"},
      {"&uf('+C0099')", "100"},
      {"&uf('+C99999999999999999999')", "100000000000000000000"},
      {"&uf('+CA007')", "A8"},
      {"&uf('+C12/')", "12/1"},
      {"&uf('+C12/7')", "12/8"},
      {"&uf('+C2024-009')", "2024-10"},
      {"&uf('+C12/a')", "12/a"},
      {"&uf('+C7a')", "8a"},
      {"&uf('+CA7a')", "A7a"},
      {"&uf('+CA7a8')", "A7a8"},
      {"&uf('+Cabc')", "abc"},
      {"&uf('+C-5')", "-4"},
  };
  testing::ExpectRows(uf, rows);
}

TEST(UfTextTest, RomanNumerals) {
  UfEngine uf;
  const Row rows[] = {
      {"&uf('+9X1994')", "MCMXCIV"}, {"&uf('+9X4')", "IV"},         {"&uf('+9X0'),'|'", "|"},
      {"&uf('+9X-3'),'|'", "|"},     {"&uf('+9Rmcmxciv')", "1994"}, {"&uf('+9RIIII')", "-1"},
      {"&uf('+9RIC')", "-1"},        {"&uf('+9R')", "-1"},          {"&uf('+9RXLII')", "42"},
  };
  testing::ExpectRows(uf, rows);
}

TEST(UfTextTest, RandomNumbersHaveTheirDigits) {
  UfEngine uf;
  std::set<std::string> seen;
  for (int i = 0; i < 300; ++i) {
    const std::string three = uf.Out("&uf('R3')");
    ASSERT_EQ(3u, three.size());
    ASSERT_EQ(std::string::npos, three.find_first_not_of("0123456789"));
    EXPECT_NE("999", three);
    seen.insert(three);
  }
  EXPECT_GT(seen.size(), 100u);
  EXPECT_EQ(6u, uf.Out("&uf('R')").size());
  EXPECT_EQ(6u, uf.Out("&uf('Rx')").size());
  EXPECT_EQ(20u, uf.Out("&uf('R20')").size());
  EXPECT_EQ(1000u, uf.Out("&uf('R999999999999')").size());
}

TEST(UfTextTest, PostProcessingFlags) {
  UfEngine uf;
  const Row rows[] = {
      {"'a..b...c',&uf('.'),'..d'", "a.b...c..d"},
      {"'x[[hidden]]y',&uf('[')", "xy"},
      {"'x[[hidden]]y'", "x[[hidden]]y"},
  };
  testing::ExpectRows(uf, rows);
  EXPECT_EQ(RemoveRtf("{\\b bold}"), uf.Out("'{\\b bold}',&uf('+F')"));
  EXPECT_EQ("{\\b bold}", uf.Out("'{\\b bold}'"));
  EXPECT_EQ(TidyPunctuation("a..b. - c"), uf.Out("'a..b. - c',&uf('!')"));
  EXPECT_NE(TidyPunctuation("a..b. - c"), "a..b. - c");
}

TEST(UfTextTest, CodePages) {
  UfEngine uf;
  // А is 192 in ANSI and 128 in OEM.
  EXPECT_EQ(std::string(1, static_cast<char>(128)),
            uf.Out("&uf('+Z0" + std::string(1, static_cast<char>(192)) + "')"));
  EXPECT_EQ(std::string(1, static_cast<char>(192)),
            uf.Out("&uf('+Z1" + std::string(1, static_cast<char>(128)) + "')"));
  EXPECT_EQ("|", uf.Out("&uf('+Z2abc'),'|'"));
  EXPECT_EQ("|", uf.Out("&uf('+Z0'),'|'"));
}

}  // namespace
}  // namespace talor
