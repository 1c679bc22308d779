#include "text/html_coding.h"

#include <gtest/gtest.h>

namespace talor {
namespace {

TEST(HtmlEscapeTest, EscapesTheFourCharacters) {
  EXPECT_EQ("&lt;a href=&quot;x&amp;y&quot;&gt;", HtmlEscape("<a href=\"x&y\">"));
  EXPECT_EQ("&amp;amp;", HtmlEscape("&amp;"));  // an entity is escaped again
  EXPECT_EQ("'plain' \xD0\x9F", HtmlEscape("'plain' \xD0\x9F"));
  EXPECT_EQ("", HtmlEscape(""));
}

TEST(HtmlUnescapeTest, ReplacesEachEntityUntilNoneIsLeft) {
  struct Row {
    const char* input;
    const char* expected;
  } rows[] = {
      {"&lt;b&gt; &quot;q&quot; &amp;", "<b> \"q\" &"},
      {"&amp;lt;", "<"},       // the ampersand entity is replaced first
      {"&amp;amp;amp;", "&"},  // and again until none is left
      {"&amp;quot;", "\""},
      {"&lt;&amp;gt;", "<>"},
      {"&AMP; &lt &#60;", "&AMP; &lt &#60;"},  // only the exact four entities
      {"", ""},
  };
  for (const Row& row : rows) EXPECT_EQ(row.expected, HtmlUnescape(row.input)) << row.input;
}

TEST(HtmlCodingTest, UnescapeUndoesEscapeForTextWithoutEntities) {
  const char* texts[] = {"",    "a&b",  "<<>>\"\"&&", "&am p;", "&&amp", "x & y < z > \"w\"",
                         "&lt", "amp;&"};
  for (const char* text : texts) EXPECT_EQ(text, HtmlUnescape(HtmlEscape(text))) << text;
}

}  // namespace
}  // namespace talor
