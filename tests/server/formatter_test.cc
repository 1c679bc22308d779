#include "server/formatter.h"

#include <gtest/gtest.h>

#include "server/return_codes.h"

namespace talor::server {
namespace {

const StoredRecord kRecord{7,
                           0,
                           3,
                           {{200, "^AWar and peace^Enovel"},
                            {700, "^ATolstoy^BL."},
                            {610, "war"},
                            {610, "history"},
                            {953, "^AGIF^TCover^Bdata"}}};

std::string Format(std::string_view text) {
  BasicFormatter formatter;
  FormatOutput output = formatter.Format(kRecord, "DEMO", text);
  return output.code == 0 ? output.text : "error " + std::to_string(output.code);
}

TEST(BasicFormatterTest, FieldSelectionsAndLiterals) {
  struct Row {
    std::string_view format;
    std::string_view output;
  };
  const Row rows[] = {
      {"mfn", "7"},
      {"v200^a", "War and peace"},
      {"v200^A", "War and peace"},
      {"v200^*", ""},
      {"v700^a,', 'v700^b", "Tolstoy, L."},
      {"|T=|v200^a", "T=War and peace"},
      {"|T=|v999", ""},  // a conditional literal needs its field
      {"'<b>'v999'</b>'", "<b></b>"},
      {"v610", "war; history"},
      {"(|K=|v610/)", "K=war\r\nK=history"},
      {"(v999/)", ""},
      {"v200^e#v610", "novel\r\nwar; history"},
      {"mpl,v700^a", "Tolstoy"},
      {"&uf('AV953#1')", "^AGIF^TCover^Bdata"},
      {"&uf('AV953#2')", ""},
      {"&uf('+7'),v700^a", "Tolstoy"},  // other keys print nothing
      {"&UNIFOR('+0')",
       "7#0\r\n0#3\r\n200#^AWar and peace^Enovel\r\n700#^ATolstoy^BL.\r\n610#war\r\n"
       "610#history\r\n953#^AGIF^TCover^Bdata"},
  };
  for (const Row& row : rows) EXPECT_EQ(Format(row.format), row.output) << row.format;
}

TEST(BasicFormatterTest, ConstructsItCannotRunAreReportedNotGuessed) {
  const char* formats[] = {
      "if p(v200) then 'x' fi", "'unclosed", "(v200", "ref(1,v200)", "&uf('+0'", "v"};
  for (const char* format : formats)
    EXPECT_EQ(Format(format), "error " + std::to_string(Code(ReturnCode::FormatFailed))) << format;
}

TEST(BasicFormatterTest, DeepGroupsAreBounded) {
  std::string deep(20, '(');
  deep += "v200";
  deep += std::string(20, ')');
  EXPECT_EQ(Format(deep), "error " + std::to_string(Code(ReturnCode::FormatFailed)));
}

// A nested group repeats by its own occurrences. Counting what it printed
// as printed by the enclosing group's pass made that group repeat to its
// limit, and nested groups multiplied the limits into a hang.
TEST(BasicFormatterTest, NestedGroupsRepeatByTheirOwnOccurrences) {
  EXPECT_EQ(Format("(v610' '(v200^a/))"), "war War and peace\r\nhistory War and peace");
  EXPECT_EQ(Format("((v610/)v999)"), "");
  EXPECT_EQ(Format(",((v200((v200/)v2/)v200/),(v2\x07n"),
            "error " + std::to_string(Code(ReturnCode::FormatFailed)));
}

TEST(BasicFormatterTest, PassesOfNestedGroupsAreBoundedTogether) {
  StoredRecord record{1, 0, 1, {}};
  for (int i = 0; i < 12; ++i) record.fields.push_back({1, "x"});
  BasicFormatter formatter;
  // 13 passes a level, seven levels: far more passes than one format may take.
  FormatOutput output = formatter.Format(record, "DEMO", "(v1(v1(v1(v1(v1(v1(v1)))))))");
  EXPECT_EQ(output.code, Code(ReturnCode::FormatFailed));
  EXPECT_EQ(formatter.Format(record, "DEMO", "(v1(v1))").text.size(), 12u * 13u);
}

}  // namespace
}  // namespace talor::server
