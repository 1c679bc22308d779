#include "favorites/history_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talor {
namespace {

PageEntry Page(std::string url, std::string postText = "", std::string title = "") {
  return PageEntry{title.empty() ? url : title, url, postText, ""};
}

// "url:revisits" per entry, in list order.
std::string Lines(const HistoryList& history) {
  std::string text;
  for (const HistoryEntry& entry : history.entries()) {
    if (!text.empty()) text += " ";
    text += entry.page.url + ":" + std::to_string(entry.revisits);
  }
  return text;
}

TEST(HistoryListTest, ARevisitOnlyCounts) {
  HistoryList history;
  history.Record(Page("TALOR:5,,DEMO,a.pft"));
  history.Record(Page("TALOR:5,,DEMO,a.pft"));
  EXPECT_EQ("TALOR:5,,DEMO,a.pft:1", Lines(history));
  // Letter case of the address does not matter; the POST text does.
  history.Record(Page("talor:5,,demo,A.PFT"));
  history.Record(Page("TALOR:5,,DEMO,a.pft", "S21STR=a"));
  history.Record(Page("TALOR:5,,DEMO,a.pft", "S21STR=A"));
  EXPECT_EQ("TALOR:5,,DEMO,a.pft:2 TALOR:5,,DEMO,a.pft:0 TALOR:5,,DEMO,a.pft:0", Lines(history));
  EXPECT_EQ(history.entries()[0].page.title, "TALOR:5,,DEMO,a.pft");  // the first title stays
}

// The same address with two POST texts in turn: each text keeps its own
// entry instead of a new one at every visit.
TEST(HistoryListTest, RevisitOfTheSecondPostTextFindsItsEntry) {
  HistoryList history;
  history.Record(Page("TALOR:5", "X"));
  history.Record(Page("TALOR:5", "Y"));
  history.Record(Page("TALOR:5", "Y"));
  history.Record(Page("TALOR:5", "X"));
  EXPECT_EQ("TALOR:5:1 TALOR:5:1", Lines(history));
  EXPECT_EQ("Y", history.entries()[1].page.postText);
}

TEST(HistoryListTest, FindIsExact) {
  HistoryList history;
  history.Record(Page("TALOR:1", "p"));
  history.Record(Page("file:///a.html"));
  EXPECT_EQ(1u, history.Find("file:///a.html", ""));
  EXPECT_EQ(0u, history.Find("TALOR:1", "p"));
  EXPECT_FALSE(history.Find("talor:1", "p"));
  EXPECT_FALSE(history.Find("TALOR:1", ""));
}

class HistorySortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Time order: c, B, a, d; visits: c 1, B 4, a 2, d 1.
    for (const char* url : {"c", "B", "a", "B", "B", "a", "d", "B"}) {
      history_.Record(Page(std::string("file:///") + url, "", std::string("Title ") + url));
    }
  }
  HistoryList history_;
};

TEST_F(HistorySortTest, FourOrders) {
  EXPECT_EQ(HistorySort::Time, history_.order());
  EXPECT_EQ("file:///c:0 file:///B:3 file:///a:1 file:///d:0", Lines(history_));
  history_.Sort(HistorySort::Name);
  EXPECT_EQ("file:///a:1 file:///B:3 file:///c:0 file:///d:0", Lines(history_));
  history_.Sort(HistorySort::URL);
  EXPECT_EQ("file:///a:1 file:///B:3 file:///c:0 file:///d:0", Lines(history_));
  // Least visited first; equal counts in time order.
  history_.Sort(HistorySort::Count);
  EXPECT_EQ("file:///c:0 file:///d:0 file:///a:1 file:///B:3", Lines(history_));
  history_.Sort(HistorySort::Time);
  EXPECT_EQ("file:///c:0 file:///B:3 file:///a:1 file:///d:0", Lines(history_));
}

TEST_F(HistorySortTest, NewVisitsKeepTheOrder) {
  history_.Sort(HistorySort::Name);
  history_.Record(Page("file:///b2", "", "Title b2"));
  history_.Record(Page("file:///0", "", "Title 0"));
  EXPECT_EQ("file:///0:0 file:///a:1 file:///B:3 file:///b2:0 file:///c:0 file:///d:0",
            Lines(history_));
  history_.Sort(HistorySort::Count);
  history_.Record(Page("file:///c"));
  history_.Record(Page("file:///c"));
  EXPECT_EQ("file:///d:0 file:///b2:0 file:///0:0 file:///a:1 file:///c:2 file:///B:3",
            Lines(history_));
}

TEST_F(HistorySortTest, CyrillicTitlesIgnoreCase) {
  HistoryList history;
  history.Sort(HistorySort::Name);
  for (const char* title : {"война и мир", "Анна Каренина", "Бесы", "анна"}) {
    history.Record(Page(std::string("file:///") + title, "", title));
  }
  std::vector<std::string> titles;
  for (const HistoryEntry& entry : history.entries()) titles.push_back(entry.page.title);
  EXPECT_EQ((std::vector<std::string>{"анна", "Анна Каренина", "Бесы", "война и мир"}), titles);
}

// A deleted entry's sequence number is not given again, so a later page
// never sorts before an earlier one in time order.
TEST_F(HistorySortTest, DeletingKeepsTimeOrderOfLaterPages) {
  ASSERT_TRUE(history_.Delete(1));
  EXPECT_FALSE(history_.Delete(3));
  history_.Record(Page("file:///e"));
  history_.Sort(HistorySort::Name);
  history_.Sort(HistorySort::Time);
  EXPECT_EQ("file:///c:0 file:///a:1 file:///d:0 file:///e:0", Lines(history_));
  EXPECT_EQ(4, history_.entries().back().sequence);
}

TEST(HistoryListTest, CountsBeyondFiveDigitsSortAsNumbers) {
  HistoryList history;
  history.Sort(HistorySort::Count);
  for (int i = 0; i < 100000; ++i) history.Record(Page("file:///a"));
  for (int i = 0; i < 100001; ++i) history.Record(Page("file:///b"));
  EXPECT_EQ("file:///a:99999 file:///b:100000", Lines(history));
}

}  // namespace
}  // namespace talor
