// Global variables (+1, +7, +99) and the engine-wide counter (S).

#include <gtest/gtest.h>

#include "uf_test_util.h"

namespace talor {
namespace {

using testing::MakeRecord;
using testing::Row;
using testing::UfEngine;

TEST(UfGlobalsTest, WritingVariableFiveCreatesTheOnesBefore) {
  UfEngine uf;
  EXPECT_EQ("", uf.Out("&uf('+1W5#five')"));
  ASSERT_EQ(6, uf.engine.globalVariables.Count());
  for (int i = 0; i < 5; ++i) EXPECT_EQ("", uf.engine.globalVariables[i].text) << i;
  EXPECT_EQ("five", uf.engine.globalVariables[5].text);
}

TEST(UfGlobalsTest, ReadWriteAndSetOperations) {
  UfEngine uf;
  const Row rows[] = {
      {"&uf('+1W0#a'),&uf('+1R0')", "a"},
      {"&uf('+1W1#x\r\ny\r\nx'),&uf('+1R1')", "x\ry\rx"},
      {"&uf('+1W2#y\r\nz'),&uf('+1R0,3')", "a\rx\ry\rx\ry\rz"},
      {"&uf('+1R1,100')", "x\ry\rx\ry\rz"},
      {"'|',&uf('+1R99'),'|'", "||"},
      {"&uf('+1M1#2')", "y"},
      {"&uf('+1S1#2')", "x\rx"},
      {"&uf('+1A1#2')", "y\rz\rx\rx"},
      {"&uf('+1G1')", "x\ry"},
      {"&uf('+1T1')", "x\rx\ry"},
      // Text `*` is the iteration number.
      {"(v10,&uf('+1W*#*')),&uf('+1R1,2')", "pq1\r2"},
      {"(v10,&uf('+1R*-1'),';')", "pa;q1;2;"},
      {"&uf('+1'),'|',&uf('+1R0'),'|'", "||"},
  };
  testing::ExpectRows(uf, rows, MakeRecord({{10, "p"}, {10, "q"}}));
}

TEST(UfGlobalsTest, WritingLinesWithACount) {
  UfEngine uf;
  EXPECT_EQ("a|b|c|3", uf.Out("&uf('+1W3,0#a\r\nb\r\nc'),&uf('+1R3'),'|',&uf('+1R4'),'|',"
                              "&uf('+1R5'),'|',&uf('+1R0')"));
}

TEST(UfGlobalsTest, MenuLookupOfLines) {
  UfEngine uf;
  uf.files.files["codes.mnu"] = "a\r\nAlpha\r\nb\r\nBeta\r\nA\r\nBig alpha\r\n*****\r\n";
  uf.engine.globalVariables.Add("a\r\nb\r\nc");
  EXPECT_EQ("Alpha\rBeta", uf.Out("&uf('+1K0#codes.mnu')"));
  EXPECT_EQ("Alpha\rBig alpha\rBeta", uf.Out("&uf('+1O0#codes.mnu!')"));
  EXPECT_EQ("", uf.Out("&uf('+1K0#missing.mnu')"));
}

TEST(UfGlobalsTest, NumberedVariableOperations) {
  UfEngine uf;
  const Row rows[] = {
      {"&uf('+7W1#b'),&uf('+7U1#a'),&uf('+7U1#b'),&uf('+7R1')", "b\ra\rb"},
      {"&uf('+7W2#b\r\nc'),&uf('+7M1#2'),&uf('+7R1')", "b"},
      {"&uf('+7W1#a\r\nb\r\nb'),&uf('+7S1#2'),&uf('+7R1')", "a\rb"},
      {"&uf('+7A1#2'),&uf('+7R1')", "a\rb\rc"},
      {"&uf('+7U1#a'),&uf('+7G1'),&uf('+7R1')", "a\rb\rc"},
      {"&uf('+7W3#c\r\nA\r\nb'),&uf('+7T3'),&uf('+7R3')", "A\rb\rc"},
      {"&uf('+7I3#B')", "2"},
      {"&uf('+7I3#q')", "0"},
      {"&uf('+7'),'|',&uf('+7R1'),'|'", "||"},
  };
  testing::ExpectRows(uf, rows);
}

TEST(UfGlobalsTest, AppendingDecodedLines) {
  UfEngine uf;
  EXPECT_EQ("", uf.Out("&uf('+991%23one&2%23two+words&0%23ignored&x%23bad&1%23again')"));
  EXPECT_EQ("one\ragain|two words", uf.Out("&uf('+1R1'),'|',&uf('+1R2')"));
  EXPECT_EQ("", uf.engine.globalVariables[0].text);
}

TEST(UfGlobalsTest, CounterSurvivesBetweenCalls) {
  UfEngine uf;
  const Row rows[] = {
      {"&uf('S0A')", "0"},
      {"&uf('S5A')", "5"},
      {"&uf('S12A')", "17"},
      {"&uf('SA'),'|'", "|"},
      {"&uf('S0'),&uf('S3X')", "III"},
      {"&uf('S0'),&uf('S1A2A')", "3"},
      {"&uf('S0'),&uf('S1x')", "I"},
      {"&uf('S0'),&uf('S1a0a')", "0"},
      {"&uf('S0'),&uf('S16X'),'|'", "|"},
      {"&uf('S0'),&uf('S15X')", "XV"},
  };
  testing::ExpectRows(uf, rows);
  uf.Out("&uf('S0'),&uf('S4')");
  EXPECT_EQ("5", uf.Out("&uf('S1A')"));
  uf.engine.Reset();
  EXPECT_EQ("1", uf.Out("&uf('S1A')"));
}

}  // namespace
}  // namespace talor
