#include "client/text_exchange.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/record.h"
#include "exchange_test_records.h"

namespace talor {
namespace {

using testing::FieldsRecord;
using testing::SampleRecords;

struct ReadResult {
  std::vector<StringList> records;
  std::vector<TextExchangeIssue> issues;
};

ReadResult ReadAll(std::string_view text) {
  ReadResult result;
  TextExchangeReader reader(text);
  StringList record;
  while (reader.Next(record)) result.records.push_back(record);
  result.issues = reader.issues();
  return result;
}

TEST(TextExchangeWriteTest, FieldLinesAndClosingLine) {
  StringList record = FieldsRecord({{200, "^Aabc"}, {700, "^Ax"}});
  record[1].object = 17;  // the MFN does not travel
  std::string out = "before\r\n";
  WriteTextRecord(record, out);
  EXPECT_EQ("before\r\n#200: ^Aabc\r\n#700: ^Ax\r\n*****\r\n", out);

  out.clear();
  WriteTextRecord(FieldsRecord({}), out);
  EXPECT_EQ("*****\r\n", out);
}

TEST(TextExchangeReadTest, RoundTrip) {
  std::string text;
  for (const StringList& record : SampleRecords()) WriteTextRecord(record, text);
  ReadResult result = ReadAll(text);
  EXPECT_EQ(SampleRecords(), result.records);
  EXPECT_TRUE(result.issues.empty());
}

TEST(TextExchangeReadTest, LineForms) {
  struct Row {
    const char* name;
    std::string text;
    std::vector<StringList> records;
    std::vector<int> issueLines;
  };
  const Row rows[] = {
      {"LF line ends", "#1: a\n#2: b\n*****\n", {FieldsRecord({{1, "a"}, {2, "b"}})}, {}},
      {"CR line ends", "#1: a\r#2: b\r*****\r", {FieldsRecord({{1, "a"}, {2, "b"}})}, {}},
      {"continuation lines join without separator",
       "#1: first \r\nsecond\r\nthird\r\n*****\r\n",
       {FieldsRecord({{1, "first secondthird"}})},
       {}},
      {"empty lines are skipped",
       "\r\n#1: a\r\n\r\n#2: b\r\n\r\n*****\r\n\r\n",
       {FieldsRecord({{1, "a"}, {2, "b"}})},
       {}},
      {"empty value", "#1: \r\n*****\r\n", {FieldsRecord({{1, ""}})}, {}},
      {"value keeps its colon and blanks",
       "#1: a: b  \r\n*****\r\n",
       {FieldsRecord({{1, "a: b  "}})},
       {}},
      {"repeated tags keep their order",
       "#7: a\r\n#3: b\r\n#7: c\r\n*****\r\n",
       {FieldsRecord({{7, "a"}, {3, "b"}, {7, "c"}})},
       {}},
      {"last record without closing line keeps its last line",
       "#1: a\r\n*****\r\n#2: b\r\n#3: c",
       {FieldsRecord({{1, "a"}}), FieldsRecord({{2, "b"}, {3, "c"}})},
       {}},
      {"closing line alone is no record",
       "*****\r\n*****\r\n#1: a\r\n",
       {FieldsRecord({{1, "a"}})},
       {}},
      {"byte order mark", "\xEF\xBB\xBF#1: a\r\n*****\r\n", {FieldsRecord({{1, "a"}})}, {}},
      {"tag zero continues the field before",
       "#1: a\r\n#0: b\r\n*****\r\n",
       {FieldsRecord({{1, "a#0: b"}})},
       {2}},
      {"missing blank after colon continues",
       "#1: a\r\n#2:b\r\n*****\r\n",
       {FieldsRecord({{1, "a#2:b"}})},
       {2}},
      {"negative tag continues", "#1: a\r\n#-2: b\r\n", {FieldsRecord({{1, "a#-2: b"}})}, {2}},
      {"huge tag continues",
       "#1: a\r\n#99999999999: b\r\n",
       {FieldsRecord({{1, "a#99999999999: b"}})},
       {2}},
      {"line before any field is reported and skipped",
       "junk\r\n#1: a\r\n*****\r\nmore junk\r\n#2: b\r\n",
       {FieldsRecord({{1, "a"}}), FieldsRecord({{2, "b"}})},
       {1, 4}},
      {"blanks after the closing line",
       "#1: a\r\n*****  \r\n#2: b\r\n***** \t\r\n",
       {FieldsRecord({{1, "a"}}), FieldsRecord({{2, "b"}})},
       {}},
      {"other stars continue the value",
       "#1: a\r\n****\r\n ***** \r\n",
       {FieldsRecord({{1, "a**** ***** "}})},
       {}},
      {"empty input", "", {}, {}},
      {"only blank lines", "\r\n\n\r", {}, {}},
  };
  for (const Row& row : rows) {
    ReadResult result = ReadAll(row.text);
    EXPECT_EQ(row.records, result.records) << row.name;
    std::vector<int> issueLines;
    for (const TextExchangeIssue& issue : result.issues) {
      issueLines.push_back(issue.line);
      EXPECT_FALSE(issue.message.empty()) << row.name;
    }
    EXPECT_EQ(row.issueLines, issueLines) << row.name;
  }
}

TEST(TextExchangeReadTest, IssueQuotesTheLine) {
  ReadResult result = ReadAll("stray text\r\n#1: a\r\n");
  ASSERT_EQ(1u, result.issues.size());
  EXPECT_NE(std::string::npos, result.issues[0].message.find("«stray text»"));
}

TEST(TextExchangeReadTest, NextAtEndLeavesRecordUnchanged) {
  TextExchangeReader reader("#1: a\r\n");
  StringList record;
  ASSERT_TRUE(reader.Next(record));
  StringList kept = record;
  EXPECT_FALSE(reader.Next(record));
  EXPECT_EQ(kept, record);
}

// The line that follows field `line` of record `record` in the written form.
std::string LineAfter(const StringList& record, size_t line) {
  if (line + 1 >= record.size()) return "*****";
  return "#" + std::to_string(record[line + 1].object) + ": " + record[line + 1].text;
}

TEST(TextExchangeReadTest, TruncatedAtEveryByteLosesOnlyTheCutTail) {
  std::vector<StringList> originals = SampleRecords();
  std::string text;
  for (const StringList& record : originals) WriteTextRecord(record, text);
  for (size_t cut = 0; cut <= text.size(); ++cut) {
    ReadResult result = ReadAll(std::string_view(text).substr(0, cut));
    ASSERT_LE(result.records.size(), originals.size()) << cut;
    for (size_t r = 0; r < result.records.size(); ++r) {
      const StringList& got = result.records[r];
      const StringList& want = originals[r];
      ASSERT_LE(got.size(), want.size()) << cut;
      for (size_t line = 0; line < got.size(); ++line) {
        EXPECT_EQ(want[line].object, got[line].object) << cut;
        if (r + 1 < result.records.size() || line + 1 < got.size()) {
          EXPECT_EQ(want[line].text, got[line].text) << cut;
          continue;
        }
        // The very last value read is cut short, or complete and followed by
        // the cut beginning of the next line, taken as a continuation.
        const std::string& value = got[line].text;
        std::string whole = want[line].text + LineAfter(want, line);
        EXPECT_EQ(0u, whole.rfind(value, 0)) << cut << ": " << value;
      }
    }
  }
}

}  // namespace
}  // namespace talor
