// Keys that read and rearrange the record's fields.

#include <gtest/gtest.h>

#include "client/record.h"
#include "uf_test_util.h"

namespace talor {
namespace {

using testing::MakeRecord;
using testing::Row;
using testing::UfEngine;

StringList Book() {
  return MakeRecord({{700, "^AПетров^BП."},
                     {200, "^AЗаглавие^EПодзаголовок"},
                     {700, "^AАбрамов^BА."},
                     {606, "Физика"},
                     {606, ""},
                     {606, "Химия"},
                     {606, "Физика"},
                     {953, "^AJPG^B%FF"}});
}

TEST(UfFieldsTest, Extraction) {
  UfEngine uf;
  const Row rows[] = {
      {"&uf('AV700^A#1')", "Петров"},
      {"&uf('av700^a#2')", "Абрамов"},
      {"&uf('AV700^A#*')", "Абрамов"},
      {"&uf('AV700^A#3'),'|'", "|"},
      {"&uf('AV200#1')", "^AЗаглавие^EПодзаголовок"},
      // Offset and length count characters, not bytes.
      {"&uf('AV700^A*1.3#1')", "етр"},
      {"&uf('AV700^A*50#1'),'|'", "|"},
      // Without an occurrence the iteration number chooses: nothing outside
      // a group, each occurrence in turn inside one.
      {"&uf('AV700^A'),'|'", "|"},
      {"(v700^B,'=',&uf('AV700^A'),';')", "П.=Петров;А.=Абрамов;=;"},
      {"&uf('AI700^A#1')", "Абрамов"},
      {"&uf('AD700^A#1')", "Петров"},
      {"&uf('AI606#1')", "Физика"},
      {"&uf('AD606#1')", "Химия"},
      {"&uf('AX606#1'),'|'", "|"},
  };
  testing::ExpectRows(uf, rows, Book());
}

TEST(UfFieldsTest, ExtractionFromGlobals) {
  UfEngine uf;
  uf.engine.globalVariables.Add("^Aone^Btwo\r\n^Athree");
  uf.engine.globalVariables.Add("x");
  const Row rows[] = {
      {"&uf('AG0^B#1')", "two"}, {"&uf('AG0^A#2')", "three"}, {"&uf('AG0#*')", "^Athree"},
      {"&uf('AG1#1')", "x"},     {"&uf('AG7#1'),'|'", "|"},
  };
  testing::ExpectRows(uf, rows);
}

TEST(UfFieldsTest, DistinctValues) {
  UfEngine uf;
  const Row rows[] = {
      {"&uf('PV606#0')", "Физика, Химия"},
      {"&uf('Px606#2')", "Химия"},
      {"&uf('PV606#3'),'|'", "|"},
      {"&uf('PV606#0*1.3')", "изи"},
      {"&uf('PV606')", "Физика, Химия"},
      // Inside a group the iteration number picks among the distinct values.
      {"(v606,'<',&uf('PV606'),'>')", "Физика<Физика><Химия>Химия<>Физика<><>"},
      {"&uf('PV700^B#0')", "П., А."},
  };
  testing::ExpectRows(uf, rows, Book());
}

TEST(UfFieldsTest, SortingOccurrencesInPlace) {
  UfEngine uf;
  const Row rows[] = {
      {"&uf('MA700^A'),(v700^A+|;|)", "Абрамов;Петров"},
      {"&uf('MD700^A'),(v700^A+|;|)", "Петров;Абрамов"},
      {"&uf('MA606'),(v606+|;|)", "Физика;Физика;Химия"},
      // Other fields keep their places.
      {"&uf('MA700^A'),&uf('+4T0')", "700"},
      {"&uf('MA999'),(v700^A+|;|)", "Петров;Абрамов"},
  };
  testing::ExpectRows(uf, rows, Book());
}

TEST(UfFieldsTest, RecordDumps) {
  UfEngine uf;
  const StringList record = MakeRecord({{10, "a"}, {20, "b"}, {10, "c"}, {953, "^Bsecret"}}, 7);
  EXPECT_EQ(
      "\\b #10/1:_\\b0 a\\par \\b #20/1:_\\b0 b\\par \\b #10/2:_\\b0 c\\par "
      "\\b #953/1:_\\b0 [Internal Resource]\\par ",
      uf.Out("&uf('0')", record));
  EXPECT_EQ("0\r\n7#0\r\n1\r\n10#a\r\n20#b\r\n10#c\r\n953#^Bsecret", uf.Out("&uf('+0')", record));
}

TEST(UfFieldsTest, FieldsByPosition) {
  UfEngine uf;
  const StringList record = MakeRecord({{30, "c"}, {10, "a"}, {20, "b"}, {10, "d"}});
  const Row rows[] = {
      {"&uf('+4T0')", "30"},
      {"&uf('+4F0')", "c"},
      {"&uf('+4T1')", "10"},
      {"&uf('+4N1')", "2"},
      {"&uf('+4T'),'|'", "|"},
      // Inside a group the iteration number picks the field; the group ends
      // when no occurrence is found by a field command.
      // (The group's last, empty iteration still runs the call: field 3.)
      {"(v10,'<',&uf('+4F1'),'>')", "a<a>d<d><b>"},
      {"&uf('+ET'),'|'", "|"},
      {"&uf('+E20')", "3"},
      {"&uf('+E10#0')", "2"},
      {"&uf('+E10#2')", "4"},
      {"&uf('+E20#2'),'|'", "|"},
      {"(v10,'=',&uf('+E10#*'),';')", "a=2;d=4;=;"},
  };
  testing::ExpectRows(uf, rows, record);
}

TEST(UfFieldsTest, CountsDeletionAndDatabase) {
  UfEngine uf;
  StringList record = Book();
  const Row rows[] = {
      {"&uf('+N606#физ')", "2"}, {"&uf('+N606#ХИМИЯ')", "1"}, {"&uf('+N606#')", "0"},
      {"&uf('+N606')", "0"},     {"&uf('+6')", "1"},          {"&uf('+D')", "DEMO"},
  };
  testing::ExpectRows(uf, rows, record);
  RecordMarkDeleted(record);
  EXPECT_EQ("0", uf.Out("&uf('+6')", record));
}

TEST(UfFieldsTest, Replace991) {
  UfEngine uf;
  const StringList record = MakeRecord({{10, "a"}, {991, "old"}, {991, "older"}});
  EXPECT_EQ("991:new|2||", uf.Out("&uf('+Mnew'),&uf('+4T0'),':',&uf('+4F0'),'|',&uf('+E10'),'|',"
                                  "&uf('+E991#2'),'|'",
                                  record));
}

TEST(UfFieldsTest, AlignedPlacement) {
  UfEngine uf;
  const Row rows[] = {
      {"'[',&uf('1L_____?@ab'),']'", "[ab    ]"},
      {"'[',&uf('1_____R?@ab'),']'", "[    ab]"},
      {"'[',&uf('1__D__?@ab'),']'", "[ ab  ]"},
      {"'[',&uf('1LL?@abcdef'),']'", "[abcdef]"},
      {"'[',&uf('1R____?V700^A#2'),']'", "[Абрамов]"},
      {"'[',&uf('1R_________?V700^A#2'),']'", "[   Абрамов]"},
      {"'[',&uf('1R__'),']'", "[]"},
  };
  testing::ExpectRows(uf, rows, Book());
}

}  // namespace
}  // namespace talor
