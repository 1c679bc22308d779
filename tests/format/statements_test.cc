// Statements, field commands, modes, spacing and repeat groups, as rows of
// format text, expected output (CR written "\r") and expected code.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/format_engine.h"
#include "format/interpreter.h"
#include "format_test_util.h"

namespace talor {
namespace {

using testing::Apply;
using testing::MakeRecord;
using testing::Outcome;

struct Row {
  std::string format;
  std::string output;
  int32_t code = 0;
};

StringList Catalogue() {
  return MakeRecord({
      {200, "^aTitle^bSub"},
      {700, "Ivanov"},
      {700, "Petrov"},
      {700, "Sidorov"},
      {101, "rus"},
      {300, "The <end> note?"},
      {310, "<Title=Short> text"},
      {320, "<a><b>"},
      {330, "x^\xD0\x90y"},
      {500, "Пушкин"},
      {1, "one"},
  });
}

void Check(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    EXPECT_EQ((Outcome{row.output, row.code}), Apply(row.format, Catalogue()))
        << "format: " << row.format;
  }
}

TEST(FieldCommandTest, OccurrencesAndLiterals) {
  Check({
      {"v700", "IvanovPetrovSidorov"},
      {"v700+|; |", "Ivanov; Petrov; Sidorov"},
      {"v700|; |", "Ivanov; Petrov; Sidorov; "},
      {"\"Authors: \"v700+|, |", "Authors: Ivanov, Petrov, Sidorov"},
      {"|*|v700", "*Ivanov*Petrov*Sidorov"},
      {"|*|+v700", "Ivanov*Petrov*Sidorov"},
      {"v700\".\"", "IvanovPetrovSidorov."},
      {"v999", ""},
      {"\"x\"v999|y|\"z\"", ""},
      {"\"a\" \"b\", v101", "abrus"},
      {"\"none\"n999", "none"},
      {"\"none\"n700", ""},
      {"\"has\"d700", "has"},
      {"\"has\"d999", ""},
      {"d700\"x\"", ""},
      {"\"a\"d700'b'", "ab"},
      {"\"dropped\" 'kept'", "kept"},
      {"v1,v01", "oneone"},
  });
}

TEST(FieldCommandTest, SubfieldsOffsetsAndIndentation) {
  Check({
      {"v200^a", "Title"},
      {"v200^B", "Sub"},
      {"v200^z", ""},
      {"v200^*", "Title"},
      {"v300^*", "The <end> note?"},
      {"v700*2.3", "anotrodor"},
      {"v700.1", "IPS"},
      {"v700*0.2", "IvPeSi"},
      {"v700*3", "novrovorov"},
      {"v500*1.2", "уш"},
      {"v500*10", ""},
      {"v700(3)", "   IvanovPetrovSidorov"},
      {"v700(3,1)+|, |", "   Ivanov, Petrov, Sidorov"},
      {"v101(100000000)", "rus"},
      {"v101 (v101)", "rusrus"},
      {"v101(3", "", 19},
      {"v101+'x'", "", 54},
  });
}

TEST(ModeTest, PunctuationOfModes) {
  Check({
      {"v200", "^aTitle^bSub"},
      {"mhl,v200", "Title, Sub"},
      {"mdl,v200", "Title, Sub.  "},
      {"mdl,v300", "The end note?  "},
      {"mhl,v300", "The end note?"},
      {"mhl,v310", "Title text"},
      {"mhl,v320", "a; b"},
      {"mhl,v330", "x^\xD0\x90y"},
      {"mdl,v700", "Ivanov.  Petrov.  Sidorov.  "},
      {"mdl,v700+|; |", "Ivanov; Petrov; Sidorov.  "},
      {"mdl,v700+|; |\"!\"", "Ivanov; Petrov; Sidorov!"},
      {"mdl,v700|; |", "Ivanov; Petrov; Sidorov; "},
      {"mpl,v310", "<Title=Short> text"},
  });
}

TEST(ModeTest, CaseRule) {
  Check({
      {"mpu,'abc',mpl,'d'", "ABCd"},
      {"mpu,v500", "ПУШКИН"},
      {"'x',mhu,v200", "xTITLE, SUB"},
      {"mpu,'straße'", "STRAßE"},
      {"\"p\"mpu,v101", "pRUS"},
  });
}

TEST(SpacingTest, LinesAndColumns) {
  Check({
      {"'a'#'b'", "a\rb"},
      {"'a'/'b'", "a\rb"},
      {"/'b'", "b"},
      {"'a'x3'b'", "a   b"},
      {"'ab'c5'c'", "ab  c"},
      {"'abcdef'c3'x'", "abcdef\r  x"},
      {"'a'##%'b'", "a\rb"},
      {"'a'##%", "a"},
      {"'a'%x1'b'", "a\rb"},
      {"!|esc|'x'",
       "\x1B"
       "escx"},
      {"np(3)", "\x0C\x03"},
      {"nc", std::string("\x0B\0", 2)},
      {"mfn", "0000000012"},
      {"mfn(3)", "012"},
      {"mfn(5)", "00012"},
      {"mfn(11)", "0000000012"},
      {"mfn (5)", "0000000012", 99},
      {"mfn(x)", "", 19},
      {"np(3", "", 19},
  });
  EXPECT_EQ((Outcome{"123", 0}), Apply("mfn(3)", MakeRecord({}, 123456)));
}

TEST(GroupTest, IterationsAndLiterals) {
  Check({
      {"(v700+|, |)", "Ivanov, Petrov, Sidorov"},
      {"(v700,'-')", "Ivanov-Petrov-Sidorov--"},
      {"(v700,v101,v999,'*')", "Ivanovrus*Petrov*Sidorov**"},
      {"(\"A: \"v700+|; |)", "A: Ivanov; Petrov; Sidorov"},
      {"(|; |+v700)", "Ivanov; Petrov; Sidorov"},
      {"('x')", "x"},
      {"(v999)", ""},
      {"(if p(v700) then v700 fi)", "IvanovPetrovSidorov"},
      {"((v700))", "", 2},
      {"(s((v700)))", "", 2},
      {"(v700", "Ivanov", 19},
      {"v700)", "IvanovPetrovSidorov", 99},
  });
}

TEST(GroupTest, IterationLimit) {
  // The iteration that finds no occurrence counts too: n occurrences take
  // n + 1 iterations.
  StringList many = MakeRecord({});
  for (int i = 0; i < kMaxGroupIterations - 1; ++i) many.Add("x", 1);
  Outcome full = Apply("(v1)", many);
  EXPECT_EQ(0, full.code);
  EXPECT_EQ(std::string(kMaxGroupIterations - 1, 'x'), full.output);
  many.Add("x", 1);
  EXPECT_EQ(57, Apply("(v1)", many).code);
}

TEST(BreakTest, EndsFormatOrIteration) {
  Check({
      {"'a',break,'b'", "a"},
      {"if 1=1 then 'a' break 'x' else 'y' fi 'b'", "a"},
      {"if 1=2 then break fi 'b'", "b"},
      {"if 1=2 then 'a' else break 'x' fi 'b'", ""},
      {"(v700, if v700='Petrov' then break fi, '.')", "Ivanov.Petrov."},
      {"(v700, break, '.')", "Ivanov"},
      {"if 1=1 then if 2=2 then break fi 'x' fi 'y'", ""},
      {"(v700, if 1=1 then if v700='Ivanov' then break fi fi, '.')", "Ivanov."},
      {"s('a' break 'b') 'c'", "a"},
  });
}

TEST(ConditionTest, BranchesAndSkipping) {
  Check({
      {"if p(v700) then 'yes' else 'no' fi", "yes"},
      {"if a(v700) then 'yes' else 'no' fi", "no"},
      {"IF P(V999) THEN 'yes' ELSE 'no' FI", "no"},
      {"if 1=2 then if 1=1 then 'a' fi 'b' else 'c' fi", "c"},
      {"if 1=2 then if 1='a' then 'x' fi fi 'ok'", "ok"},
      {"if 1=2 then (v700) fi 'ok'", "ok"},
      {"if 1=2 then v700 'x' s(v1) fi", ""},
      {"if 1=1 'x' fi", "", 8},
      {"if 1=1 then 'x'", "x", 53},
      {"if 1=2 then 'x' fi fi", "", 99},
      {"(if p(v700) then v700)", "Ivanov", 53},
      {"ref(0,'a' fi)", "", 55},
      {"if 1=2 then s('a' fi) fi", "", 55},
      {"if v700 then 'x' fi", "", 26},
      {"if 1 then 'x' fi", "", 26},
  });
}

TEST(StatementTest, ErrorsStopTheFormat) {
  Check({
      {"'a' @ 'b'", "a", 99},
      {"'a'\r'b'", "a", 99},
      {"'a'\n", "a", 99},
      {"'a'Ж", "a", 99},
      {"'a' x", "a", 99},
      {"'a' then", "a", 99},
      {"'a' 5", "a", 99},
      {"'a' )", "a", 99},
      {"val(v1)", "", 60},
      {"p(v1)", "", 60},
      {"'abc", "abc"},
      {"`b`", "b"},
      {"'a',,,'b'", "ab"},
      {"", ""},
  });
}

TEST(StatementTest, DeepNestingIsAnErrorNotACrash) {
  std::string deepIf;
  for (int i = 0; i < 5000; ++i) deepIf += "if 1=1 then ";
  EXPECT_EQ(99, Apply(deepIf, Catalogue()).code);
  std::string deepParens = "if " + std::string(100000, '(');
  EXPECT_EQ(99, Apply(deepParens, Catalogue()).code);
  std::string deepCalls;
  for (int i = 0; i < 5000; ++i) deepCalls += "s(";
  EXPECT_EQ(99, Apply(deepCalls, Catalogue()).code);
}

TEST(StatementTest, OutputGrowsAndIsBounded) {
  FormatEngine engine;
  Outcome big = Apply(engine, "x20000'.'", Catalogue());
  EXPECT_EQ(0, big.code);
  EXPECT_EQ(std::string(20000, ' ') + ".", big.output);
  engine.maxOutput = 1000;
  EXPECT_EQ(56, Apply(engine, "x5000", Catalogue()).code);
  EXPECT_EQ(56, Apply(engine, "(v700,x300)", Catalogue()).code);
}

}  // namespace
}  // namespace talor

namespace talor {
namespace {

TEST(TokenBoundaryTest, WhereOneTokenEndsAndTheNextBegins) {
  const std::vector<Row> rows = {
      {"v1v1", "oneone"},
      {"V1'x'", "onex"},
      {"v1^", "one"},
      {"'a'!", "a\x1B"},
      {"!/a b/",
       "\x1B"
       "a b"},
      {"^a", "", 99},
      {"IF1=1 then 'x' fi", "", 99},
      {"3v1", "", 99},
      {"&", "", 99},
      {"'x'c0'y'", "x\ry"},
      {"x0'y'", "y"},
      {"'ab'c2'y'", "ab\r y"},
      {"Mpl,mPu,'x'", "X"},
      {"if 1<=1 then 'y' fi", "y"},
      {"if 2>=1 then 'y' fi", "y"},
      {"if 1<>1 then 'y' else 'n' fi", "n"},
      {"v1*", "one"},
      {"v1.", "one"},
      {"v1(", "one", 19},
      {"mfn(2)mfn", "120000000012"},
      {"breakx", "", 99},
  };
  Check(rows);
}

}  // namespace
}  // namespace talor
