#include "navigator/parameters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talor {
namespace {

using Pairs = std::vector<ParameterSet::Pair>;

Pairs Parse(std::string_view url, std::string_view postText = "",
            std::string_view currentDbName = "SERIALS",
            const NavigatorSettings& settings = NavigatorSettings()) {
  ParameterSet params;
  params.Add("STALE", "from the previous page");
  ParseNavigationParams(url, postText, settings, currentDbName, params);
  return params.pairs();
}

struct ParseRow {
  const char* url;
  Pairs expected;
};

TEST(ParseNavigationParamsTest, HeadOfOrdinaryCommands) {
  const ParseRow rows[] = {
      {"TALOR:5,,DEMO,list.pft", {{"C21COM", "5"}, {"I21DBN", "DEMO"}, {"PFTNAME", "list.pft"}}},
      {"TALOR:5,ignored,DEMO,list.pft",
       {{"C21COM", "5"}, {"I21DBN", "DEMO"}, {"PFTNAME", "list.pft"}}},
      // An empty field adds nothing; the key keeps its commas.
      {"TALOR:1,,DEMO,,K=abc,def", {{"C21COM", "1"}, {"I21DBN", "DEMO"}, {"KEY", "K=abc,def"}}},
      {"TALOR:007,,DEMO", {{"C21COM", "7"}, {"I21DBN", "DEMO"}}},
      {"talor:2", {{"C21COM", "2"}}},
      // A command that is not a number is absent; the other fields still count.
      {"TALOR:x,,DEMO,brief.pft", {{"I21DBN", "DEMO"}, {"PFTNAME", "brief.pft"}}},
      {"TALOR:-4,,DEMO", {{"I21DBN", "DEMO"}}},
      {"TALOR:", {}},
      {"TAL", {}},
  };
  for (const ParseRow& row : rows) EXPECT_EQ(row.expected, Parse(row.url)) << row.url;
}

TEST(ParseNavigationParamsTest, HeadOfUrlAndResourceCommands) {
  const ParseRow rows[] = {
      {"TALOR:0,,file:///c:/pages/a.html", {{"C21COM", "0"}, {"URL", "file:///c:/pages/a.html"}}},
      {"TALOR:0,x,http://host/a,b", {{"C21COM", "0"}, {"URL", "http://host/a,b"}}},
      {"TALOR:0,,", {{"C21COM", "0"}}},
      {"TALOR:3,0,,Talor_Navigator_Help0.html",
       {{"C21COM", "3"},
        {"PATH", "0"},
        {"I21DBN", ""},
        {"FILENAME", "Talor_Navigator_Help0.html"}}},
      // Paths 0 and 1 skip the database field and keep commas in the name.
      {"TALOR:3,1,DEMO,a,b.html",
       {{"C21COM", "3"}, {"PATH", "1"}, {"I21DBN", ""}, {"FILENAME", "a,b.html"}}},
      {"TALOR:3,2,BENCH,page.htm,ignored",
       {{"C21COM", "3"}, {"PATH", "2"}, {"I21DBN", "BENCH"}, {"FILENAME", "page.htm"}}},
      // An empty database field stands for the current database.
      {"TALOR:3,10,,logo.gif",
       {{"C21COM", "3"}, {"PATH", "10"}, {"I21DBN", "SERIALS"}, {"FILENAME", "logo.gif"}}},
      {"TALOR:3,12,DEMO,15,2",
       {{"C21COM", "3"}, {"PATH", "12"}, {"I21DBN", "DEMO"}, {"FILENAME", "15,2"}}},
      {"TALOR:3,12,,15",
       {{"C21COM", "3"}, {"PATH", "12"}, {"I21DBN", "SERIALS"}, {"FILENAME", "15"}}},
      {"TALOR:3,7,DEMO,x.html", {{"C21COM", "3"}, {"PATH", "7"}}},
      {"TALOR:3,x,DEMO,x.html", {{"C21COM", "3"}}},
  };
  for (const ParseRow& row : rows) EXPECT_EQ(row.expected, Parse(row.url)) << row.url;
}

TEST(ParseNavigationParamsTest, Query) {
  const ParseRow rows[] = {
      {"TALOR:?C21COM=2&I21DBN=DEMO&S21STR=a%2Bb",
       {{"C21COM", "2"}, {"I21DBN", "DEMO"}, {"S21STR", "a+b"}}},
      {"TALOR:?S21STR=war+and+peace", {{"S21STR", "war and peace"}}},
      // An encoded ampersand or line break stays inside its value.
      {"TALOR:?S21STR=a%26b&KEY=1", {{"S21STR", "a&b"}, {"KEY", "1"}}},
      {"TALOR:?S21STR=a%0Ab%0D%0Ac&KEY=1", {{"S21STR", "a\nb\r\nc"}, {"KEY", "1"}}},
      {"TALOR:?KEY=A=1", {{"KEY", "A=1"}}},
      {"TALOR:?S21STR=&x&&KEY", {{"S21STR", ""}}},
      {"TALOR:?S21STR=%D0%BC%D0%B8%D1%80", {{"S21STR", "мир"}}},
      {"TALOR:?", {}},
      // Only the first `?` splits.
      {"TALOR:1,,DEMO?KEY=a?b", {{"C21COM", "1"}, {"I21DBN", "DEMO"}, {"KEY", "a?b"}}},
  };
  for (const ParseRow& row : rows) EXPECT_EQ(row.expected, Parse(row.url)) << row.url;
}

TEST(ParseNavigationParamsTest, HeadWinsOverQueryOverPost) {
  const std::string post =
      "------b\r\n"
      "Content-Disposition: form-data; name=\"I21DBN\"\r\n"
      "\r\n"
      "BENCH\r\n"
      "------b--";
  ParameterSet params;
  ParseNavigationParams("TALOR:1,,DEMO?i21dbn=SERIALS", post, NavigatorSettings(), "", params);
  EXPECT_EQ(
      (Pairs{{"C21COM", "1"}, {"I21DBN", "DEMO"}, {"i21dbn", "SERIALS"}, {"I21DBN", "BENCH"}}),
      params.pairs());
  EXPECT_EQ("DEMO", params.GetParam("I21DBN"));
  ParseNavigationParams("TALOR:1?I21DBN=SERIALS", post, NavigatorSettings(), "", params);
  EXPECT_EQ("SERIALS", params.GetParam("I21DBN"));
  ParseNavigationParams("TALOR:1", post, NavigatorSettings(), "", params);
  EXPECT_EQ("BENCH", params.GetParam("I21DBN"));
}

TEST(ParseNavigationParamsTest, MultipartGroupsOfFourLines) {
  struct Row {
    const char* post;
    Pairs expected;
  };
  const Row rows[] = {
      {"--b\r\nContent-Disposition: form-data; name=\"S21STR\"\r\n\r\nwar and peace\r\n"
       "--b\r\nContent-Disposition: form-data; name=\"S21P01\"\r\n\r\n1\r\n--b--\r\n",
       {{"S21STR", "war and peace"}, {"S21P01", "1"}}},
      // A group without a name is skipped; the next group still counts.
      {"--b\r\nContent-Type: text/plain\r\n\r\nx\r\n"
       "--b\nContent-Disposition: form-data; name=\"KEY\"\n\nK=1\n",
       {{"KEY", "K=1"}}},
      // Fewer than four lines left: not read.
      {"--b\r\nContent-Disposition: form-data; name=\"KEY\"\r\n\r\n", {}},
      // A URL-encoded body yields nothing.
      {"S21STR=war&KEY=1", {}},
      // A name marker at the end of the line gives an empty name, not a crash.
      {"--b\r\nname=\r\n\r\nv\r\n", {{"", "v"}}},
      {"", {}},
  };
  for (const Row& row : rows) EXPECT_EQ(row.expected, Parse("TALOR:", row.post)) << row.post;
}

TEST(ParseNavigationParamsTest, ConfiguredNames) {
  NavigatorSettings settings;
  settings.names[static_cast<size_t>(Param::COMMAND)] = "CMD";
  settings.names[static_cast<size_t>(Param::DBNAME)] = "DB";
  settings.names[static_cast<size_t>(Param::KEY)] = "K";
  EXPECT_EQ((Pairs{{"CMD", "1"}, {"DB", "DEMO"}, {"K", "T=war"}}),
            Parse("TALOR:1,,DEMO,,T=war", "", "", settings));
}

TEST(ParameterSetTest, GetAndSetIgnoreLetterCase) {
  ParameterSet params;
  params.Add("s21str", "first");
  params.Add("S21STR", "second");
  params.Add("EMPTY", "");
  EXPECT_EQ("first", params.GetParam("S21Str"));
  EXPECT_EQ("", params.GetParam("EMPTY"));
  EXPECT_EQ("", params.GetParam("MISSING"));
  EXPECT_EQ("", params.GetParam("S21STRX"));
  params.SetParam("S21STR", "changed");
  params.SetParam("S21STN", "5");
  EXPECT_EQ((Pairs{{"s21str", "changed"}, {"S21STR", "second"}, {"EMPTY", ""}, {"S21STN", "5"}}),
            params.pairs());
}

TEST(ParameterSetTest, FindParamLikeCountsMatchingNames) {
  ParameterSet params;
  params.Add("1S21STR", "war");
  params.Add("1S21P03", "T=");
  params.Add("s21str", "any");
  params.Add("abS21Str", "peace");
  struct Row {
    int n;
    const char* value;
    const char* prefix;
  };
  const Row rows[] = {
      {1, "war", "1"}, {2, "any", ""}, {3, "peace", "ab"}, {4, "", ""}, {0, "", ""}, {-1, "", ""},
  };
  for (const Row& row : rows) {
    const ParameterSet::Like like = params.FindParamLike("S21STR", row.n);
    EXPECT_EQ(row.value, like.value) << row.n;
    EXPECT_EQ(row.prefix, like.prefix) << row.n;
  }
}

TEST(PostDataTest, TextHasCrLfLinesWithoutFinalBreak) {
  struct Row {
    const char* data;
    const char* text;
  };
  const Row rows[] = {
      {"", ""},           {"a", "a"},
      {"a\r\n", "a"},     {"a\nb\n", "a\r\nb"},
      {"a\rb", "a\r\nb"}, {"a\r\n\r\n", "a\r\n"},
      {"\r\n", ""},       {"a\n\rb", "a\r\n\r\nb"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.text, PostDataToText(row.data)) << row.data;
  EXPECT_EQ("", TextToPostData(""));
  EXPECT_EQ("a\r\nb\r\n", TextToPostData("a\r\nb"));
  for (std::string_view text : {"a", "a\r\nb", "?"}) {
    EXPECT_EQ(text, PostDataToText(TextToPostData(text)));
  }
}

TEST(PseudoUrlTest, SchemesIgnoreLetterCase) {
  EXPECT_TRUE(IsPseudoUrl("TALOR:1,,DEMO"));
  EXPECT_TRUE(IsPseudoUrl("talor:?C21COM=2"));
  EXPECT_FALSE(IsPseudoUrl("TALORFILE:c:\\x.htm"));
  EXPECT_FALSE(IsPseudoUrl("TALOR"));
  EXPECT_FALSE(IsPseudoUrl("http://localhost/"));
  EXPECT_TRUE(IsTalorFileUrl("TALORfile:c:\\x.htm"));
  EXPECT_FALSE(IsTalorFileUrl("TALOR:1"));
  EXPECT_FALSE(IsTalorFileUrl("TALORFILE"));
}

}  // namespace
}  // namespace talor
