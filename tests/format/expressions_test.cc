// Conditions and expressions: comparison rules, operator precedence, types
// and the numeric functions, with F to make numbers visible.

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

StringList Numbers() {
  return MakeRecord({
      {101, "rus"},
      {700, "Ivanov"},
      {900, "1"},
      {900, "2.5"},
      {900, "x"},
      {900, "-4"},
      {910, "abc 12.5e1x 7"},
      {920, "a - 5"},
      {200, "^aTitle^bSub"},
  });
}

void Check(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    EXPECT_EQ((Outcome{row.output, row.code}), Apply(row.format, Numbers()))
        << "format: " << row.format;
  }
}

// "if CONDITION then 'y' else 'n' fi" for each condition.
void CheckConditions(const std::vector<std::pair<std::string, std::string>>& rows) {
  for (const auto& [condition, expected] : rows) {
    const std::string format = "if " + condition + " then 'y' else 'n' fi";
    EXPECT_EQ((Outcome{expected, 0}), Apply(format, Numbers())) << "condition: " << condition;
  }
}

TEST(ComparisonTest, TextsAndNumbers) {
  CheckConditions({
      {"v101='rus'", "y"},     {"v101='RUS'", "n"},
      {"v101<>'rus'", "n"},    {"v101:'RU'", "y"},
      {"v101:'us'", "y"},      {"v101:'rusx'", "n"},
      {"v101:''", "n"},        {"v999:''", "y"},
      {"'ab':'abc'", "n"},     {"'Пушкин':'ПУШ'", "y"},
      {"'abc'<'abd'", "y"},    {"'ab'<'abc'", "y"},
      {"'abc'<='abc'", "y"},   {"'b'>='abc'", "y"},
      {"'я'>'z'", "y"},        {"2>10", "n"},
      {"'2'>'10'", "y"},       {"1<>2", "y"},
      {"1<=1", "y"},           {"1>=2", "n"},
      {"mfn=12", "y"},         {"v700+v101='Ivanovrus'", "y"},
      {"'ab'+'c'='abc'", "y"},
  });
}

// `+` joins texts inside the output buffer; the buffer starts at 16 bytes, so
// the longer rows make it grow while the texts are being joined.
TEST(ComparisonTest, ConcatenatedTexts) {
  CheckConditions({
      {"v999+'x'='x'", "y"},
      {"'x'+v999='x'", "y"},
      {"v999+v999=''", "y"},
      {"v900+'|'='12.5x-4|'", "y"},
      {"'<'+v700+'>'+v101='<Ivanov>rus'", "y"},
      {"v910+v910+v910='abc 12.5e1x 7abc 12.5e1x 7abc 12.5e1x 7'", "y"},
      {"v910+s(v700,v101)='abc 12.5e1x 7Ivanovrus'", "y"},
      {"'ab'+'c'='abd'", "n"},
  });
  // What an expression writes never reaches the output.
  Check({{"'a',if 'b'+v700='bIvanov' then 'c' fi,'d'", "acd"}});
}

TEST(ComparisonTest, BooleanOperators) {
  CheckConditions({
      {"not 1=2 and 2=2", "y"},
      {"not 1=1 or 2=2", "y"},
      {"not 1=1 and 2=2", "n"},
      {"1=1 and 1=2", "n"},
      {"1=2 or 1=1", "y"},
      {"(1=2 or 1=1) and 3=3", "y"},
      {"p(v700) and a(v999)", "y"},
      {"p(v200^b) and a(v200^z)", "y"},
      {"p(v200^*)", "y"},
  });
}

TEST(ExpressionTest, TypeAndSyntaxErrors) {
  Check({
      {"if 1:2 then 'y' fi", "", 26},
      {"if 1='1' then 'y' fi", "", 26},
      {"if 'a'-'b'='x' then 'y' fi", "", 26},
      {"if 1=1 and 2 then 'y' fi", "", 26},
      {"if not 1 then 'y' fi", "", 26},
      {"if -'a'='a' then 'y' fi", "", 26},
      {"if (1=1)=(2=2) then 'y' fi", "", 26},
      {"if then 'y' fi", "", 20},
      {"if 1=1 and not 2=2 then 'y' fi", "", 20},
      {"if 1< >2 then 'y' fi", "", 20},
      {"if \"a\"='a' then 'y' fi", "", 20},
      {"if (1=1 then 'y' fi", "", 19},
      {"if 1/0=1 then 'y' fi", "", 62},
      {"if p('x') then 'y' fi", "", 61},
      {"if p(d700) then 'y' fi", "", 61},
      {"if p(v700 then 'y' fi", "", 19},
  });
}

TEST(FFunctionTest, Digits) {
  Check({
      {"f(2+3*4,1,0)", "14"},
      {"f((2+3)*4,1,0)", "20"},
      {"f(-3,1,0)", "-3"},
      {"f(10/4,1,2)", "2.50"},
      {"f(2.5,1,0)", "2"},
      {"f(3.5,1,0)", "4"},
      {"f(7,4,0)", "   7"},
      {"f(3e9,4,0)", "****"},
      {"f(-2147483645,1,0)", "-2147483645"},
      {"f(0,5,2)", ""},
      {"f(1.5)", "1.50000000000000E+00"},
      {"f(1.5,10)", " 1.500E+00"},
      {"f(-1.5,10)", "-1.500E+00"},
      {"f(mfn,1,0)", "12"},
      {"f(1,1,1,1)", "", 19},
      {"f('a')", "", 58},
      {"f(1,'a')", "", 58},
      {"f(1", "", 19},
      {"f(1/0)", "", 62},
  });
}

TEST(NumericFunctionTest, ScanTheArgumentsText) {
  Check({
      {"f(rsum(v900+|;|),1,1)", "-0.5"},
      {"f(rmin(v900+|;|),1,1)", "-4.0"},
      {"f(rmax(v900+|;|),1,1)", "2.5"},
      {"f(ravr(v900+|;|),1,2)", "-0.17"},
      {"f(val(v900+|;|),1,1)", "1.0"},
      {"f(val(v910),1,1)", "125.0"},
      {"f(rsum(v910),1,1)", "132.0"},
      {"f(rmin(v920),1,0)", "5"},
      {"f(rsum(v999),1,1)", ""},
      {"'a',f(val('7'),1,0),'b'", "a7b"},
      {"if val(v900)=12.5 then 'one' fi", "one"},
  });
}

}  // namespace
}  // namespace talor
