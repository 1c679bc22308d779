// Functions that reach outside the record (L, REF, the server) and the
// `&name` dispatch point, and global variables.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "format/builtins.h"
#include "format/format_engine.h"
#include "format/interpreter.h"
#include "format_test_util.h"

namespace talor {
namespace {

using testing::Apply;
using testing::MakeRecord;
using testing::Outcome;

StringList Catalogue() {
  return MakeRecord({{101, "rus"}, {700, "Ivanov"}, {700, "Petrov"}, {200, "^aTitle^bSub"}});
}

// A catalogue that knows one term and one other record.
class FakeServer : public FormatServer {
 public:
  std::optional<int32_t> LookupTerm(std::string_view, std::string_view term) override {
    lookups.emplace_back(term);
    return term == "PUSHKIN" ? 42 : 0;
  }
  std::optional<StringList> ReadRecord(std::string_view, int32_t mfn) override {
    if (mfn == 5) return MakeRecord({{200, "^aOther"}}, 5);
    return StringList{{"-605", 0}};
  }
  std::vector<std::string> lookups;
};

TEST(ServerFunctionTest, WithoutServerTheFormatNeedsTheServer) {
  const std::vector<std::string> formats = {"'a',ref(1,v200)", "if l('x')=0 then 'a' fi",
                                            "'a'\x1C"};
  for (const std::string& format : formats) {
    EXPECT_EQ((Outcome{"", 999}), Apply(format, Catalogue())) << format;
  }
  EXPECT_EQ((Outcome{"none", 0}), Apply("if l(v999)=0 then 'none' fi", Catalogue()));
  EXPECT_EQ((Outcome{"ab", 0}), Apply("'a',ref(0,v200),'b'", Catalogue()));
}

TEST(ServerFunctionTest, LookupAndOtherRecordThroughTheServer) {
  FormatEngine engine;
  FakeServer server;
  engine.SetServer(&server);
  struct Row {
    std::string format;
    Outcome expected;
  } rows[] = {
      {"f(l('PUSHKIN'),1,0)", {"42", 0}},
      {"if l('NOBODY')=0 then 'none' fi", {"none", 0}},
      {"ref(5,v200^a)", {"Other", 0}},
      {"ref(2+3,v200^a,'/',f(mfn,1,0))", {"Other/5", 0}},
      {"v101,ref(7,v200^a),v101", {"rusrus", 0}},
      {"if ref(5,v200^a)='Other' then 'y' fi", {"y", 0}},
      {"ref('a',v200)", {"", 28}},
      {"ref(1 v200)", {"", 28}},
      {"ref(5,v200", {"^aOther", 19}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected, Apply(engine, row.format, Catalogue())) << row.format;
  }
  EXPECT_EQ("PUSHKIN", server.lookups.front());
}

TEST(GlobalVariableTest, LinesOfVariablesAreOccurrences) {
  FormatEngine engine;
  engine.globalVariables.Add("zero");
  engine.globalVariables.Add("a\r\nb\r\n\r\nc");
  struct Row {
    std::string format;
    std::string output;
  } rows[] = {
      {"g0", "zero"},   {"g1+|,|", "a,b,c"},           {"(g1+|;|)", "a;b;c"},         {"g5", ""},
      {"g0*1.2", "er"}, {"if p(g1) then 'y' fi", "y"}, {"if a(g7) then 'n' fi", "n"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ((Outcome{row.output, 0}), Apply(engine, row.format, Catalogue())) << row.format;
  }
}

// P and A over a variable: its non-empty lines are the occurrences, the
// first one reached decides a subfield test, and in a repeat group the
// iteration's line counts.
TEST(GlobalVariableTest, PresenceOfLinesAndSubfields) {
  FormatEngine engine;
  engine.globalVariables.Add("zero");
  engine.globalVariables.Add("^aA1\r\n\r\n^bB2\nplain");
  engine.globalVariables.Add("");
  struct Row {
    std::string format;
    std::string output;
  } rows[] = {
      {"if p(g1^a) then 'y' else 'n' fi", "y"},
      {"if p(g1^b) then 'y' else 'n' fi", "n"},
      {"if a(g1^B) then 'y' else 'n' fi", "y"},
      {"if a(g2) then 'y' else 'n' fi", "y"},
      {"if p(g9) then 'y' else 'n' fi", "n"},
      {"(if p(g1^b) then '+' fi,g1+|;|)", "^aA1;+^bB2;plain"},
      {"(if a(g1) then '-' fi,g1+|;|)", "^aA1;^bB2;plain-"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ((Outcome{row.output, 0}), Apply(engine, row.format, Catalogue())) << row.format;
  }
}

int32_t Echo(BuiltinCall& call, std::string& result) {
  result = "[" + std::string(call.argument) + "]";
  if (call.iteration > 0) result += std::to_string(call.iteration);
  return 0;
}

int32_t NeedsServer(BuiltinCall&, std::string&) { return 999; }

int32_t AskTidy(BuiltinCall& call, std::string&) {
  call.interpreter.engine().tidyPunctuation = true;
  return 0;
}

// Runs its argument as a nested format over the same record.
int32_t Nest(BuiltinCall& call, std::string& result) {
  return call.interpreter.engine().RunFormat(call.interpreter.record(), call.interpreter.database(),
                                             {}, 4, result, call.argument);
}

// Calls itself without end.
int32_t Forever(BuiltinCall& call, std::string& result) {
  return call.interpreter.engine().RunFormat(call.interpreter.record(), "", {}, 4, result,
                                             "&forever('x')");
}

constexpr std::array<BuiltinEntry, 6> kTestBuiltins{{
    {"NEST", Nest},
    {"FOREVER", Forever},
    {"ECHO", Echo},
    {"SRV", NeedsServer},
    {"TIDY", AskTidy},
    {"ABCDEFGHI", Echo},
}};

TEST(BuiltinDispatchTest, CallsTheFunctionOfTheName) {
  FormatEngine engine;
  engine.SetBuiltins(kTestBuiltins);
  struct Row {
    std::string format;
    Outcome expected;
  } rows[] = {
      {"&echo(v101)", {"[rus]", 0}},
      {"&Echo('x'),'y'", {"[x]y", 0}},
      {"&unknown(v101)", {"", 0}},
      {"(&echo(v700))", {"[Ivanov]1[Petrov]2[]3", 0}},
      {"mhl,&echo('^aA^bB')", {"[; A, B]", 0}},
      {"mdl,&echo('x')", {"[x]", 0}},
      {"'#',&echo('x')(3)", {"#[x]", 0}},
      {"#&echo('x')(3)", {"\r   [x]", 0}},
      {"if &echo('a')='[a]' then 'y' fi", {"y", 0}},
      {"&abcdefghijklm('x')", {"[x]", 0}},
      {"'a',&srv('x'),'b'", {"", 999}},
      {"&tidy(''),'a..b'", {"a.b", 0}},
      {"'a..b'", {"a..b", 0}},
      {"'<',&nest('v101,&nest(`mfn(1)`),v101'),'>'", {"<rus1rus>", 0}},
      {"&tidy(''),&nest('`x`'),'a..b'", {"xa.b", 0}},
      {"'a',&nest('v101,1'),'b'", {"a", 99}},
      {"'a',&forever('x'),'b'", {"a", 99}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected, Apply(engine, row.format, Catalogue())) << row.format;
  }
}

TEST(BuiltinDispatchTest, EngineTableHasNoDuplicateNames) {
  const auto table = BuiltinFunctions();
  for (size_t i = 0; i < table.size(); ++i) {
    for (size_t j = i + 1; j < table.size(); ++j) {
      EXPECT_NE(FindBuiltin(table, table[i].name), &table[j]) << table[i].name;
    }
  }
  EXPECT_EQ(nullptr, FindBuiltin(table, "NO SUCH NAME"));
  EXPECT_EQ(&kTestBuiltins[2], FindBuiltin(kTestBuiltins, "eChO"));
}

TEST(SFunctionTest, PrintsWithModePunctuation) {
  struct Row {
    std::string format;
    Outcome expected;
  } rows[] = {
      {"s(v700+|, |)", {"Ivanov, Petrov", 0}},
      {"mhl,s('^aA^bB')", {"A, B", 0}},
      {"if s(v101)='rus' then 'y' fi", {"y", 0}},
      {"s(v101)(2)", {"  rus", 0}},
      {"s(v101", {"", 19}},
      {"s v101", {"", 99}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected, Apply(row.format, Catalogue())) << row.format;
  }
}

}  // namespace
}  // namespace talor

namespace talor {
namespace {

TEST(EngineLifecycleTest, NestedStartsKeepGlobalsUntilTheLastStop) {
  StartFormatEngine();
  StartFormatEngine();
  DefaultFormatEngine().globalVariables.Add("kept");
  StringList record = MakeRecord({});
  StringList result;
  StopFormatEngine();
  EXPECT_EQ(0, FormatRecordByText(record, "DEMO", "g0", result));
  EXPECT_EQ("kept", result.Join("|"));
  StopFormatEngine();
  EXPECT_EQ(0, FormatRecordByText(record, "DEMO", "g0", result));
  EXPECT_EQ("", result.Join("|"));
  StopFormatEngine();  // unmatched: nothing happens
}

TEST(EngineLifecycleTest, InstalledTablesChangeHowLettersRead) {
  FormatEngine engine;
  CaseTable identity{};
  for (int c = 1; c <= 255; ++c) identity[c - 1] = static_cast<uint8_t>(c);
  engine.InstallFormatTables(nullptr, &identity, nullptr, nullptr);
  // Without upper-casing, lower-case words are no longer reserved words.
  EXPECT_EQ(99, Apply(engine, "if 1=1 then 'y' fi", MakeRecord({})).code);
  EXPECT_EQ((Outcome{"y", 0}), Apply(engine, "IF 1=1 THEN 'y' FI", MakeRecord({})));
  engine.InstallFormatTables(nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ((Outcome{"y", 0}), Apply(engine, "if 1=1 then 'y' fi", MakeRecord({})));
}

}  // namespace
}  // namespace talor
