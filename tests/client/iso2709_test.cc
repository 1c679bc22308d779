#include "client/iso2709.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/record.h"
#include "exchange_test_records.h"

namespace talor {
namespace {

using testing::FieldsRecord;
using testing::SampleRecords;

std::vector<StringList> ReadAll(std::string_view bytes, IsoReader::Status* last = nullptr) {
  IsoReader reader(bytes);
  std::vector<StringList> records;
  StringList record;
  IsoReader::Status status;
  while ((status = reader.Next(record)) == IsoReader::Status::Record) records.push_back(record);
  if (last) *last = status;
  return records;
}

TEST(IsoWriteTest, KnownRecordBytes) {
  std::string out;
  ASSERT_TRUE(WriteIsoRecord(FieldsRecord({{200, "^Aabc"}, {700, "^Ax"}}), out));
  EXPECT_EQ(
      "00060000002200049000450 "
      "200000600000700000400006\x1e"
      "^Aabc\x1e^Ax\x1e\x1d",
      out);
  EXPECT_EQ(60u, out.size());
}

TEST(IsoWriteTest, RecordWithoutFields) {
  std::string out;
  ASSERT_TRUE(WriteIsoRecord(FieldsRecord({}), out));
  EXPECT_EQ("00026000002200025000450 \x1e\x1d", out);
  std::vector<StringList> back = ReadAll(out);
  ASSERT_EQ(1u, back.size());
  EXPECT_EQ(FieldsRecord({}), back[0]);
}

TEST(IsoWriteTest, LeaderSource) {
  // First five bytes go to positions 6-10, bytes 6-8 to positions 18-20.
  std::string out;
  ASSERT_TRUE(WriteIsoRecord(FieldsRecord({{1, "x"}}), out, "ABCDEFGH"));
  EXPECT_EQ("00040ABCDE2200037FGH450 ", out.substr(0, 24));
  out.clear();
  ASSERT_TRUE(WriteIsoRecord(FieldsRecord({{1, "x"}}), out, "ABC"));
  EXPECT_EQ("00040ABC002200037000450 ", out.substr(0, 24));
  out.clear();
  ASSERT_TRUE(WriteIsoRecord(FieldsRecord({{1, "x"}}), out, "ABCDEFGHIJK"));
  EXPECT_EQ("00040ABCDE2200037FGH450 ", out.substr(0, 24));
}

TEST(IsoWriteTest, FieldsThatDoNotFitAreRefused) {
  struct Row {
    const char* name;
    StringList record;
  };
  const Row rows[] = {
      {"tag above 999", FieldsRecord({{1, "a"}, {1000, "b"}})},
      {"negative tag", FieldsRecord({{-1, "a"}})},
      {"field of 10000 bytes", FieldsRecord({{1, std::string(9999, 'x')}})},
      {"record over 99999 bytes", FieldsRecord({{1, std::string(9000, 'x')},
                                                {2, std::string(9000, 'x')},
                                                {3, std::string(9000, 'x')},
                                                {4, std::string(9000, 'x')},
                                                {5, std::string(9000, 'x')},
                                                {6, std::string(9000, 'x')},
                                                {7, std::string(9000, 'x')},
                                                {8, std::string(9000, 'x')},
                                                {9, std::string(9000, 'x')},
                                                {10, std::string(9000, 'x')},
                                                {11, std::string(9000, 'x')},
                                                {12, std::string(9000, 'x')}})},
  };
  for (const Row& row : rows) {
    std::string out = "kept";
    EXPECT_FALSE(WriteIsoRecord(row.record, out)) << row.name;
    EXPECT_EQ("kept", out) << row.name;
  }
  std::string out;
  EXPECT_TRUE(WriteIsoRecord(FieldsRecord({{999, std::string(9998, 'x')}, {0, ""}}), out));
}

TEST(IsoReadTest, RoundTrip) {
  std::string bytes;
  for (const StringList& record : SampleRecords()) ASSERT_TRUE(WriteIsoRecord(record, bytes));
  IsoReader::Status last;
  EXPECT_EQ(SampleRecords(), ReadAll(bytes, &last));
  EXPECT_EQ(IsoReader::Status::End, last);
}

TEST(IsoReadTest, LineBreaksBetweenRecordsAreSkipped) {
  std::string bytes;
  for (const StringList& record : SampleRecords()) {
    ASSERT_TRUE(WriteIsoRecord(record, bytes));
    bytes += "\r\n";
  }
  EXPECT_EQ(SampleRecords(), ReadAll(bytes));
}

TEST(IsoReadTest, KeepLeaderAsFirstField) {
  std::string bytes;
  ASSERT_TRUE(WriteIsoRecord(FieldsRecord({{200, "^Aabc"}}), bytes, "nam0 ABC"));
  IsoReader reader(bytes);
  StringList record;
  ASSERT_EQ(IsoReader::Status::Record, reader.Next(record, true));
  EXPECT_EQ(FieldsRecord({{1000, bytes.substr(0, 24)}, {200, "^Aabc"}}), record);
  EXPECT_EQ("00044nam0 2200037ABC450 ", record[3].text);
}

TEST(IsoReadTest, SubfieldDelimitersAndLeaderSourceTravel) {
  StringList record = FieldsRecord({{200, "^Aabc^Bdef"}, {999, "nam0 ABC"}, {700, "^Ax"}});
  ReplaceInFields(record, '^', kIsoSubfieldDelimiter);
  std::optional<std::string> source = TakeLeaderSource(record);
  ASSERT_TRUE(source);
  EXPECT_EQ("nam0 ABC", *source);
  EXPECT_EQ(-1, RecordFindField(record, 999, 1));
  std::string bytes;
  ASSERT_TRUE(WriteIsoRecord(record, bytes, *source));
  EXPECT_NE(std::string::npos, bytes.find("\x1f"
                                          "Aabc\x1f"
                                          "Bdef\x1e"));
  EXPECT_EQ(std::string::npos, bytes.find('^'));

  IsoReader reader(bytes);
  StringList back;
  ASSERT_EQ(IsoReader::Status::Record, reader.Next(back, true));
  ReplaceInFields(back, kIsoSubfieldDelimiter, '^');
  EXPECT_EQ(FieldsRecord({{1000, bytes.substr(0, 24)}, {200, "^Aabc^Bdef"}, {700, "^Ax"}}), back);

  StringList without = FieldsRecord({{1, "a"}});
  EXPECT_FALSE(TakeLeaderSource(without));
  EXPECT_EQ(FieldsRecord({{1, "a"}}), without);
}

TEST(IsoReadTest, MalformedRecords) {
  std::string good;
  ASSERT_TRUE(WriteIsoRecord(FieldsRecord({{200, "^Aabc"}, {700, "^Ax"}}), good));
  auto with = [&](size_t at, std::string_view bytes) {
    std::string copy = good;
    copy.replace(at, bytes.size(), bytes);
    return copy;
  };
  struct Row {
    const char* name;
    std::string bytes;
  };
  const Row rows[] = {
      {"length not a number", with(0, "00a60")},
      {"length beyond the input", with(0, "00061")},
      {"base address not a number", with(12, "0004x")},
      {"base address inside the leader", with(12, "00024")},
      {"base address beyond the record", with(12, "00061")},
      {"tag not digits", with(24, "2x0")},
      {"field length zero", with(27, "0000")},
      {"field beyond the data", with(27, "0099")},
      {"field start beyond the data", with(31, "00099")},
  };
  for (const Row& row : rows) {
    IsoReader reader(row.bytes);
    StringList record = FieldsRecord({{5, "unchanged"}});
    EXPECT_EQ(IsoReader::Status::Malformed, reader.Next(record)) << row.name;
    EXPECT_FALSE(reader.error().empty()) << row.name;
    EXPECT_EQ(FieldsRecord({{5, "unchanged"}}), record) << row.name;
    EXPECT_EQ(IsoReader::Status::Malformed, reader.Next(record)) << row.name;
  }
}

TEST(IsoReadTest, ErrorNamesOffset) {
  std::string bytes;
  ASSERT_TRUE(WriteIsoRecord(FieldsRecord({{1, "a"}}), bytes));
  size_t second = bytes.size();
  bytes += "zzzzz" + std::string(30, '0');
  IsoReader reader(bytes);
  StringList record;
  ASSERT_EQ(IsoReader::Status::Record, reader.Next(record));
  ASSERT_EQ(IsoReader::Status::Malformed, reader.Next(record));
  EXPECT_NE(std::string::npos, reader.error().find(std::to_string(second)));
}

TEST(IsoReadTest, TruncatedAtEveryByte) {
  std::vector<StringList> originals = SampleRecords();
  std::string bytes;
  std::vector<size_t> ends;
  for (const StringList& record : originals) {
    ASSERT_TRUE(WriteIsoRecord(record, bytes));
    ends.push_back(bytes.size());
  }
  for (size_t cut = 0; cut <= bytes.size(); ++cut) {
    IsoReader::Status last;
    std::vector<StringList> records = ReadAll(std::string_view(bytes).substr(0, cut), &last);
    size_t complete = 0;
    while (complete < ends.size() && ends[complete] <= cut) ++complete;
    ASSERT_EQ(complete, records.size()) << cut;
    for (size_t r = 0; r < complete; ++r) EXPECT_EQ(originals[r], records[r]) << cut;
    size_t left = cut - (complete == 0 ? 0 : ends[complete - 1]);
    EXPECT_EQ(left < kIsoLeaderLength ? IsoReader::Status::End : IsoReader::Status::Malformed, last)
        << cut;
  }
}

}  // namespace
}  // namespace talor
