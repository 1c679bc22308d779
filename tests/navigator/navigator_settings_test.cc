#include "navigator/navigator_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace talor {
namespace {

using Section = std::map<std::string, std::string, std::less<>>;

SettingsLookup Lookup(const Section& section) {
  return [&section](std::string_view key) -> std::optional<std::string> {
    auto found = section.find(key);
    if (found == section.end()) return std::nullopt;
    return found->second;
  };
}

NavigatorSettings Read(const Section& navigator, const Section& main = {}) {
  return ReadNavigatorSettings(Lookup(navigator), Lookup(main));
}

TEST(NavigatorSettingsTest, RenamedParameterOthersKeepDefaults) {
  const NavigatorSettings settings =
      Read({{"PARNAME_SEARCH", "FIND"}, {"PARNAME_KEY", ""}, {"PARNAME_DBNAME", "DB"}});
  EXPECT_EQ("FIND", settings.Name(Param::SEARCH));
  EXPECT_EQ("DB", settings.Name(Param::DBNAME));
  EXPECT_EQ("KEY", settings.Name(Param::KEY));  // an empty name keeps the default
  EXPECT_EQ("C21COM", settings.Name(Param::COMMAND));
  EXPECT_EQ("USERDLLNAME", settings.Name(Param::USERFUNCTION_USERDLLNAME));
}

TEST(NavigatorSettingsTest, TagsAndNumbers) {
  const NavigatorSettings settings = Read({{"MODTAG_DBNAME", "abc"},
                                           {"MODTAG_FREEPAR", "2000"},
                                           {"MODTAG_PFTNAME", "12x"},
                                           {"NUMBFREEPAR", "3"},
                                           {"SEARCHPORTION", "five"},
                                           {"RBUTTONDOWN", "0"}},
                                          {{"TagInternalResource", "951"}});
  EXPECT_EQ(1000, settings.TagValue(Tag::MODTAG_DBNAME));
  EXPECT_EQ(2000, settings.TagValue(Tag::MODTAG_FREEPAR));
  EXPECT_EQ(1012, settings.TagValue(Tag::MODTAG_PFTNAME));
  EXPECT_EQ(1001, settings.TagValue(Tag::MODTAG_SEARCH));
  EXPECT_EQ(3, settings.numbFreePar);
  EXPECT_EQ(5, settings.searchPortion);
  EXPECT_EQ(100, settings.trmPortion);
  EXPECT_FALSE(settings.rButtonDown);
  EXPECT_EQ(951, settings.tagInternalResource);
  EXPECT_TRUE(Read({}).rButtonDown);
}

TEST(NavigatorSettingsTest, TablesHaveOneRowPerNameAndTag) {
  std::set<std::string_view> keys;
  std::set<std::string_view> names;
  for (const ParamNameEntry& entry : kParamNameTable) {
    EXPECT_TRUE(entry.key.starts_with("PARNAME_")) << entry.key;
    EXPECT_TRUE(keys.insert(entry.key).second) << entry.key;
    EXPECT_TRUE(names.insert(entry.defaultName).second) << entry.defaultName;
  }
  std::set<int32_t> tags;
  for (const TagEntry& entry : kTagTable) {
    EXPECT_TRUE(entry.key.starts_with("MODTAG_")) << entry.key;
    EXPECT_TRUE(tags.insert(entry.defaultTag).second) << entry.key;
  }
  // The enumerations and the tables line up at their ends.
  EXPECT_EQ("PARNAME_MODTAG_PFTNAME",
            kParamNameTable[static_cast<size_t>(Param::MODTAG_PFTNAME)].key);
  EXPECT_EQ("PARNAME_SEARCH", kParamNameTable[static_cast<size_t>(Param::SEARCH)].key);
  EXPECT_EQ("MODTAG_FREEPAR", kTagTable[static_cast<size_t>(Tag::MODTAG_FREEPAR)].key);
  EXPECT_EQ("MODTAG_SEXP", kTagTable[static_cast<size_t>(Tag::MODTAG_SEXP)].key);
}

}  // namespace
}  // namespace talor
