#include "text/word_splitter.h"

#include <gtest/gtest.h>

namespace talor {
namespace {

StringList Split(std::string_view text, bool stem = false, const StringList& stop = {},
                 std::string_view translation = "") {
  StringList words;
  SplitWords(text, translation, stop, stem, words);
  return words;
}

TEST(SplitWordsTest, DefaultLetterClassSplitsAtDigitsAndPunctuation) {
  struct Row {
    const char* text;
    StringList expected;
  } rows[] = {
      {"abc123def", {{"abc", 1}, {"def", 2}}},
      {"  one, two;three  ", {{"one", 1}, {"two", 2}, {"three", 3}}},
      {"a_b[c]d{e}f~g", {{"a", 1}, {"b", 2}, {"c", 3}, {"d", 4}, {"e", 5}, {"f", 6}, {"g", 7}}},
      {"\xD0\xBA\xD0\xBE\xD1\x82-\xD0\xBF\xD1\x91\xD1\x81",  // кот-пёс: UTF-8 stays whole
       {{"\xD0\xBA\xD0\xBE\xD1\x82", 1}, {"\xD0\xBF\xD1\x91\xD1\x81", 2}}},
      {"last", {{"last", 1}}},
      {"", {}},
      {"123 !!", {}},
  };
  for (const auto& row : rows) EXPECT_EQ(row.expected, Split(row.text)) << row.text;
}

TEST(SplitWordsTest, StopWordsAreCountedButNotListed) {
  StringList stop{{"THE"}, {"\xD0\x98"}};  // "И"
  StringList expected{{"cat", 2}, {"dog", 5}};
  EXPECT_EQ(expected, Split("the cat The \xD0\xB8 dog", false, stop));
}

TEST(SplitWordsTest, StemmingCutsRussianEndings) {
  // книгами столы учиться: КНИГ.. stays in its own letter case.
  StringList expected{{"\xD0\xBA\xD0\xBD\xD0\xB8\xD0\xB3", 1},   // книг
                      {"\xD1\x81\xD1\x82\xD0\xBE\xD0\xBB", 2},   // стол
                      {"\xD1\x83\xD1\x87\xD0\xB8\xD1\x82", 3}};  // учит
  EXPECT_EQ(expected, Split("\xD0\xBA\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0\xD0\xBC\xD0\xB8 "
                            "\xD1\x81\xD1\x82\xD0\xBE\xD0\xBB\xD1\x8B "
                            "\xD1\x83\xD1\x87\xD0\xB8\xD1\x82\xD1\x8C\xD1\x81\xD1\x8F",
                            true));
}

TEST(SplitWordsTest, StemmingLeavesOtherWordsByteForByte) {
  struct Row {
    const char* word;
  } rows[] = {
      {"\xD0\xB4\xD0\xBE\xD0\xBC"},                          // дом: 6 bytes, reaches the stemmer
      {"\xD0\xB4\xD0\xB0"},                                  // да: 4 bytes, does not
      {"\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97"},              // CJK: not in code page 1251
      {"\xD1\x91\xD0\xBB\xD0\xBA\xD0\xB0\xD0\xBC\xD0\xB8"},  // ёлками: Ё is never stemmed
      {"books"},
  };
  for (const Row& row : rows) {
    StringList expected{{row.word, 1}};
    EXPECT_EQ(expected, Split(row.word, true)) << row.word;
  }
}

TEST(SplitWordsTest, StemmedFormsRepeatWithTheirOwnOrdinals) {
  // КНИГА КНИГИ: both become КНИГ and both are listed.
  StringList expected{{"\xD0\x9A\xD0\x9D\xD0\x98\xD0\x93", 1},
                      {"\xD0\x9A\xD0\x9D\xD0\x98\xD0\x93", 2}};
  EXPECT_EQ(expected, Split("\xD0\x9A\xD0\x9D\xD0\x98\xD0\x93\xD0\x90 "
                            "\xD0\x9A\xD0\x9D\xD0\x98\xD0\x93\xD0\x98",
                            true));
}

TEST(SplitWordsTest, TranslationTableAndOwnLetterSet) {
  std::string translation(255, '\0');
  for (int v = 1; v <= 255; ++v) translation[static_cast<size_t>(v - 1)] = static_cast<char>(v);
  translation['a' - 1] = 'A';
  EXPECT_EQ((StringList{{"Abc", 1}}), Split("abc", false, {}, translation));
  // A table shorter than a byte's value leaves that byte alone.
  EXPECT_EQ((StringList{{"ab", 1}}), Split("ab", false, {}, "QQ"));

  LetterSet digits;
  for (int v = '0'; v <= '9'; ++v) digits.set(static_cast<size_t>(v));
  StringList words;
  SplitWords("v12.34x5", "", {}, false, words, digits);
  EXPECT_EQ((StringList{{"12", 1}, {"34", 2}, {"5", 3}}), words);
}

}  // namespace
}  // namespace talor
