#include "favorites/page_entry.h"

#include <gtest/gtest.h>

namespace talor {
namespace {

TEST(CutToCharactersTest, CountsCharactersNotBytes) {
  EXPECT_EQ("Война", CutToCharacters("Война и мир", 5));
  EXPECT_EQ("Война и мир", CutToCharacters("Война и мир", 11));
  EXPECT_EQ("Война и мир", CutToCharacters("Война и мир", 80));
  EXPECT_EQ("", CutToCharacters("Война", 0));
  EXPECT_EQ("Война", CutToCharacters("Война", -1));
  // A four-byte character is one character and is never split.
  EXPECT_EQ("a\xF0\x9F\x93\x9A", CutToCharacters("a\xF0\x9F\x93\x9A"
                                                 "b",
                                                 2));
}

TEST(ContextTest, PartsAndText) {
  const PageContext context = ParseContext("MARK,SERIALS,10.0.0.7");
  EXPECT_EQ((PageContext{"MARK", "SERIALS", "10.0.0.7"}), context);
  EXPECT_EQ("MARK,SERIALS,10.0.0.7", ContextText(context));
  // The server keeps everything after the second comma.
  EXPECT_EQ((PageContext{"", "DEMO", "host,x"}), ParseContext(",DEMO,host,x"));
  EXPECT_EQ((PageContext{"MARK", "DEMO", ""}), ParseContext("MARK,DEMO"));
  EXPECT_EQ((PageContext{"MARK", "", ""}), ParseContext("MARK"));
  EXPECT_EQ((PageContext{}), ParseContext(""));
}

}  // namespace
}  // namespace talor
