// Copies in field 910: the holdings summary, the available copies and the
// expansion of grouped copies.

#include <gtest/gtest.h>

#include "uf_test_util.h"

namespace talor {
namespace {

using testing::MakeRecord;
using testing::UfEngine;

StringList Copies() {
  return MakeRecord({{910, "^A0^B1^DЧЗ^C20240101"},
                     {910, "^A0^B2^DАБ^C20240101"},
                     {910, "^A1^B3^DЧЗ^C20240101"},
                     {910, "^A2^B4^DЧЗ"},
                     {910, "^A6^B5^DАБ"},
                     {910, "^AU^B6^DАБ^C20240101^15^22"},
                     {910, "^AU^B7^DЧЗ^14^21"},
                     {910, "^AC^B8^DКХ^C2023^13"},
                     {910, "^AU^B9^DКХ^C2024^12^23"},
                     {200, "^AНе экземпляр"}});
}

TEST(UfHoldingsTest, SummaryAndAvailable) {
  UfEngine uf;
  EXPECT_EQ("ЧЗ(2), АБ(6), КХ(5)", uf.Out("&uf('O')", Copies()));
  EXPECT_EQ("ЧЗ(1), АБ(4)", uf.Out("&uf('Y')", Copies()));
  EXPECT_EQ("", uf.Out("&uf('O')"));
  EXPECT_EQ("", uf.Out("&uf('Y')"));
}

TEST(UfHoldingsTest, GroupedCopiesExpandInPlace) {
  UfEngine uf;
  const StringList record = MakeRecord(
      {{910, "^A0^BX1"}, {910, "^Ar^B3/INV0098^HS09^DЧЗ^Cnote"}, {910, "^AR^B77"}, {10, "after"}});
  EXPECT_EQ(
      "^A0^BX1;^A0^BINV0098^HS09^DЧЗ^Cnote;^A0^BINV0099^HS10^DЧЗ^Cnote;"
      "^A0^BINV0100^HS11^DЧЗ^Cnote;^A0^B77|after",
      uf.Out("&uf('Z'),(v910+|;|),'|',v10", record));
}

TEST(UfHoldingsTest, HugeGroupIsBounded) {
  UfEngine uf;
  const StringList record = MakeRecord({{910, "^AR^B99999999999/1"}});
  EXPECT_EQ("1000||", uf.Out("&uf('Z'),&uf('+E910#1000'),'|',&uf('+E910#1001'),'|'", record));
}

}  // namespace
}  // namespace talor
