#include "server/stored_record.h"

#include <gtest/gtest.h>

#include <string>

#include "text/decimal_inputs.h"

namespace talor::server {
namespace {

// The one-line form of `lines`: each followed by CR LF, then encoded.
std::string OneLine(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    text += line;
    text += "\x1f\x1e";
  }
  return text;
}

TEST(ParseOneLineRecordTest, ReadsHeaderAndFieldsInOrder) {
  std::optional<StoredRecord> record =
      ParseOneLineRecord(OneLine({"12#0", "0#3", "200#^aName", "700#^aAuthor", "200#second"}));
  ASSERT_TRUE(record);
  EXPECT_EQ(record->mfn, 12);
  EXPECT_EQ(record->status, 0);
  EXPECT_EQ(record->version, 3);
  std::vector<Field> expected = {{200, "^aName"}, {700, "^aAuthor"}, {200, "second"}};
  EXPECT_EQ(record->fields, expected);
}

TEST(ParseOneLineRecordTest, StatusAndMalformedLines) {
  struct Row {
    std::string text;
    std::optional<int32_t> status;  // nullopt: the record is refused
  };
  const Row rows[] = {
      {OneLine({"12#32#1", "0#1"}), 33},          // status parts are summed
      {OneLine({"12", "0#1"}), 0},                // no status part
      {OneLine({"12#32#", "0#1"}), 32},           // empty last part adds nothing
      {OneLine({"x#0", "0#1"}), std::nullopt},    // MFN not a number
      {OneLine({"1#0", "abc#v"}), std::nullopt},  // tag not a number
      {OneLine({"1#0", "-5#v"}), std::nullopt},   // negative tag
      {OneLine({"1#a", "0#1"}), std::nullopt},    // status part not a number
      // A plus before a minus used to read as a minus (MFN -5, a status
      // part of -64 subtracted); now it is no number. A plus alone is still
      // a sign.
      {OneLine({"+-5#0", "0#1"}), std::nullopt},
      {OneLine({"12#65#+-64", "0#1"}), std::nullopt},
      {OneLine({"12#0", "+200#v"}), 0},  // a plus alone is a sign, as in the client
      {"", std::nullopt},                // nothing at all
  };
  for (const Row& row : rows) {
    std::optional<StoredRecord> record = ParseOneLineRecord(row.text);
    ASSERT_EQ(record.has_value(), row.status.has_value()) << row.text;
    if (record) {
      EXPECT_EQ(record->status, *row.status) << row.text;
    }
  }
}

TEST(ParseOneLineRecordTest, HashesInsideValuesStay) {
  std::optional<StoredRecord> record = ParseOneLineRecord(OneLine({"0#0", "0#0", "300#a#b#c"}));
  ASSERT_TRUE(record);
  ASSERT_EQ(record->fields.size(), 1u);
  EXPECT_EQ(record->fields[0].value, "a#b#c");
}

TEST(OneLineFormTest, RoundTripsAndOmitsMfnLineForWriteAnswers) {
  StoredRecord record{7, 64, 2, {{200, "^aTitle"}, {910, "^B001#x"}}};
  EXPECT_EQ(ParseOneLineRecord(ToOneLine(record)), record);
  EXPECT_EQ(ToOneLineWithoutMfn(record), OneLine({"0#2", "200#^aTitle", "910#^B001#x"}));
}

TEST(FieldEncodingTest, RoundTripsAndSkipsBrokenStoredLines) {
  std::vector<Field> fields = {{1, ""}, {200, "a#b"}, {300, "^a^b"}};
  EXPECT_EQ(DecodeFields(EncodeFields(fields)), fields);
  std::vector<Field> expected = {{5, "x"}};
  EXPECT_EQ(DecodeFields("nohash\n5#x\nbad#tag"), expected);
}

TEST(ParseIntTest, AcceptsOnlyWholeDecimalIntegers) {
  EXPECT_EQ(ParseInt("42"), 42);
  EXPECT_EQ(ParseInt("-605"), -605);
  EXPECT_EQ(ParseInt("+7"), 7);
  EXPECT_FALSE(ParseInt(""));
  EXPECT_FALSE(ParseInt("12a"));
  EXPECT_FALSE(ParseInt(" 1"));
  EXPECT_FALSE(ParseInt("99999999999"));
}

TEST(ParseIntTest, ReadsTheSharedTableOfNumbers) {
  for (const testing::DecimalInput& input : testing::kDecimalInputs) {
    EXPECT_EQ(input.server, ParseInt(input.text)) << '"' << input.text << '"';
  }
}

}  // namespace
}  // namespace talor::server
