#include "server/read_ahead.h"

#include <gtest/gtest.h>

#include <atomic>

namespace talor::server {
namespace {

TEST(ReadAheadTest, ItemsComeInOrderAcrossBatchesAndThenTheEnd) {
  int made = 0;
  ReadAhead<int> ahead(
      [&]() -> std::optional<int> {
        if (made == 1000) return std::nullopt;
        return made++;
      },
      7, 2);
  for (int expected = 0; expected < 1000; ++expected) ASSERT_EQ(ahead.Next(), expected);
  EXPECT_FALSE(ahead.Next());
  EXPECT_FALSE(ahead.Next());
}

TEST(ReadAheadTest, NothingToMakeEndsAtOnce) {
  ReadAhead<int> ahead([]() -> std::optional<int> { return std::nullopt; }, 4, 2);
  EXPECT_FALSE(ahead.Next());
}

// A consumer that gives up early stops an endless producer: the producer
// makes no more than the backlog beyond what was taken.
TEST(ReadAheadTest, AConsumerThatStopsEarlyStopsTheProducer) {
  std::atomic<int> made{0};
  {
    ReadAhead<int> ahead([&]() -> std::optional<int> { return made++; }, 10, 3);
    ASSERT_EQ(ahead.Next(), 0);
    ASSERT_EQ(ahead.Next(), 1);
  }
  EXPECT_LE(made.load(), 10 * (3 + 2));
}

}  // namespace
}  // namespace talor::server
