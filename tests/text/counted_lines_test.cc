#include "text/counted_lines.h"

#include <gtest/gtest.h>

namespace talor {
namespace {

TEST(ParseCountedLinesTest, SplitsCountsFromTerms) {
  StringList list{{"stale", 9}};
  ParseCountedLines(list, "0\r\n12#K=WORD\r\n0#K=ZERO\r\nx#K=BAD\r\n7\r\nnone\r\n3#A#B");
  StringList expected{{"0", 0}, {"K=WORD", 12}, {"K=ZERO", 0}, {"K=BAD", 0},
                      {"", 7},  {"", 0},        {"A#B", 3}};
  EXPECT_EQ(expected, list);
}

TEST(ParseCountedLinesTest, DecodesEncodedLineBreaksFirst) {
  StringList list;
  ParseCountedLines(list,
                    "1\x1F\x1E"
                    "5#A\x1F\x1E"
                    "6#B");
  StringList expected{{"1", 0}, {"A", 5}, {"B", 6}};
  EXPECT_EQ(expected, list);
}

TEST(ParseCountedLinesTest, KeepsTheReturnCodeLineAsWritten) {
  StringList list;
  ParseCountedLines(list, "-140#x");
  StringList expected{{"-140#x", 0}};
  EXPECT_EQ(expected, list);
  ParseCountedLines(list, "");
  EXPECT_TRUE(list.empty());
}

TEST(SortByObjectsTest, SortsAscendingAndKeepsEqualsInOrder) {
  StringList list{{"c", 3}, {"a1", 1}, {"b", 2}, {"a2", 1}, {"neg", -5}, {"a3", 1}};
  SortByObjects(list);
  StringList expected{{"neg", -5}, {"a1", 1}, {"a2", 1}, {"a3", 1}, {"b", 2}, {"c", 3}};
  EXPECT_EQ(expected, list);

  StringList single{{"x", 5}};
  SortByObjects(single);
  EXPECT_EQ((StringList{{"x", 5}}), single);
}

}  // namespace
}  // namespace talor
