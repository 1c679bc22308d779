#include "text/issue_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace talor {
namespace {

StringList EnglishMonths() {
  StringList months;
  for (const char* name : {"January", "February", "March", "April", "May", "June", "July", "August",
                           "September", "October", "November", "December"}) {
    months.Add(name);
  }
  return months;
}

struct IssueRow {
  const char* input;
  const char* expected;
};

std::string Cumulate(std::string_view list, const StringList& months = {}) {
  return NormalizeIssueList(months, list, IssueListMode::Cumulate);
}

std::string Expand(std::string_view list, const StringList& months = {}) {
  return NormalizeIssueList(months, list, IssueListMode::Expand);
}

TEST(IssueListCumulateTest, FoldsRunsAndMergesRanges) {
  const IssueRow rows[] = {
      {"1,2,3,5,6", "1-3,5,6"},  // a run of two stays as singles
      {"1-3,4,7-9,8,2", "1-4,7-9"},
      {"3,2,1", "1-3"},
      {"1-5,3-8", "1-8"},      // overlapping
      {"1-3,4-6", "1-6"},      // touching
      {"1-3,5-6", "1-3,5-6"},  // a gap of one number
      {"2-4,2-4,3", "2-4"},    // duplicate and contained
      {"5,4,1-3", "1-5"},      // absorbs in any order
      {"7,5,6", "5-7"},
      {"5,5,5", "5"},
      {"10,09,11", "9-11"},  // leading zeros are lost
      {"", ""},
      {" , ;;", ""},
      {"1,spec. issue,2,3", "1-3,spec. issue"},
      {"1;2;3", "1-3"},
  };
  for (const IssueRow& row : rows) EXPECT_EQ(row.expected, Cumulate(row.input)) << row.input;
}

TEST(IssueListCumulateTest, KeepsPrefixAndSuffixGroupsApart) {
  const IssueRow rows[] = {
      {"N1,N2,N3,5,6", "5,6,N1-N3"},  // the prefixed run is written after the plain group
      {"N3-7", "N3-N7"},              // a plain range with a prefix moves to the prefixed group
      {"3-7a,8a", "3a-8a"},
      {"N3-N5,N6,n7", "N3-N7"},          // prefixes compare without regard to case
      {"No 1,no  2,NO 3", "No 1-No 3"},  // nor to runs of blanks
      {"12a-14a,15a,11b", "11b,12a-15a"},
      {"N3a-N5a,N6a", "N3a-N6a"},
      {"N5,M5,K7", "N5,M5,K7"},  // equal numbers of different groups are all kept
      {"N3-M7,N3-M7", "N3-M7"},  // sides of two groups: kept once, never merged
      {"N1-N3,N2-N6,M1-M2", "N1-N6,M1-M2"},
  };
  for (const IssueRow& row : rows) EXPECT_EQ(row.expected, Cumulate(row.input)) << row.input;
}

TEST(IssueListExpandTest, ReplacesRangesByMembers) {
  const IssueRow rows[] = {
      {"1-3,N5-N6", "1,2,3,N5,N6"},
      {"N5-N6,1-3", "1,2,3,N5,N6"},  // plain members come first
      {"3,1-2", "1,2,3"},
      {"2,1-3", "1,2,3"},  // an existing member is not repeated
      {"N08-N10", "N8,N9,N10"},
      {"N3-7", "N3,N4,N5,N6,N7"},
      {"3a-4a", "3a,4a"},
      {"N3a-N4a", "N3a,N4a"},
      {"N3-M5", "N3-M5"},  // sides of two groups stay a range
      {"5-5", "5"},
      {"5,3", "3,5"},              // singles of one group in ascending order
      {"N2,1,N1,2", "N1,1,2,N2"},  // in passes over the input order
  };
  for (const IssueRow& row : rows) EXPECT_EQ(row.expected, Expand(row.input)) << row.input;
}

TEST(IssueListTest, CopiesWhatItCannotClassify) {
  const IssueRow rows[] = {
      {"1-2-3", "1-2-3"},  // two hyphens
      {"3a-7", "3a-7"},    // 9A-9
      {"3-a7", "3-a7"},    // 9-A9
      {"-5", "-5"},           {"5-", "5-"},
      {"7-3", "7-3"},                                          // last below first
      {"Jan-Mar", "Jan-Mar"},                                  // month range without month names
      {"suppl.", "suppl."},   {"99999999999", "99999999999"},  // beyond 32 bits
  };
  for (const IssueRow& row : rows) {
    EXPECT_EQ(row.expected, Cumulate(row.input)) << row.input;
    EXPECT_EQ(row.expected, Expand(row.input)) << row.input;
  }
}

TEST(IssueListTest, HugeRangesAreNotExpanded) {
  EXPECT_EQ("1-999999999,N1-N2000000", Expand("1-999999999,N1-N2000000"));
  // Kept whole, a plain range with a prefix is written as a prefixed range.
  EXPECT_EQ("5,x,N1-N999999", Expand("N1-999999,5,x"));
  EXPECT_EQ("1-999999999", Cumulate("999999999,1-999999998"));
  // One single, then ranges of 40000 members in twenty groups: the first
  // two fit the limit of the whole list, the others are written as ranges.
  std::string list = "7,";
  for (char prefix = 'A'; prefix <= 'T'; ++prefix) {
    list += std::string(1, prefix) + "1-" + std::string(1, prefix) + "40000,";
  }
  std::string expanded = Expand(list);
  EXPECT_NE(std::string::npos, expanded.find(",B40000,C1-C40000,")) << expanded.substr(0, 40);
  EXPECT_TRUE(expanded.ends_with(",T1-T40000")) << expanded.substr(expanded.size() - 40);
  // 7, the 80000 members and the 18 ranges.
  EXPECT_EQ(80019, 1 + std::count(expanded.begin(), expanded.end(), ','));
  EXPECT_EQ(expanded, Expand(expanded));
}

TEST(IssueListMonthsTest, CumulatesMonths) {
  StringList months = EnglishMonths();
  const IssueRow rows[] = {
      {"Jan,Feb,Mar", "January-March"},
      {"Jan.,feb,MAR.,May", "January-March,May"},
      {"Jan-Mar,Apr", "January-April"},
      {"Jan-Mar,Feb-May,Jul", "January-May,July"},
      {"Jan.-Mar.,1,2,3", "1-3,January-March"},
      {"Nov-Feb", "Nov-Feb"},    // the end before the start: written as it came
      {"Jan-Xyz", "Jan-Xyz"},    // one side is no month
      {"Ma", "March"},           // a single takes the first name it begins
      {"Ju-Au", "July-August"},  // a range side takes the last name it begins
      {"Winter", "Winter"},
  };
  for (const IssueRow& row : rows) {
    EXPECT_EQ(row.expected, Cumulate(row.input, months)) << row.input;
  }
}

TEST(IssueListMonthsTest, ExpandsMonthRangesByFullNames) {
  StringList months = EnglishMonths();
  const IssueRow rows[] = {
      {"Jan.-Apr.", "January,February,March,April"},
      {"Oct.-Dec.,Jan.", "January,October,November,December"},
      {"Nov-Feb", "Nov-Feb"},
      {"1-2,Mar", "1,2,March"},
  };
  for (const IssueRow& row : rows) EXPECT_EQ(row.expected, Expand(row.input, months)) << row.input;
}

TEST(IssueListMonthsTest, RussianMonthNames) {
  StringList months;
  for (const char* name : {"\xD1\x8F\xD0\xBD\xD0\xB2\xD0\xB0\xD1\x80\xD1\x8C",  // январь
                           "\xD1\x84\xD0\xB5\xD0\xB2\xD1\x80\xD0\xB0\xD0\xBB\xD1\x8C",  // февраль
                           "\xD0\xBC\xD0\xB0\xD1\x80\xD1\x82"}) {                       // март
    months.Add(name);
  }
  // "ЯНВ.-МАР." in capitals.
  EXPECT_EQ("\xD1\x8F\xD0\xBD\xD0\xB2\xD0\xB0\xD1\x80\xD1\x8C-\xD0\xBC\xD0\xB0\xD1\x80\xD1\x82",
            Cumulate("\xD0\xAF\xD0\x9D\xD0\x92.-\xD0\x9C\xD0\x90\xD0\xA0.", months));
}

TEST(IssueListTest, BothModesAreStable) {
  StringList months = EnglishMonths();
  const char* inputs[] = {
      "1,2,3,5,6",
      "1-3,4,7-9,8,2",
      "N1,N2,N3,5,6",
      "N5,M5,K7",
      "1-3,N5-N6",
      "N3-7,x,1-3",
      "N1,N2,N3,M5,N7,M4",
      "5,3,N2,1",
      "N2,1-2,N1",
      "3a-7a,N1a-N2a,4,Jan",
      "Jan.-Mar.,May,Jun,Jul,x,Nov-Feb",
      "12a-14a,3,2,1,N3-M4",
      "1-2-3,3a-7,Ma",
      "9,8,7,6,5,4,3,2,1",
      "N2-N4,N1,N6,N5",
      "\x03"
      "1==,\xBF\xBD:2-z\x03"
      "1==,\xBF\xBD:2-22222222,",  // found by fuzzing
  };
  for (const char* input : inputs) {
    for (IssueListMode mode : {IssueListMode::Cumulate, IssueListMode::Expand}) {
      std::string once = NormalizeIssueList(months, input, mode);
      EXPECT_EQ(once, NormalizeIssueList(months, once, mode))
          << input << " mode " << static_cast<int>(mode);
    }
  }
}

}  // namespace
}  // namespace talor
