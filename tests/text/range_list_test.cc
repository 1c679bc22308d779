#include "text/range_list.h"

#include <gtest/gtest.h>

namespace talor {
namespace {

TEST(ExpandRangeListTest, ExpandsRanges) {
  EXPECT_EQ("1,2,3,7", ExpandRangeList("1-3,7"));
  EXPECT_EQ("N8,N9,N10", ExpandRangeList("N08-N10"));
  EXPECT_EQ("5", ExpandRangeList("5-5"));
  EXPECT_EQ("N05", ExpandRangeList("N05-N05"));
  EXPECT_EQ("1,2,3", ExpandRangeList(" 1 - 3 "));
  EXPECT_EQ("ab", ExpandRangeList("ab-ab"));
}

TEST(ExpandRangeListTest, CopiesWhatIsNotARange) {
  EXPECT_EQ("7-3", ExpandRangeList("7-3"));
  EXPECT_EQ("A1-B3", ExpandRangeList("A1-B3"));
  EXPECT_EQ("1-2-3", ExpandRangeList("1-2-3"));
  EXPECT_EQ("-5,5-", ExpandRangeList("-5,5-"));
  EXPECT_EQ("1-x", ExpandRangeList("1-x"));
  EXPECT_EQ("1a-3", ExpandRangeList("1a-3"));
  EXPECT_EQ("", ExpandRangeList(""));
  EXPECT_EQ("1,2", ExpandRangeList(",,1,,2,"));
}

TEST(ExpandRangeListTest, HugeRangesAreCopiedNotExpanded) {
  EXPECT_EQ("1-999999999", ExpandRangeList("1-999999999"));
  EXPECT_EQ("1-99999999999999999999999", ExpandRangeList("1-99999999999999999999999"));
  std::string full = ExpandRangeList("1-100000");
  EXPECT_EQ(0u, full.rfind("1,2,3", 0));
  EXPECT_EQ(full.size() - 7, full.rfind(",100000"));
}

}  // namespace
}  // namespace talor
