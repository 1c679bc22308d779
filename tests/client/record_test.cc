#include "client/record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talor {
namespace {

// A good record: MFN, status, version and (tag, value) fields.
StringList MakeRecord(int32_t mfn, std::string status, std::string version,
                      std::vector<std::pair<int32_t, std::string>> fields) {
  StringList record{{"0", 0}, {std::move(status), mfn}, {std::move(version), 0}};
  for (auto& [tag, value] : fields) record.Add(std::move(value), tag);
  return record;
}

// The answer header of ten lines, followed by `lines`.
StringList MakeAnswer(std::vector<std::string> lines) {
  StringList answer;
  for (int i = 0; i < 10; ++i) answer.Add("h");
  for (auto& line : lines) answer.Add(std::move(line));
  return answer;
}

TEST(RecordHeaderTest, NewRecordIsEmptyGoodAndUndeleted) {
  StringList record{{"junk", 5}};
  EXPECT_EQ(0, RecordNew(record));
  EXPECT_EQ((StringList{{"0", 0}, {"0", 0}, {"0", 0}}), record);
  EXPECT_EQ(0, RecordFieldCount(record));
  EXPECT_EQ(0, RecordMfn(record));
  EXPECT_FALSE(RecordIsDeleted(record));
}

TEST(RecordHeaderTest, Mfn) {
  struct Row {
    StringList record;
    int32_t mfn;
  };
  const Row rows[] = {
      {MakeRecord(12, "0", "3", {}), 12},
      {MakeRecord(12, "33", "3", {{200, "a"}}), 12},
      {MakeRecord(12, "-1", "3", {}), 0},  // status is negative
      {MakeRecord(12, "x", "3", {}), 0},   // status is not a number
      {MakeRecord(-4, "0", "3", {}), 0},   // MFN is negative
      {StringList{{"-140", 0}}, -1},       // a record that was not delivered
      {StringList{{"-605", 0}, {"-605", 7}}, -1},
      {StringList{}, -1},
  };
  for (const Row& row : rows) EXPECT_EQ(row.mfn, RecordMfn(row.record)) << row.record.Text();
}

TEST(RecordHeaderTest, DeletionFlagRoundTrip) {
  StringList record = MakeRecord(1, "33", "1", {});
  EXPECT_TRUE(RecordIsDeleted(record));
  EXPECT_EQ(0, RecordUndelete(record));
  EXPECT_EQ("32", record[1].text);
  EXPECT_FALSE(RecordIsDeleted(record));
  EXPECT_EQ(-1, RecordUndelete(record));
  EXPECT_EQ("32", record[1].text);
  EXPECT_EQ(0, RecordMarkDeleted(record));
  EXPECT_EQ("33", record[1].text);
  EXPECT_EQ(-1, RecordMarkDeleted(record));
  EXPECT_EQ("33", record[1].text);
  EXPECT_EQ(1, record[1].object);
}

TEST(RecordHeaderTest, DeletionFlagWithUnreadableStatus) {
  StringList record = MakeRecord(1, "abc", "1", {});
  EXPECT_FALSE(RecordIsDeleted(record));
  EXPECT_EQ(-1, RecordMarkDeleted(record));
  EXPECT_EQ(-1, RecordUndelete(record));
  EXPECT_EQ("abc", record[1].text);

  StringList failed{{"-140", 0}};
  EXPECT_FALSE(RecordIsDeleted(failed));
  EXPECT_EQ(-1, RecordMarkDeleted(failed));
  EXPECT_EQ(1u, failed.size());
}

TEST(RecordHeaderTest, OtherStatusBitsSurvive) {
  StringList record = MakeRecord(1, "64", "1", {});
  EXPECT_EQ(0, RecordMarkDeleted(record));
  EXPECT_EQ("65", record[1].text);
}

TEST(RecordFieldsTest, CountTagAndFind) {
  StringList record = MakeRecord(
      3, "0", "1", {{200, "t"}, {700, "a1"}, {910, "x"}, {700, "a2"}, {610, "s"}, {0, "z"}});
  EXPECT_EQ(6, RecordFieldCount(record));
  EXPECT_EQ(-2, RecordFieldCount(StringList{{"-140", 0}}));

  struct TagRow {
    int field;
    int32_t tag;
  };
  for (TagRow row : {TagRow{1, 200}, {4, 700}, {6, 0}, {0, -1}, {-1, -1}, {7, -1}}) {
    EXPECT_EQ(row.tag, RecordFieldTag(record, row.field)) << "field " << row.field;
  }

  EXPECT_EQ(2, RecordTagCount(record, 700));
  EXPECT_EQ(1, RecordTagCount(record, 0));
  EXPECT_EQ(0, RecordTagCount(record, 999));
  EXPECT_EQ(0, RecordTagCount(record, -1));
  EXPECT_EQ(0, RecordTagCount(StringList{{"-140", 0}}, 0));

  struct FindRow {
    int32_t tag;
    int occurrence;
    int field;
  };
  const FindRow finds[] = {
      {700, 1, 2},  {700, 2, 4},   {700, 3, -1}, {610, 1, 5},  {610, 2, -1},
      {700, 0, -1}, {-700, 1, -1}, {0, 1, 6},    {555, 1, -1},
  };
  for (FindRow row : finds) {
    EXPECT_EQ(row.field, RecordFindField(record, row.tag, row.occurrence))
        << row.tag << "/" << row.occurrence;
  }
}

TEST(RecordFieldsTest, FieldTextWithSubfieldSpecs) {
  StringList record =
      MakeRecord(1, "0", "7", {{200, "Title^aFirst^bSecond^Athird"}, {300, "^a"}, {301, "plain"}});
  struct Row {
    int field;
    std::string spec;
    std::string text;
  };
  const Row rows[] = {
      {1, "a", "third"},  // the upper-case code is tried first
      {1, "ab", "thirdSecond"},
      {1, "ba", "Secondthird"},
      {1, "B", "Second"},  // no ^B: the lower-case code is tried
      {1, "*", "Title"},
      {1, "*ab", "Title"},  // the rest of a `*` spec is ignored
      {1, "", "Title^aFirst^bSecond^Athird"},
      {1, "z", ""},
      {1, "zb", "Second"},
      {2, "a", ""},  // a subfield with an empty value
      {2, "*", ""},
      {3, "*", "plain"},  // no subfields: the leading part is everything
      {3, "a", ""},
      {0, "", "7"},  // field 0 reads the version
      {4, "", ""},
      {-1, "", ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.text, RecordFieldText(record, row.field, row.spec))
        << "field " << row.field << " spec '" << row.spec << "'";
  }
  EXPECT_EQ("", RecordFieldText(StringList{{"-140", 0}}, 0, ""));
}

TEST(RecordFieldsTest, FieldTextUsesCyrillicCaseRules) {
  // Codes are single bytes of the ANSI code page: 0xE0 is а, 0xC0 is А.
  std::string value = std::string("^\xC0") + "upper^\xE0lower";
  StringList record = MakeRecord(1, "0", "1", {{10, value}});
  EXPECT_EQ("upper", RecordFieldText(record, 1, "\xE0"));
}

TEST(RecordFieldsTest, EmptyUpperCaseSubfieldHidesLowerCase) {
  StringList record = MakeRecord(1, "0", "1", {{10, "^A^aLower"}});
  EXPECT_EQ("", RecordFieldText(record, 1, "a"));
}

TEST(RecordFieldsTest, CopySubfield) {
  struct Row {
    std::string value;
    char code;
    int result;
    std::string copied;
  };
  const Row rows[] = {
      {"Title^aFirst^bSecond^Athird", 'a', 0, "First"},  // exact case
      {"Title^aFirst^bSecond^Athird", 'A', 0, "third"},
      {"Title^aFirst^bSecond", 'b', 0, "Second"},
      {"^a", 'a', 0, ""},
      {"^a^b", 'a', 0, ""},
      {"^b1^a2^a3", 'a', 0, "2"},
      {"Title", 'a', -1, "unchanged"},
      {"", 'a', -1, "unchanged"},
      {"^", 'a', -1, "unchanged"},
  };
  for (const Row& row : rows) {
    std::string destination = "unchanged";
    EXPECT_EQ(row.result, CopySubfield(row.value, destination, row.code)) << row.value;
    EXPECT_EQ(row.copied, destination) << row.value;
  }
}

TEST(RecordEditTest, InsertPositions) {
  struct Row {
    int field;
    std::vector<int32_t> tags;
  };
  const Row rows[] = {
      {0, {1, 2, 3, 9}},  {-5, {1, 2, 3, 9}}, {4, {1, 2, 3, 9}},
      {99, {1, 2, 3, 9}}, {1, {9, 1, 2, 3}},  {3, {1, 2, 9, 3}},
  };
  for (const Row& row : rows) {
    StringList record = MakeRecord(5, "0", "1", {{1, "a"}, {2, "b"}, {3, "c"}});
    EXPECT_EQ(0, RecordInsertField(record, 9, row.field, "new"));
    std::vector<int32_t> tags;
    for (int f = 1; f <= RecordFieldCount(record); ++f) tags.push_back(RecordFieldTag(record, f));
    EXPECT_EQ(row.tags, tags) << "field " << row.field;
    EXPECT_EQ("new", RecordFieldText(record, RecordFindField(record, 9, 1), ""));
  }
}

TEST(RecordEditTest, InsertIntoUndeliveredRecordIsRefused) {
  StringList failed{{"-605", 0}, {"-605", 12}};
  EXPECT_EQ(-1, RecordInsertField(failed, 200, 0, "x"));
  EXPECT_EQ(2u, failed.size());
}

TEST(RecordEditTest, InsertIntoNewRecord) {
  StringList record;
  RecordNew(record);
  EXPECT_EQ(0, RecordInsertField(record, 200, 1, "first"));
  EXPECT_EQ(1, RecordFieldCount(record));
  EXPECT_EQ("first", record[3].text);
  EXPECT_EQ("0", record[2].text);
}

TEST(RecordEditTest, SetFieldWithEmptyValueRenumbers) {
  StringList record = MakeRecord(5, "0", "1", {{1, "a"}, {2, "b"}, {3, "c"}});
  EXPECT_EQ(0, RecordSetField(record, 2, "B"));
  EXPECT_EQ("B", RecordFieldText(record, 2, ""));
  EXPECT_EQ(0, RecordSetField(record, 1, ""));
  EXPECT_EQ(2, RecordFieldCount(record));
  EXPECT_EQ(2, RecordFieldTag(record, 1));
  EXPECT_EQ(3, RecordFieldTag(record, 2));
  EXPECT_EQ(-1, RecordSetField(record, 3, "x"));
  EXPECT_EQ(-1, RecordSetField(record, 0, "x"));
  EXPECT_EQ("1", record[2].text);  // field 0 (the version) is never written
}

TEST(RecordEditTest, PutFieldKeepsEmptyValue) {
  StringList record = MakeRecord(5, "0", "1", {{1, "a"}, {2, "b"}});
  EXPECT_EQ(0, RecordPutField(record, 1, ""));
  EXPECT_EQ(2, RecordFieldCount(record));
  EXPECT_EQ("", RecordFieldText(record, 1, ""));
  EXPECT_EQ(1, RecordFieldTag(record, 1));
  EXPECT_EQ(-1, RecordPutField(record, 3, "x"));
  EXPECT_EQ(-1, RecordPutField(record, -1, "x"));
}

TEST(RecordEditTest, TruncateKeepsHeader) {
  StringList record = MakeRecord(5, "0", "1", {{1, "a"}, {2, "b"}});
  StringList header = MakeRecord(5, "0", "1", {});
  RecordTruncate(record);
  EXPECT_EQ(header, record);
  RecordTruncate(record);
  EXPECT_EQ(header, record);
  StringList failed{{"-140", 0}};
  RecordTruncate(failed);
  EXPECT_EQ(1u, failed.size());
}

TEST(RecordTextFormsTest, OneLineForm) {
  StringList record = MakeRecord(12, "0", "3", {{200, "^aName"}});
  EXPECT_EQ(std::string("12#0\x1f\x1e"
                        "0#3\x1f\x1e"
                        "200#^aName\x1f\x1e"),
            RecordToLine(record));
}

TEST(RecordTextFormsTest, WireLinesSkipResultCode) {
  StringList record = MakeRecord(12, "32", "3", {{200, "^aName"}, {0, "zero tag"}});
  record[0].text = "-3";
  StringList wire{{"stale", 1}};
  EXPECT_EQ(0, RecordToWire(wire, record));
  EXPECT_EQ((StringList{{"12#32", 0}, {"0#3", 0}, {"200#^aName", 0}, {"0#zero tag", 0}}), wire);
}

TEST(RecordTextFormsTest, RecordsThatCannotTravelAsLines) {
  struct Row {
    const char* name;
    StringList record;
  };
  const Row rows[] = {
      {"not delivered", StringList{{"-140", 0}}},
      {"absent with MFN", StringList{{"-605", 0}, {"-605", 12}}},
      {"LF in a value", MakeRecord(1, "0", "1", {{200, "two\nlines"}})},
      {"CR in a value", MakeRecord(1, "0", "1", {{200, "two\rlines"}})},
      {"byte 30 in a value", MakeRecord(1, "0", "1",
                                        {{200,
                                          "a\x1e"
                                          "b"}})},
      {"byte 31 in the version", MakeRecord(1, "0", "1\x1f", {})},
  };
  for (const Row& row : rows) {
    StringList wire{{"stale", 1}};
    EXPECT_EQ(-1, RecordToWire(wire, row.record)) << row.name;
    EXPECT_TRUE(wire.empty()) << row.name;
    EXPECT_EQ("", RecordToLine(row.record)) << row.name;
  }
}

TEST(RecordTextFormsTest, RecordTextRestoresRecord) {
  std::vector<StringList> records = {
      MakeRecord(12, "0", "3", {{200, "^aName"}}),
      MakeRecord(7, "65", "1", {{200, "a#b#c"}, {700, ""}, {0, "zero"}, {-3, "negative tag"}}),
      MakeRecord(0, "0", "0", {}),
      StringList{{"-140", 0}},
      StringList{{"-605", 0}, {"-605", 12}},
      StringList{{"", 0}, {"0", 5}, {"", 0}, {"\xD0\x9F\xD1\x80\xD0\xB8", 200}},
  };
  for (const StringList& record : records) {
    StringList restored{{"stale", 9}};
    RecordFromText(RecordToText(record), restored);
    EXPECT_EQ(record, restored) << record.Text();
  }
}

TEST(RecordTextFormsTest, RecordTextIsOneLineFormWithResultCode) {
  StringList record = MakeRecord(12, "0", "3", {{200, "^aName"}});
  EXPECT_EQ(std::string("0\x1f\x1e") + RecordToLine(record), RecordToText(record));
}

TEST(RecordTextFormsTest, RecordFromTextLenientLines) {
  StringList record;
  RecordFromText(
      "0\x1f\x1e"
      "12#0\x1f\x1e"
      "0#3\x1f\x1e"
      "905\x1f\x1e"
      "abc#x\x1f\x1e"
      "junk",
      record);
  EXPECT_EQ((StringList{{"0", 0}, {"0", 12}, {"3", 0}, {"", 905}, {"x", 0}, {"", 0}}), record);
}

TEST(RecordTextFormsTest, RecordFromTextAcceptsPlainLineBreaks) {
  StringList record;
  RecordFromText("0\r\n5#0\n0#1\r200#v", record);
  EXPECT_EQ((StringList{{"0", 0}, {"0", 5}, {"1", 0}, {"v", 200}}), record);
  RecordFromText("", record);
  EXPECT_TRUE(record.empty());
}

TEST(RecordFromAnswerTest, Answers) {
  struct Row {
    const char* name;
    std::vector<std::string> lines;  // from line 10 on
    StringList record;
  };
  const Row rows[] = {
      {"error code alone", {"-140"}, {{"-140", 0}}},
      {"absent record", {"-605"}, {{"-605", 0}}},
      {"good record",
       {"0", "12#0", "0#3", "200#^aName"},
       {{"0", 0}, {"0", 12}, {"3", 0}, {"^aName", 200}}},
      {"status parts are summed", {"0", "12#32#1", "0#3"}, {{"0", 0}, {"33", 12}, {"3", 0}}},
      {"empty last status part", {"0", "12#32#", "0#3"}, {{"0", 0}, {"32", 12}, {"3", 0}}},
      {"no status part", {"0", "12", "0#3"}, {{"0", 0}, {"0", 12}, {"3", 0}}},
      {"value keeps later #",
       {"0", "1#0", "0#1", "200#a#b"},
       {{"0", 0}, {"0", 1}, {"1", 0}, {"a#b", 200}}},
      {"line without # is a tag",
       {"0", "1#0", "0#1", "905"},
       {{"0", 0}, {"0", 1}, {"1", 0}, {"", 905}}},
      {"non-zero code with a record", {"-3", "1#0", "0#1"}, {{"-3", 0}, {"0", 1}, {"1", 0}}},
      {"non-zero code with MFN line only", {"-3", "1#0"}, {{"-3", 0}, {"0", 1}}},
      {"zero code alone", {"0"}, {{"0", 0}, {"-2222", 0}}},
      {"unreadable MFN", {"0", "x#0", "0#1"}, {{"0", 0}, {"-2222", 0}}},
      {"unreadable status part", {"0", "1#0#y", "0#1"}, {{"0", 0}, {"-2222", 0}}},
      {"empty middle status part", {"0", "1##1", "0#1"}, {{"0", 0}, {"-2222", 0}}},
      {"status sum overflows", {"0", "1#2147483647#1", "0#1"}, {{"0", 0}, {"-2222", 0}}},
      {"unreadable tag keeps earlier lines",
       {"0", "1#0", "0#1", "200#a", "2x0#b", "300#c"},
       {{"0", 0}, {"0", 1}, {"1", 0}, {"a", 200}, {"-2222", 0}}},
      {"empty field line", {"0", "1#0", "0#1", ""}, {{"0", 0}, {"0", 1}, {"1", 0}, {"-2222", 0}}},
      {"unreadable return code", {"oops", "1#0", "0#1"}, {{"oops", 0}, {"-2222", 0}}},
  };
  for (const Row& row : rows) {
    StringList record{{"stale", 3}};
    EXPECT_EQ(0, RecordFromAnswer(MakeAnswer(row.lines), record)) << row.name;
    EXPECT_EQ(row.record, record) << row.name;
  }
}

TEST(RecordFromAnswerTest, AnswerWithoutReturnCode) {
  StringList record;
  EXPECT_EQ(0, RecordFromAnswer(MakeAnswer({}), record));
  EXPECT_EQ((StringList{{"-2222", 0}}), record);
  EXPECT_EQ(0, RecordFromAnswer(StringList{}, record));
  EXPECT_EQ((StringList{{"-2222", 0}}), record);
}

}  // namespace
}  // namespace talor
