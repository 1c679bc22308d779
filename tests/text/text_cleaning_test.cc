#include "text/text_cleaning.h"

#include <gtest/gtest.h>

namespace talor {
namespace {

StringList Record(std::initializer_list<ListLine> fields) {
  StringList record{{"0", 0}, {"0", 12}, {"1", 0}};
  for (const ListLine& field : fields) record.Add(field.text, field.object);
  return record;
}

TEST(CleanRecordTest, RemovesEmptyFieldsAndCountsThem) {
  StringList record = Record({{"", 100}, {"keep", 200}, {"", 300}, {"", 300}});
  EXPECT_EQ(3, CleanRecord(record));
  EXPECT_EQ(Record({{"keep", 200}}), record);
}

TEST(CleanRecordTest, ReplacesControlCharactersByABlank) {
  StringList record = Record({{"a\tb\x01"
                               "c\x1F",
                               200},
                              {std::string("x\0y", 3), 201}});
  EXPECT_EQ(0, CleanRecord(record));
  EXPECT_EQ(Record({{"a b c ", 200}, {"x y", 201}}), record);
}

TEST(CleanRecordTest, RemovesTheNoiseMarkerUntilNoneIsLeft) {
  struct Row {
    const char* value;
    const char* expected;
  } rows[] = {
      {"a&&&&&b", "ab"},
      {"&&&&&&&&&&", ""},
      {"&&&&", "&&&&"},
      {"&&&&&&", "&"},
      {"&&&&&&&&&&&", "&"},
      {"&&&&&&&&&&&&&&&x", "x"},
      {"&&&&a&&&&&&", "&&&&a&"},
      {"&&&&&&&&&&x", "x"},  // a run of ten is two markers
      {"&&&&&&&&&&&&&&&&&&&&&&&&&", ""},
  };
  for (const Row& row : rows) {
    StringList record = Record({{row.value, 10}});
    int removed = CleanRecord(record);
    if (*row.expected == '\0') {
      EXPECT_EQ(1, removed) << row.value;
      EXPECT_EQ(3, record.Count()) << row.value;
    } else {
      EXPECT_EQ(0, removed) << row.value;
      EXPECT_EQ(row.expected, record[3].text) << row.value;
    }
  }
}

TEST(CleanRecordTest, LeavesTheHeaderAlone) {
  StringList record{{"", 0}, {"", 12}, {"", 0}};
  EXPECT_EQ(0, CleanRecord(record));
  EXPECT_EQ(3, record.Count());
  StringList failed{{"-140", 0}};
  EXPECT_EQ(0, CleanRecord(failed));
  EXPECT_EQ((StringList{{"-140", 0}}), failed);
}

TEST(TextCleaningTest, SmallHelpers) {
  EXPECT_EQ("---", RepeatChar('-', 3));
  EXPECT_EQ("", RepeatChar('-', 0));
  EXPECT_EQ("", RepeatChar('-', -2));
  EXPECT_EQ("a_b_ \x7F\x80", ReplaceControlChars("a\rb\n \x7F\x80", '_'));
  // CP866 "Ёж" and a box-drawing character Windows-1251 lacks.
  EXPECT_EQ("\xA8\xE6?", OemToAnsiText("\xF0\xA6\xB3"));
}

}  // namespace
}  // namespace talor
