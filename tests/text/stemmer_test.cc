#include "text/stemmer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "text/encoding.h"
#include "text/stem_tables.h"

namespace talor {
namespace {

int Cut(std::string_view utf8Word) { return StemCut(Utf8ToAnsi(utf8Word)); }

struct StemRow {
  const char* word;  // UTF-8
  int cut;
};

TEST(StemCutTest, LeavesShortAndForeignWordsWhole) {
  const StemRow rows[] = {
      {"", 0},       {"ИЯ", 0},    {"ЕГО", 0},   {"СТОЛ", 0},
      {"КНИГ2", 0},  {"КНИГA", 0},  // Latin A
      {"ЁЛКАМИ", 0}, {"books", 0}, {"СТОЛ ", 0}, {"КНИГА.", 0},
  };
  for (const StemRow& row : rows) EXPECT_EQ(row.cut, Cut(row.word)) << row.word;
  EXPECT_EQ(0, StemCut(std::string(256, '\xC0')));  // longer than any word
}

TEST(StemCutTest, CutsInflectionalEndings) {
  const StemRow rows[] = {
      {"КНИГАМИ", 3}, {"КНИГА", 1},    {"книгами", 3},  // lower case is upper-cased
      {"Книги", 1},   {"СТОЛОМ", 2},   {"СТОЛАХ", 2},    {"КРАСНОГО", 3},
      {"СИНЕМУ", 3},  {"ВОРОБЬЕВ", 3}, {"ВОРОБЬЯМИ", 4}, {"ЛИСЬЕГО", 4},
      {"СЕМЬЮ", 2},   {"БЕЛЫМИ", 3},   {"НОВАЯ", 2},     {"СТОЛЫ", 1},
      {"ТЕТРАДЬ", 1}, {"ТЕТРАДЬЮ", 2}, {"ВРЕМЯ", 3},     {"ИМЕНЕМ", 2},
  };
  for (const StemRow& row : rows) EXPECT_EQ(row.cut, Cut(row.word)) << row.word;
}

TEST(StemCutTest, ReflexiveSuffixCountsTwoAndShortensTheWord) {
  const StemRow rows[] = {
      {"УЧИТЬСЯ", 3},  // 2 for -СЯ, then 1 for Ь of УЧИТЬ
      {"УЧИЛСЯ", 2},   // УЧИЛ has no ending
      {"МЫЛСЯ", 2},    // shortened to three letters: only one- and two-letter rules
      {"БИЛАСЯ", 3},   // БИЛА: 1 for А
      {"ВЕСЯ", 2},     // shortened to two letters: nothing more
      {"СЯСЯ", 2},    {"МОЮЩИЕСЯ", 4},  // МОЮЩИЕ: 2 for ИЕ
  };
  for (const StemRow& row : rows) EXPECT_EQ(row.cut, Cut(row.word)) << row.word;
}

TEST(StemCutTest, ExceptionsKeepTheStem) {
  const StemRow rows[] = {
      {"АГАМИ", 1},    {"ОЗИМИ", 1},     {"ЗМЕЙ", 1},  {"ЗМЕЮ", 1},
      {"ЯЧЕЕ", 1},     {"ЯЧЕЙ", 1},      {"ЯЧЕЮ", 1},  {"АГАМ", 0},
      {"АВТОДРОМ", 0}, {"АВТОДРОМУ", 1}, {"ЯРЕМУ", 1}, {"ПАЛЕОАНТРОПОЛОГИЙ", 1},
      {"ЗМЕЯ", 1},     {"ЗМЕЯМИ", 3},  // forms that need no exception reach the same stem
  };
  for (const StemRow& row : rows) EXPECT_EQ(row.cut, Cut(row.word)) << row.word;
}

TEST(StemCutTest, KeepTailsShortenTheCut) {
  const StemRow rows[] = {
      {"ТЕЧЕНИЙ", 1},                  // the keep-tail ТЕЧЕНИЙ: only Й goes
      {"ЧТЕНИЕ", 1},                   // ТЕНИЕ
      {"ЗДАНИЕ", 1},                   // АНИЕ
      {"СИНИЕ", 2},                    // no keep-tail ends ИНИЕ, НИЕ or ИЕ
      {"ПИТАНИЙ", 1},                  // ИТАНИЙ
      {"БЛЕМУ", 1},                    // -ЕМУ after a keep-tail
      {"ТЕМУ", 1},                     // four letters, and the whole word is the keep-tail
      {"СИНЕМУ", 3},                   // -ЕМУ without one
      {"БАТАРЕЕ", 1},                  // the longest -ЕЕ tail
      {"ЗИМНЕЕ", 2},  {"КРАСНЫЙ", 2},  // -ЫЙ never looks at the tails
  };
  for (const StemRow& row : rows) EXPECT_EQ(row.cut, Cut(row.word)) << row.word;
  EXPECT_TRUE(EndsInKeepTail(Utf8ToAnsi("ПОЧКОВАНИЙ")));  // ten letters
  EXPECT_TRUE(EndsInKeepTail(Utf8ToAnsi("ДЕВ")));         // three letters
  EXPECT_FALSE(EndsInKeepTail(Utf8ToAnsi("ЕВ")));
  EXPECT_FALSE(EndsInKeepTail(Utf8ToAnsi("СЛОВАРИ")));
}

TEST(StemCutTest, HyphenatedWordsAreStemmedWhole) {
  EXPECT_EQ(1, Cut("ИВАНОВА-ПЕТРОВА"));
  EXPECT_EQ(2, Cut("ЧЕРНО-БЕЛЫЕ"));
  EXPECT_EQ(0, Cut("А-Б-"));
}

TEST(StemCutTest, NeverCutsTheWholeWord) {
  // Every word of four or five letters over a small alphabet of ending
  // letters keeps at least one character.
  const std::string letters = Utf8ToAnsi("ЕИЯМУЬСОЙВХ");
  std::string word;
  for (int length = 4; length <= 5; ++length) {
    std::vector<size_t> digits(static_cast<size_t>(length), 0);
    while (true) {
      word.clear();
      for (size_t d : digits) word += letters[d];
      int cut = StemCut(word);
      ASSERT_GE(cut, 0);
      ASSERT_LE(cut, length - 1) << AnsiToUtf8(word);
      size_t i = 0;
      while (i < digits.size() && ++digits[i] == letters.size()) digits[i++] = 0;
      if (i == digits.size()) break;
    }
  }
}

TEST(StemTablesTest, TablesAreSortedByByteValueWithinTheirLengths) {
  auto check = [](std::span<const std::string_view> table, size_t shortest, size_t longest) {
    EXPECT_TRUE(std::is_sorted(table.begin(), table.end()));
    EXPECT_EQ(table.end(), std::adjacent_find(table.begin(), table.end()));
    for (std::string_view entry : table) {
      EXPECT_GE(entry.size(), shortest);
      EXPECT_LE(entry.size(), longest);
      EXPECT_EQ(AnsiUpperCase(entry), entry);
    }
  };
  check(StemExceptionWords(), 3, 17);
  check(StemKeepTails(), 3, 10);
  EXPECT_EQ(1986u, StemExceptionWords().size());
  std::map<size_t, int> byLength;
  for (std::string_view tail : StemKeepTails()) ++byLength[tail.size()];
  std::map<size_t, int> expected{{3, 28}, {4, 68}, {5, 143}, {6, 145},
                                 {7, 95}, {8, 33}, {9, 4},   {10, 3}};
  EXPECT_EQ(expected, byLength);
}

}  // namespace
}  // namespace talor
