// One engine formats call after call in buffers that it keeps between them.
// Whatever an earlier call left behind (a longer output, an error half-way
// through a field command or an expression, a nested format call), every
// call must give what a fresh engine gives.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/record.h"
#include "format/format_engine.h"
#include "format/token_cache.h"
#include "format_test_util.h"

namespace talor {
namespace {

using testing::Apply;
using testing::MakeRecord;
using testing::MemoryFiles;
using testing::Outcome;

std::vector<StringList> Records() {
  return {
      MakeRecord({{200, "^aThe Captain's Daughter^eа novel^fA. Pushkin"},
                  {700, "^aPushkin^bA. S."},
                  {606, "^aRussian prose"},
                  {606, "^aHistorical fiction"},
                  {910, "^b1001^13"},
                  {910, "^b1002^15"},
                  {330, "<The tale=Tale> of the Pugachev rising"}},
                 7),
      MakeRecord({{200, "^aDead Souls"}, {700, "^aGogol^bN. V."}, {910, "^b77^11"}}, 8),
      MakeRecord({}, 9),
  };
}

// Formats that use every buffer of the workspace: output growing past the
// initial capacity, prefix items, the evaluation stack, S and &name, and
// errors that stop a call with all of these half-used.
const std::vector<std::string>& Formats() {
  static const std::vector<std::string> formats = {
      "v200^a,\" / \"v200^f,\". - \"v910^b+|, |",
      "mhl,\"Subjects: \"v606^a+|; |,#,(|Copy |v910^b,| (|v910^1|)|),v330",
      "'Copies: ',f(rsum((v910^1,|;|)),1,0),', mean ',f(ravr((v910^1,|;|)),6,2)",
      "if v200^a:'Daughter' and p(v606) then 'match' else 'other' fi",
      "if 'x'+v200^a+'y' = 'xDead Soulsy' then 'joined' fi,v700^a",
      "s(mpu,v700^a,' ',v700^b),'|',&uf('6brief'),'|',&uf('Av200#1')",
      "\"Title: \"v200^a,if",                    // syntax error after a prefix item
      "'a',if 'x' + 1 = 2 then 'b' fi,'c'",      // type mismatch inside an expression
      "(v910^b,if v910^1>'3' then 'many' fi,)",  // error inside a repeat group
      "v200^a,f(1/0,5,2)",                       // division by zero in a function argument
      "&uf('6broken'),v700^a",                   // error inside a nested format call
      "(\"<\"v910^b\">\"),mpu,v200^e",
  };
  return formats;
}

void AddFiles(MemoryFiles& files) {
  files.files["brief.pft"] = "v700^a,\", \"v200^a,s(v910^b+|;|)";
  files.files["broken.pft"] = "v200^a,if";
}

// Runs every format over every record with one engine, in two rounds so
// that the second finds every buffer grown and dirty, and checks each call
// against a fresh engine's.
void ExpectCallsAsOnAFreshEngine(const std::vector<std::string>& formats) {
  MemoryFiles files;
  AddFiles(files);
  FormatEngine reused;
  reused.SetFileReader(&files);
  for (int round = 0; round < 2; ++round) {
    for (const StringList& record : Records()) {
      for (const std::string& format : formats) {
        FormatEngine fresh;
        fresh.SetFileReader(&files);
        EXPECT_EQ(Apply(fresh, format, record), Apply(reused, format, record))
            << "format: " << format << ", record " << RecordMfn(record);
      }
    }
  }
}

TEST(EngineReuseTest, EveryCallFormatsAsOnAFreshEngine) { ExpectCallsAsOnAFreshEngine(Formats()); }

// The same, spelled out for the calls most likely to leave something behind.
TEST(EngineReuseTest, CallAfterAFailedCallStartsClean) {
  MemoryFiles files;
  AddFiles(files);
  FormatEngine engine;
  engine.SetFileReader(&files);
  const StringList gogol = Records()[1];
  EXPECT_NE(0, Apply(engine, "\"Title: \"v200^a,if", gogol).code);
  EXPECT_EQ((Outcome{"Dead Souls", 0}), Apply(engine, "v200^a", gogol));
  EXPECT_NE(0, Apply(engine, "'a',if 'x' + 1 = 2 then 'b' fi", gogol).code);
  EXPECT_EQ((Outcome{"y", 0}), Apply(engine, "if 'a'+v700^a = 'aGogol' then 'y' fi", gogol));
  EXPECT_NE(0, Apply(engine, "&uf('6broken'),v700^a", gogol).code);
  EXPECT_EQ((Outcome{"<Gogol, Dead Souls77>Gogol", 0}),
            Apply(engine, "'<',&uf('6brief'),'>',v700^a", gogol));
}

// A format's tokens are read once and replayed for later calls and for the
// iterations of a repeat group. Formats that stop while reading (a character
// that starts no token, MFN( without its parenthesis, the server marker) and
// tokens that are easy to misread must give, call after call, what a fresh
// engine gives on its first reading.
TEST(EngineReuseTest, ReplayedTokensReadAsTheFirstTime) {
  const std::vector<std::string> formats = {
      "v200^a,(v910^b,' ',v910^1),~,'never'",
      "(v910^b,if v910^1>'3' then mfn(4 fi),'never'",
      "(v606^a,'-'),'a'\x1C,'never'",
      "(v606^a+|; |,verylongidentifier),'x'",
      "v200^a*4.3,' ',f(1.5e2*2,1,0),(v910^b.2(1,2)+|<>|),' ',MFN(3),mDu,v330,'unclosed",
      "if v200^a:'souls' then (v910^b,| / |) else 'no' fi,`back`,!/esc/,x2,c3,#,%",
  };
  ExpectCallsAsOnAFreshEngine(formats);
}

// Field commands are kept whole after their first reading. Commands with
// every kind of prefix item and tail, read first where they do not run (an
// untaken branch, a record without the field) and then where they do, in an
// expression (where a `+` after the command is the expression's), and
// commands whose reading fails half-way.
TEST(EngineReuseTest, ReplayedFieldCommandsReadAsTheFirstTime) {
  const std::vector<std::string> formats = {
      "\"Note: \"v330,/\"Has a note\"d330,\"No note\"n330,\"Copies: \"v910^b*1.2(2,4)+|; |\".\"",
      "if p(v330) then \"<\"v330\">\" else |(|+v606^a+|)|,x2,v700^a.3 fi,'/'",
      "(\"[\"v910^b|]|,!/-/v910^1,#v606^a),mdu,\"U: \"v200^e",
      "if v200^a+'x'='Dead Soulsx' then 'plus' fi,s(v700^a+' ',v700^b),v200^a*2",
      "v200^a,' ',v200^a(2,'x'",  // indentation without its parenthesis
      "v700^a,v910+'x'",          // a `+` after a statement's command
  };
  ExpectCallsAsOnAFreshEngine(formats);
}

// Reading depends on the upper-case table: tokens read with one table are
// not replayed under another.
TEST(EngineReuseTest, NewCaseTableReadsTheFormatAgain) {
  FormatEngine engine;
  const StringList gogol = Records()[1];
  EXPECT_EQ(99, Apply(engine, "q200^a", gogol).code);
  CaseTable upper = DefaultCaseTable();
  upper['q' - 1] = 'V';
  engine.InstallFormatTables(nullptr, &upper, nullptr, nullptr);
  EXPECT_EQ((Outcome{"Dead Souls", 0}), Apply(engine, "q200^a", gogol));
  engine.InstallFormatTables(nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(99, Apply(engine, "q200^a", gogol).code);
}

// A format too long to keep the tokens of is read token by token every time.
TEST(EngineReuseTest, VeryLongFormatIsReadEveryTime) {
  FormatEngine engine;
  const StringList gogol = Records()[1];
  std::string format;
  std::string expected;
  while (format.size() <= kMaxCachedFormat) {
    format += "v200^a,(v910^b),";
    expected += "Dead Souls77";
  }
  for (int call = 0; call < 2; ++call) {
    EXPECT_EQ((Outcome{expected + "end", 0}), Apply(engine, format + "'end'", gogol));
    EXPECT_EQ(99, Apply(engine, format + "~", gogol).code);
  }
}

}  // namespace
}  // namespace talor
