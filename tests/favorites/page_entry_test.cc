#include "favorites/page_entry.h"

#include <gtest/gtest.h>

namespace talor {
namespace {

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
