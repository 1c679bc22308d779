#include "text/subfields.h"

#include <gtest/gtest.h>

namespace talor {
namespace {

struct SubfieldRow {
  const char* field;
  char code;
  const char* expected;
};

TEST(GetSubfieldTest, FindsTheFirstSubfieldUpperCaseFirst) {
  const SubfieldRow rows[] = {
      {"Title^aFirst^bSecond", 'a', "First"},
      {"Title^AFirst^bSecond", 'a', "First"},  // lower-case code, upper-case marker
      {"Title^aFirst^bSecond", 'A', "First"},  // and the other way round
      {"^alower^Aupper", 'a', "upper"},        // the upper-case marker wins
      {"^ax^ay", 'a', "x"},                    // only the first occurrence
      {"^bSecond^a", 'a', ""},                 // empty value at the end
      {"^a^bnext", 'a', ""},                   // empty value before another
      {"Title", 'a', ""},
      {"", 'a', ""},
      {"a^", 'a', ""},             // marker without a code
      {"^1one^2two", '2', "two"},  // codes without case
      {"^\xE0"
       "cyr",
       '\xC0', "cyr"},  // Cyrillic а / А in code page 1251
  };
  for (const SubfieldRow& row : rows) {
    EXPECT_EQ(row.expected, GetSubfield(row.field, row.code)) << row.field << " " << row.code;
  }
}

TEST(DeleteSubfieldTest, RemovesOnlyTheFirstMatchingSubfield) {
  const SubfieldRow rows[] = {
      {"Title^aFirst^bSecond", 'a', "Title^bSecond"},
      {"Title^aFirst^bSecond", 'b', "Title^aFirst"},  // the last one: cut at its marker
      {"^ax^ay", 'a', "^ay"},
      {"^alower^Aupper^b1", 'a', "^alower^b1"},  // the upper-case one goes first
      {"^a^b1", 'a', "^b1"},
      {"Title", 'a', "Title"},
      {"", 'h', ""},
  };
  for (const SubfieldRow& row : rows) {
    EXPECT_EQ(row.expected, DeleteSubfield(row.field, row.code)) << row.field << " " << row.code;
  }
}

}  // namespace
}  // namespace talor
