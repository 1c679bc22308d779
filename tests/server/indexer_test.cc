#include "server/indexer.h"

#include <gtest/gtest.h>

namespace talor::server {
namespace {

std::string Show(const IndexEntries& entries) {
  std::string text;
  for (const IndexTerm& t : entries.terms) {
    if (!text.empty()) text += " ";
    text += t.term + "/" + std::to_string(t.tag) + "." + std::to_string(t.occurrence) + "." +
            std::to_string(t.position);
  }
  return text;
}

std::string Extract(const StoredRecord& record, std::string_view fst,
                    std::string_view stopWords = "") {
  BasicFormatter formatter;
  return Show(ExtractTerms(record, "DEMO", ParseFst(fst), ParseStopWords(stopWords), formatter));
}

const StoredRecord kBook{1,
                         0,
                         1,
                         {{200, "^AВойна и мир^Eроман"},
                          {700, "^AТолстой^BЛ. Н."},
                          {610, "war history"},
                          {610, "Epic"}}};

TEST(IndexerTest, MethodsPrefixesOccurrencesAndPositions) {
  struct Row {
    std::string_view fst;
    std::string_view terms;
  };
  const Row rows[] = {
      {"200 0 |T=|v200^a", "T=ВОЙНА И МИР/200.1.1"},
      {"200 4 |K=|v200^a", "K=ВОЙНА/200.1.1 K=МИР/200.1.2"},  // stop word И takes no position
      {"610 4 (|K=|v610/)", "K=WAR/610.1.1 K=HISTORY/610.1.2 K=EPIC/610.2.1"},
      {"700 0 (|A=|v700^a/)", "A=ТОЛСТОЙ/700.1.1"},
      {"610 4 v610", "WAR/610.1.1 HISTORY/610.1.2 EPIC/610.1.3"},  // no prefix, one line
      {"200 4 v200", "ВОЙНА/200.1.1 МИР/200.1.2 РОМАН/200.1.3"},   // subfield codes do not stick
      {"999 0 v999", ""},
      {"200 0 if p(v200)", ""},  // a format that does not run adds nothing
  };
  for (const Row& row : rows) EXPECT_EQ(Extract(kBook, row.fst, "И\n"), row.terms) << row.fst;
}

TEST(IndexerTest, DeletedRecordHasNoTermsAndNoFullText) {
  StoredRecord deleted = kBook;
  deleted.status = kStatusDeleted;
  BasicFormatter formatter;
  IndexEntries entries = ExtractTerms(deleted, "DEMO", ParseFst("200 0 v200"), {}, formatter);
  EXPECT_TRUE(entries.terms.empty());
  EXPECT_TRUE(entries.fullText.empty());
}

TEST(IndexerTest, FstSkipsCommentsAndBrokenLines) {
  std::vector<FstLine> lines = ParseFst(
      "* comment\n\n; another\n200 0 v200\nabc 0 v1\n300 x v3\n0 0 v1\n400\n500 4  'K='v500 \n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].tag, 200);
  EXPECT_EQ(lines[1].tag, 500);
  EXPECT_EQ(lines[1].method, kMethodWords);
  EXPECT_EQ(lines[1].format, "'K='v500");
}

TEST(IndexerTest, WordsSplitLettersFromDigits) {
  std::vector<std::string_view> words = SplitIndexWords("abc123def, Мир-2024 ..x");
  std::vector<std::string_view> expected = {"abc", "123", "def", "Мир", "2024", "x"};
  EXPECT_EQ(words, expected);
}

TEST(IndexerTest, LongTermsAreCutAtACharacterBoundary) {
  std::string word;
  for (int i = 0; i < 200; ++i) word += "я";  // two bytes each
  std::string term = NormalizeTerm("K=" + word);
  EXPECT_LE(term.size(), kMaxTermBytes);
  EXPECT_EQ(term.size() % 2, 0u);  // "K=" plus whole two-byte letters
}

TEST(IndexerTest, FullTextLeavesOutImagesAndSubfieldCodes) {
  StoredRecord record{1, 0, 1, {{200, "^AWar^Bpeace"}, {953, "^AGIF^Bsecret"}}};
  EXPECT_EQ(FullTextBody(record), " War peace\n");
}

}  // namespace
}  // namespace talor::server
