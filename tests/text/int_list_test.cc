#include "text/int_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace talor {
namespace {

std::vector<int32_t> Contents(const TIntList& list) {
  std::vector<int32_t> values;
  for (int i = 0; i < list.Count(); ++i) values.push_back(list.Get(i));
  return values;
}

TIntList ListOf(std::initializer_list<int32_t> values) {
  TIntList list;
  for (int32_t value : values) EXPECT_EQ(0, list.Add(value));
  return list;
}

TEST(TIntListTest, GrowsInStepsOfOneThousand) {
  TIntList list;
  EXPECT_EQ(1000, list.Capacity());
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(0, list.Add(i));
  EXPECT_EQ(1000, list.Capacity());
  ASSERT_EQ(0, list.Add(1000));
  EXPECT_EQ(2000, list.Capacity());
  EXPECT_EQ(1001, list.Count());
  EXPECT_EQ(999, list.Get(999));  // contents survive the growth
  EXPECT_EQ(1000, list.Get(1000));
}

TEST(TIntListTest, BadIndexesThrowItemOutOfBounds) {
  TIntList list = ListOf({5, 6});
  for (int index : {-1, 2, 1000, -2147483647 - 1}) {
    EXPECT_THROW((void)list.Get(index), EIntArrError) << index;
    EXPECT_THROW(list.Put(index, 1), EIntArrError) << index;
  }
  try {
    (void)list.Get(2);
    FAIL() << "no exception";
  } catch (const EIntArrError& error) {
    EXPECT_STREQ("Item out of bounds", error.what());
  }
  list.Put(1, 60);
  EXPECT_EQ((std::vector<int32_t>{5, 60}), Contents(list));
}

TEST(TIntListTest, ClearZeroesTheStorageAndKeepsTheCapacity) {
  TIntList list;
  for (int i = 0; i < 1500; ++i) list.Add(i + 1);
  list.Clear();
  EXPECT_EQ(0, list.Count());
  EXPECT_EQ(2000, list.Capacity());
  EXPECT_THROW((void)list.Get(0), EIntArrError);
  list.Add(7);
  EXPECT_EQ(7, list.Get(0));
  EXPECT_EQ(-1, list.IndexOf(2));  // old contents are gone, not just hidden
}

TEST(TIntListTest, IndexOfFindsTheLowestIndex) {
  TIntList list = ListOf({4, 9, 4, -1});
  EXPECT_EQ(0, list.IndexOf(4));
  EXPECT_EQ(3, list.IndexOf(-1));
  EXPECT_EQ(-1, list.IndexOf(0));  // zeros of the unused storage do not count
}

TEST(TIntListTest, SortsBothWays) {
  struct Row {
    std::initializer_list<int32_t> input;
    SortDirection direction;
    std::vector<int32_t> expected;
  } rows[] = {
      {{3, 1, 2}, SortDirection::Ascending, {1, 2, 3}},
      {{3, 1, 2}, SortDirection::Descending, {3, 2, 1}},
      {{}, SortDirection::Ascending, {}},
      {{5}, SortDirection::Descending, {5}},
      {{2, 2, -7, 2147483647, -2147483647 - 1, 0},
       SortDirection::Ascending,
       {-2147483647 - 1, -7, 0, 2, 2, 2147483647}},
  };
  for (const Row& row : rows) {
    TIntList list = ListOf(row.input);
    list.Sort(row.direction);
    EXPECT_EQ(row.expected, Contents(list));
  }
}

TEST(TIntListTest, SortsLargeOrderedInputs) {
  TIntList list;
  for (int i = 0; i < 100000; ++i) list.Add(i % 2 == 0 ? i : 100000 - i);
  list.Sort(SortDirection::Descending);
  for (int i = 1; i < list.Count(); ++i) ASSERT_GE(list.Get(i - 1), list.Get(i)) << i;
}

}  // namespace
}  // namespace talor
