#include "navigator/record_entry.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "client/record.h"

namespace talor {
namespace {

using Fields = std::vector<std::pair<int32_t, std::string>>;

// A stored record: MFN 15, version 4, the given fields.
StringList Stored(const Fields& fields) {
  StringList record;
  RecordNew(record);
  record[1].object = 15;
  record[2].text = "4";
  for (const auto& [tag, value] : fields) RecordInsertField(record, tag, 0, value);
  return record;
}

Fields FieldsOf(const StringList& record) {
  Fields fields;
  for (int field = 1; field <= RecordFieldCount(record); ++field) {
    fields.emplace_back(RecordFieldTag(record, field), RecordFieldText(record, field, ""));
  }
  return fields;
}

std::vector<EntryInput> Inputs(std::string_view query) {
  ParameterSet params;
  ParseNavigationParams("TALOR:6,,DEMO?" + std::string(query), "", NavigatorSettings(), "", params);
  return ReadEntryInputs(params, "R21STR");
}

Fields Applied(std::string_view query, int32_t entryMfn, bool merge, const Fields& start) {
  StringList record = Stored(start);
  if (entryMfn == 0) RecordNew(record);
  ApplyEntryInputs(Inputs(query), entryMfn, merge, record);
  return FieldsOf(record);
}

TEST(RecordEntryTest, InputNameGivesTagAndPosition) {
  struct Row {
    std::string_view prefix;
    int32_t tag;
    int position;
  };
  const Row rows[] = {
      {"700_2", 700, 2}, {"x200_1", 200, 1}, {"610", 610, 0}, {"in_910_3", 910, 3},
      {"200_", 200, 0},  {"200_x", 200, 0},  {"a1b_2", 0, 2}, {"", 0, 0},
      {"new", 0, 0},     {"_5", 5, 0},       {"0_1", 0, 1},
  };
  for (const Row& row : rows) {
    const EntryInput input = ParseEntryInputName(row.prefix);
    EXPECT_EQ(row.tag, input.tag) << row.prefix;
    EXPECT_EQ(row.position, input.position) << row.prefix;
  }
}

TEST(RecordEntryTest, InputsAreTheParametersNamingTheMarker) {
  EXPECT_EQ((std::vector<EntryInput>{{200, 1, "War"}, {700, 0, "a%b"}, {0, 0, ""}, {610, 0, "x"}}),
            Inputs("200_1R21STR=War&OTHER=1&x700r21str=a%25b&R21STR=&ENTRY_MFN=3&610R21STR=x"));

  // Another configured marker; the query's pairs before the form's.
  ParameterSet params;
  ParseNavigationParams("TALOR:6?1ENTRY=a",
                        "--b\r\nContent-Disposition: form-data; name=\"2_1ENTRY\"\r\n\r\nb",
                        NavigatorSettings(), "", params);
  EXPECT_EQ((std::vector<EntryInput>{{1, 0, "a"}, {2, 1, "b"}}), ReadEntryInputs(params, "ENTRY"));
  EXPECT_TRUE(ReadEntryInputs(params, "").empty());
}

TEST(RecordEntryTest, MergeReplacesTheNamedFieldAndAppendsTheRest) {
  const Fields start = {{200, "Война и мир"}, {700, "^AТолстой"}, {610, "роман"}};
  EXPECT_EQ((Fields{{200, "Война и мир"}, {700, "a"}, {610, "роман"}, {700, "b"}}),
            Applied("700_2R21STR=a%25b", 15, true, start));
  // Field 2 has another tag: nothing is replaced.
  EXPECT_EQ(
      (Fields{{200, "Война и мир"}, {700, "^AТолстой"}, {610, "роман"}, {701, "a"}, {701, "b"}}),
      Applied("701_2R21STR=a%25b", 15, true, start));
  // A position beyond the fields, or none, appends.
  EXPECT_EQ(
      (Fields{
          {200, "Война и мир"}, {700, "^AТолстой"}, {610, "роман"}, {610, "война"}, {610, "мир"}}),
      Applied("610_9R21STR=война&610R21STR=%25мир", 15, true, start));
  // An empty first occurrence removes its field; tag 0 is no input.
  EXPECT_EQ(
      (Fields{{200, "Анна Каренина"}, {700, "^AТолстой"}}),
      Applied("x200_1R21STR=Анна Каренина&610_3R21STR=&R21STR=z&0_2R21STR=z", 15, true, start));
}

TEST(RecordEntryTest, MergePositionsNameTheFieldsAsRead) {
  // The first input appends; the second still finds field 3 where it was.
  const Fields start = {{200, "T"}, {610, "a"}, {610, "b"}};
  EXPECT_EQ((Fields{{200, "T"}, {610, "a"}, {610, "B"}, {610, "c"}}),
            Applied("610R21STR=c&610_3R21STR=B", 15, true, start));
}

TEST(RecordEntryTest, WholeRecordReplacesEveryField) {
  const Fields start = {{200, "old"}, {700, "old author"}, {910, "^B1"}};
  EXPECT_EQ((Fields{{200, "a"}, {200, "b"}, {610, "x"}}),
            Applied("200_1R21STR=a%25%25b&610_7R21STR=x&R21STR=y", 15, false, start));
  // Merge needs a stored record: a new one always takes the whole form.
  EXPECT_EQ((Fields{{700, "a"}, {700, "b"}}), Applied("700_1R21STR=a%25b", 0, true, {}));
  // Nothing in the form: nothing left.
  EXPECT_EQ(Fields{}, Applied("200R21STR=&610R21STR=%25", 15, false, start));
}

TEST(RecordEntryTest, WholeRecordKeepsTheHeader) {
  StringList record = Stored({{200, "old"}});
  ApplyEntryInputs(Inputs("200R21STR=new"), 15, false, record);
  EXPECT_EQ(15, RecordMfn(record));
  EXPECT_EQ("4", record[2].text);
  EXPECT_EQ((Fields{{200, "new"}}), FieldsOf(record));
}

TEST(RecordEntryTest, DeletionKeepsTheFieldsButCleansThem) {
  const Fields start = {{200, "War\tand Peace"}, {610, ""}};
  EXPECT_EQ((Fields{{200, "War and Peace"}}), Applied("200_1R21STR=other", -15, true, start));
  EXPECT_EQ((Fields{{200, "War and Peace"}}), Applied("200_1R21STR=other", -15, false, start));
}

TEST(RecordEntryTest, ValuesAreCleaned) {
  EXPECT_EQ((Fields{{200, "a b"}, {610, "c"}}),
            Applied("200R21STR=a%09b&610R21STR=c%26%26%26%26%26", 0, false, {}));
}

StringList Lines(std::initializer_list<const char*> texts) {
  StringList lines;
  for (const char* text : texts) lines.Add(text);
  return lines;
}

TEST(RecordEntryTest, CheckLevels) {
  struct Row {
    StringList output;
    CheckLevel level;
    std::string message;
  };
  const Row rows[] = {
      {{}, CheckLevel::kPass, ""},
      {Lines({"", "0всё в порядке", "0"}), CheckLevel::kPass, ""},
      {Lines({"", "", "2Не указан год"}), CheckLevel::kWarning, "Не указан год "},
      {Lines({"1Нет заглавия"}), CheckLevel::kBlock, "Нет заглавия "},
      // One blocking line blocks, wherever it stands.
      {Lines({"1Нет заглавия", "0", "2Не указан год"}), CheckLevel::kBlock,
       "Нет заглавия Не указан год "},
      {Lines({"2Не указан год", "1Нет заглавия"}), CheckLevel::kBlock,
       "Не указан год Нет заглавия "},
      // Any other first character warns; a line of one character adds a blank.
      {Lines({"2", "x"}), CheckLevel::kWarning, "  "},
  };
  for (const Row& row : rows) {
    const CheckVerdict verdict = ReadCheckVerdict(row.output);
    EXPECT_EQ(row.level, verdict.level) << row.output.Text();
    EXPECT_EQ(row.message, verdict.message) << row.output.Text();
  }
}

}  // namespace
}  // namespace talor
