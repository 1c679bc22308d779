// The engine's character tables: the defaults follow the Windows-1251 case
// rules, every engine owns its own copy of them, and a reset brings back the
// defaults after tables were installed.

#include <gtest/gtest.h>

#include "format/char_tables.h"
#include "format/format_engine.h"
#include "format_test_util.h"

namespace talor {
namespace {

using testing::Apply;
using testing::MakeRecord;
using testing::Outcome;

TEST(CharTablesTest, DefaultsFollowWindows1251) {
  const CharTables& tables = DefaultCharTables();
  EXPECT_EQ(0, tables.Upper(0));
  EXPECT_EQ('A', tables.Upper('a'));
  EXPECT_EQ('Z', tables.Upper('Z'));
  EXPECT_EQ('1', tables.Upper('1'));
  EXPECT_EQ(0xC0, tables.Upper(0xE0));  // а -> А
  EXPECT_EQ(0xDF, tables.Upper(0xFF));  // я -> Я
  EXPECT_EQ(0xA8, tables.Upper(0xB8));  // ё -> Ё
  EXPECT_EQ(0xC0, tables.Upper(0xC0));
  EXPECT_EQ(tables.upperCase, tables.secondCase);
  EXPECT_TRUE(tables.IsLetter('a'));
  EXPECT_TRUE(tables.IsLetter('Q'));
  EXPECT_TRUE(tables.IsLetter(0x80));
  EXPECT_FALSE(tables.IsLetter('5'));
  EXPECT_FALSE(tables.IsLetter('^'));
  EXPECT_FALSE(tables.IsLetter(0));
  // The tables built once are the tables handed out every time.
  EXPECT_EQ(&DefaultCharTables(), &tables);
  EXPECT_EQ(&DefaultCaseTable(), &tables.upperCase);
}

// Subfield codes are compared through the engine's upper-case table, so a
// table that leaves `b` alone makes `^B` miss `^b`.
TEST(CharTablesTest, InstalledTablesBelongToOneEngineUntilReset) {
  const StringList record = MakeRecord({{200, "^aTitle^bSub"}});
  CaseTable noLowerB = DefaultCaseTable();
  noLowerB['b' - 1] = 'b';
  FormatEngine changed;
  FormatEngine other;
  changed.InstallFormatTables(nullptr, &noLowerB, nullptr, nullptr);
  EXPECT_EQ((Outcome{"", 0}), Apply(changed, "v200^B", record));
  EXPECT_EQ((Outcome{"Sub", 0}), Apply(other, "v200^B", record));
  EXPECT_EQ('B', DefaultCharTables().Upper('b'));
  changed.Reset();
  EXPECT_EQ((Outcome{"Sub", 0}), Apply(changed, "v200^B", record));
  // A table given as nullptr gets the default.
  changed.InstallFormatTables(nullptr, nullptr, &noLowerB, nullptr);
  EXPECT_EQ((Outcome{"Sub", 0}), Apply(changed, "v200^B", record));
}

}  // namespace
}  // namespace talor
