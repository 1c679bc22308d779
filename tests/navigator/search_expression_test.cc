#include "navigator/search_expression.h"

#include <gtest/gtest.h>

#include <string>

#include "text/html_coding.h"

namespace talor {
namespace {

struct Sources {
  StringList stopWords;
  StringList selection;
  int stopWordReads = 0;
};

// Builds the expression of command 2 for the search page `url` as the
// command processor does: SEXP, QUERY and MARKWORDS unescaped.
SearchExpression Build(std::string_view url, Sources& sources,
                       const NavigatorSettings& settings = NavigatorSettings()) {
  ParameterSet params;
  ParseNavigationParams(url, "", settings, "DEMO", params);
  SearchSources callbacks;
  callbacks.stopWords = [&sources] {
    ++sources.stopWordReads;
    return sources.stopWords;
  };
  callbacks.selection = [&sources] { return sources.selection; };
  return BuildSearchExpression(params, settings, callbacks,
                               HtmlUnescape(params.Get(settings, Param::MARKWORDS)),
                               HtmlUnescape(params.Get(settings, Param::SEXP)),
                               HtmlUnescape(params.Get(settings, Param::QUERY)));
}

SearchExpression Build(std::string_view url) {
  Sources sources;
  return Build(url, sources);
}

struct Row {
  const char* url;
  const char* expression;
  const char* query;
  const char* markWords;
};

void CheckRows(const Row* begin, const Row* end, Sources& sources) {
  for (const Row* row = begin; row != end; ++row) {
    const SearchExpression result = Build(row->url, sources);
    EXPECT_EQ(row->expression, result.expression) << row->url;
    EXPECT_EQ(row->query, result.query) << row->url;
    EXPECT_EQ(row->markWords, result.markWords) << row->url;
  }
}

TEST(SearchExpressionTest, FieldSettings) {
  const Row rows[] = {
      {"TALOR:2,,DEMO?1S21STR=war&2S21STR=peace&1S21P03=T=&2S21P03=K=", "(\"T=war\")*(\"K=peace\")",
       ":  war;  :  peace", "war|peace"},
      {"TALOR:2?S21STR=word&S21P03=K=&S21P02=1&S21P04=700", "\"K=word$\"/(700)", ":  word", "word"},
      // TRUNCATE other than 1 adds no mark.
      {"TALOR:2?S21STR=word&S21P02=2", "\"word\"", ":  word", "word"},
      {"TALOR:2?1S21STR=war&1S21P05=Заглавие", "\"war\"", "Заглавие:  war", "war"},
      // Between fields: LOGIC 0 is `+`, anything else `*`.
      {"TALOR:2?1S21STR=a&2S21STR=b&S21LOG=0", "(\"a\")+(\"b\")", ":  a;  :  b", ""},
      {"TALOR:2?1S21STR=a&2S21STR=b&S21LOG=x", "(\"a\")*(\"b\")", ":  a;  :  b", ""},
      {"TALOR:2?1S21STR=a&2S21STR=b&3S21STR=c", "((\"a\")*(\"b\"))*(\"c\")", ":  a;  :  b;  :  c",
       ""},
      // A field without value contributes nothing; the next field still counts.
      {"TALOR:2?1S21STR=&2S21STR=peace", "\"peace\"", ":  peace", "peace"},
      {"TALOR:2,,DEMO", "", "", ""},
  };
  Sources sources;
  CheckRows(std::begin(rows), std::end(rows), sources);
}

TEST(SearchExpressionTest, TermRules) {
  Sources sources;
  sources.stopWords = {{"and"}, {"И"}};
  const Row rows[] = {
      // 0 and unknown rules: the whole value.
      {"TALOR:2?S21STR=war+and+peace", "\"war and peace\"", ":  war and peace", "war and peace"},
      {"TALOR:2?S21STR=war+and+peace&S21P01=9", "\"war and peace\"", ":  war and peace",
       "war and peace"},
      {"TALOR:2?S21STR=war+and+peace&S21P01=2", "\"war\"", ":  war", "war"},
      // Words: upper-cased, stop words dropped, LOGIC between them.
      {"TALOR:2?S21STR=war+and+peace&S21P01=1&S21P03=K=", "\"K=WAR\"+\"K=PEACE\"", ":  WAR PEACE",
       "WAR|PEACE"},
      {"TALOR:2?1S21STR=a,b;c&1S21P01=1&1S21LOG=2", "\"A\" . \"B\" . \"C\"", ":  A B C", ""},
      {"TALOR:2?1S21STR=a+b&1S21P01=1&1S21LOG=1", "\"A\"*\"B\"", ":  A B", ""},
      {"TALOR:2?1S21STR=a+b&1S21P01=1&1S21LOG=3", "\"A\"^\"B\"", ":  A B", ""},
      {"TALOR:2?S21STR=%D0%B2%D0%BE%D0%B9%D0%BD%D0%B0+%D0%B8+%D0%BC%D0%B8%D1%80&S21P01=1",
       "\"ВОЙНА\"+\"МИР\"", ":  ВОЙНА МИР", "ВОЙНА|МИР"},
      // Stemmed words.
      {"TALOR:2?S21STR=%D0%BA%D0%BD%D0%B8%D0%B3%D0%B0%D0%BC%D0%B8&S21P01=3&S21P02=1", "\"КНИГ$\"",
       ":  КНИГ", "КНИГ"},
      // A value that starts with a blank has no first word: no term at all.
      {"TALOR:2?S21STR=+war&S21P01=2", "", "", ""},
  };
  CheckRows(std::begin(rows), std::end(rows), sources);
}

TEST(SearchExpressionTest, ShortWordsAreSearchedButNotMarked) {
  Sources sources;
  const Row rows[] = {
      {"TALOR:2?S21STR=ab+abc&S21P01=1", "\"AB\"+\"ABC\"", ":  AB ABC", "ABC"},
      // Characters, not bytes: two Cyrillic letters are four bytes.
      {"TALOR:2?S21STR=%D0%BC%D1%8B+%D0%BC%D0%B8%D1%80&S21P01=1", "\"МЫ\"+\"МИР\"", ":  МЫ МИР",
       "МИР"},
      // The page's previous mark words are extended.
      {"TALOR:2?S21STR=peace&S21ALLTRM=WAR", "\"peace\"", ":  peace", "WAR|peace"},
      {"TALOR:2?S21STR=no&S21ALLTRM=WAR", "\"no\"", ":  no", "WAR"},
  };
  CheckRows(std::begin(rows), std::end(rows), sources);
}

TEST(SearchExpressionTest, KeyReplacesTheExpression) {
  Sources sources;
  const Row rows[] = {
      // An empty field ends the loop with the key as the whole expression.
      {"TALOR:2,,DEMO,,A=1?1S21STR=war&2S21STR=&3S21STR=peace", "\"A=1\"", ":  war", "war"},
      {"TALOR:2,,DEMO,,A=1", "\"A=1\"", "", ""},
      // The selection rule takes no key.
      {"TALOR:2,,DEMO,,A=1?S21STR=&S21P01=4", "", "", ""},
  };
  CheckRows(std::begin(rows), std::end(rows), sources);
}

TEST(SearchExpressionTest, Selection) {
  Sources sources;
  sources.selection = {{"15"}, {""}, {"27"}};
  const Row rows[] = {
      {"TALOR:2?S21STR=&S21P01=4&S21P03=I=", "\"I=15\"+\"I=27\"", ":  15 27", ""},
      // A page without search fields and TRMRULE 4 searches the selection.
      {"TALOR:2?S21P01=4", "\"15\"+\"27\"", ":  15 27", ""},
      // `*` with CHECKPFT: the selection becomes the value.
      // Without CHECKPFT `*` is an ordinary value.
      {"TALOR:2?S21STR=*", "\"*\"", ":  *", ""},
  };
  CheckRows(std::begin(rows), std::end(rows), sources);
}

TEST(SearchExpressionTest, CheckFormatTurnsSelectionIntoTheValue) {
  Sources sources;
  sources.selection = {{"war"}, {"peace"}};
  const Row rows[] = {
      // The lines, each followed by a blank, are the value of the field.
      {"TALOR:2?S21STR=*&CHECKPFT=check.pft", "\"war peace \"", ":  war peace ", "war peace "},
      {"TALOR:2?S21STR=*&CHECKPFT=check.pft&S21P01=1", "\"WAR\"+\"PEACE\"", ":  WAR PEACE",
       "WAR|PEACE"},
      // Only a field without prefix.
      {"TALOR:2?1S21STR=*&CHECKPFT=check.pft", "\"*\"", ":  *", ""},
  };
  CheckRows(std::begin(rows), std::end(rows), sources);
}

TEST(SearchExpressionTest, Refining) {
  Sources sources;
  const Row rows[] = {
      {"TALOR:2?S21STR=peace&S21P03=K=&S21ALL=%26quot%3BK%3Dwar%26quot%3B&QUERY=war",
       "(\"K=peace\") * (\"K=war\")", ":  peace (Уточняемый запрос: war)", "peace"},
      {"TALOR:2?S21STR=peace&S21ALL=%22K%3Dwar%22", "(\"peace\") * (\"K=war\")", ":  peace",
       "peace"},
      // No new expression: the previous search stays as it was.
      {"TALOR:2?S21ALL=%22K%3Dwar%22&QUERY=%26lt%3Bwar%26gt%3B", "\"K=war\"", "<war>", ""},
  };
  CheckRows(std::begin(rows), std::end(rows), sources);
}

TEST(SearchExpressionTest, StopWordsAreReadOnceAndOnlyForWords) {
  Sources sources;
  Build("TALOR:2?1S21STR=a&2S21STR=b", sources);
  EXPECT_EQ(0, sources.stopWordReads);
  Build("TALOR:2?1S21STR=a&1S21P01=1&2S21STR=b&2S21P01=3", sources);
  EXPECT_EQ(1, sources.stopWordReads);
}

TEST(SearchExpressionTest, TermPrefixOfTheLastFieldWithTerms) {
  EXPECT_EQ("K=", Build("TALOR:2?1S21STR=a&1S21P03=T=&2S21STR=b&2S21P03=K=").termPrefix);
  EXPECT_EQ("T=", Build("TALOR:2?1S21STR=a&1S21P03=T=&2S21STR=&2S21P03=K=").termPrefix);
  EXPECT_EQ("", Build("TALOR:2?S21STR=a").termPrefix);
}

TEST(SearchExpressionTest, ConfiguredNames) {
  NavigatorSettings settings;
  settings.names[static_cast<size_t>(Param::SEARCH)] = "find";
  settings.names[static_cast<size_t>(Param::PREFIX)] = "PFX";
  Sources sources;
  EXPECT_EQ(
      "(\"T=war\")*(\"peace\")",
      Build("TALOR:2?1FIND=war&1PFX=T=&2find=peace&2S21P03=K=", sources, settings).expression);
}

}  // namespace
}  // namespace talor
