#include "navigator/command_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/url_coding.h"

namespace talor {
namespace {

ParameterSet Params(std::string_view url, const NavigatorSettings& settings = NavigatorSettings()) {
  ParameterSet params;
  ParseNavigationParams(url, "", settings, "", params);
  return params;
}

TEST(CommandTextTest, ResolvedDatabase) {
  const NavigatorSettings settings;
  EXPECT_EQ("BENCH", ResolvedDatabase(Params("TALOR:1,,BENCH"), settings, "SERIALS"));
  EXPECT_EQ("SERIALS", ResolvedDatabase(Params("TALOR:1"), settings, "SERIALS"));
  EXPECT_EQ("DEMO", ResolvedDatabase(Params("TALOR:1"), settings, ""));
}

TEST(CommandTextTest, ResolvedPortion) {
  NavigatorSettings settings;
  settings.searchPortion = 7;
  EXPECT_EQ(10, ResolvedPortion(Params("TALOR:2?S21CNR=10"), settings));
  EXPECT_EQ(7, ResolvedPortion(Params("TALOR:2?S21CNR=ten"), settings));
  EXPECT_EQ(7, ResolvedPortion(Params("TALOR:2"), settings));
}

TEST(CommandTextTest, FreeParametersKeepTheirNumbers) {
  NavigatorSettings settings;
  const ParameterSet params =
      Params("TALOR:1?FREEPAR0=a&FREEPAR1=&FREEPAR3=b&freepar5=c&FREEPAR20=beyond&FREEPAR0=late");
  EXPECT_EQ((std::vector<FreeParameter>{{"a", 0}, {"b", 3}, {"c", 5}}),
            ReadFreeParameters(params, settings));
  settings.numbFreePar = 3;
  EXPECT_EQ((std::vector<FreeParameter>{{"a", 0}}), ReadFreeParameters(params, settings));
  settings.numbFreePar = 0;
  EXPECT_TRUE(ReadFreeParameters(params, settings).empty());
  settings.numbFreePar = 20;
  settings.names[static_cast<size_t>(Param::FREEPAR)] = "FP";
  EXPECT_EQ((std::vector<FreeParameter>{{"x", 2}}),
            ReadFreeParameters(Params("TALOR:1?FREEPAR0=a&FP2=x"), settings));
}

TEST(CommandTextTest, FormatSpec) {
  NavigatorSettings settings;
  const std::vector<FreeParameter> free = {{"a", 0}, {"b c", 3}};
  struct Row {
    std::vector<FreeParameter> free;
    const char* formatName;
    std::string expected;
  };
  const Row rows[] = {
      {free, "brief",
       "&uf('+7'),&uf('+991100%23a%0D%0A1103%23b%20c%0D%0A'),\x1C"
       "brief\x1D"},
      {{}, "brief", "@brief"},
      {free, "", "@"},
      {{}, "", "@"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected, FormatSpec(row.free, settings, row.formatName)) << row.formatName;
  }
  // The lines that the server decodes from the format spec.
  const std::string spec = FormatSpec(free, settings, "brief");
  const size_t start = spec.find("+99") + 3;
  EXPECT_EQ("1100#a\r\n1103#b c\r\n",
            UrlDecodeForm(spec.substr(start, spec.find('\'', start) - start)));

  settings.tags[static_cast<size_t>(Tag::MODTAG_FREEPAR)] = 2000;
  EXPECT_EQ(
      "&uf('+7'),&uf('+992003%23b%20c%0D%0A'),\x1C"
      "f\x1D",
      FormatSpec({{"b c", 3}}, settings, "f"));
}

TEST(CommandTextTest, FollowUpSearchUrlRenumbersFreeParameters) {
  const NavigatorSettings settings;
  const ParameterSet params = Params(
      "TALOR:8,,SERIALS,brief.pft?FREEPAR0=a&FREEPAR3=b%26c&TOPPFTNAME=top&PRINTCOM=0&S21CNR=12");
  const std::string url = FollowUpSearchUrl(params, settings, "SERIALS", "brief.pft", 15,
                                            ReadFreeParameters(params, settings));
  EXPECT_EQ(
      "TALOR:?C21COM=2&I21DBN=SERIALS&PFTNAME=brief.pft&S21STN=15&S21CNR=12&TOPPFTNAME=top"
      "&BOTTOMPFTNAME=&PRINTCOM=0&FREEPAR0=a&FREEPAR1=b%26c",
      url);
  // The navigator reads back what it wrote.
  const ParameterSet next = Params(url);
  EXPECT_EQ("2", next.GetParam("C21COM"));
  EXPECT_EQ("15", next.GetParam("S21STN"));
  EXPECT_EQ("b&c", next.GetParam("FREEPAR1"));
  EXPECT_EQ("", next.GetParam("FREEPAR3"));
}

TEST(CommandTextTest, FollowUpSearchUrlUsesConfiguredNamesAndResolvedPortion) {
  NavigatorSettings settings;
  settings.searchPortion = 9;
  settings.names[static_cast<size_t>(Param::COMMAND)] = "CMD";
  settings.names[static_cast<size_t>(Param::SEARCHPORTION)] = "N";
  settings.names[static_cast<size_t>(Param::FREEPAR)] = "FP";
  const ParameterSet params = Params("TALOR:8?FP4=x", settings);
  EXPECT_EQ(
      "TALOR:?CMD=2&I21DBN=DEMO&PFTNAME=&S21STN=1&N=9&TOPPFTNAME=&BOTTOMPFTNAME=&PRINTCOM=&FP0=x",
      FollowUpSearchUrl(params, settings, "DEMO", "", 1, ReadFreeParameters(params, settings)));
}

TEST(CommandTextTest, FollowUpRecordUrlShowsTheStoredRecord) {
  NavigatorSettings settings;
  const ParameterSet params = Params(
      "TALOR:6,,DEMO,full?RELOAD=1&ENTRY_MFN=-15&TOPPFTNAME=rectop&BOTTOMPFTNAME=recbottom"
      "&FREEPAR2=%D0%9A%D0%BD%D0%B8%D0%B3%D0%B0%20%E2%84%96%201");
  const std::string url =
      FollowUpRecordUrl(params, settings, "DEMO", "full", 15, ReadFreeParameters(params, settings));
  EXPECT_EQ(
      "TALOR:?RELOAD=1&C21COM=1&I21DBN=DEMO&PFTNAME=full&ENTRY_MFN=15&TOPPFTNAME=rectop"
      "&BOTTOMPFTNAME=recbottom&PRINTCOM=&FREEPAR0=%D0%9A%D0%BD%D0%B8%D0%B3%D0%B0%20%E2%84%96%201",
      url);
  const ParameterSet next = Params(url);
  EXPECT_EQ("15", next.GetParam("ENTRY_MFN"));
  EXPECT_EQ("Книга № 1", next.GetParam("FREEPAR0"));

  settings.names[static_cast<size_t>(Param::RELOAD)] = "RL";
  settings.names[static_cast<size_t>(Param::ENTRY_MFN)] = "MFN";
  EXPECT_EQ(
      "TALOR:?RL=&C21COM=1&I21DBN=SERIALS&PFTNAME=&MFN=3&TOPPFTNAME=&BOTTOMPFTNAME=&PRINTCOM=",
      FollowUpRecordUrl(Params("TALOR:6", settings), settings, "SERIALS", "", 3, {}));
}

}  // namespace
}  // namespace talor
