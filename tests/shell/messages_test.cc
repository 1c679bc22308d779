#include "shell/messages.h"

#include <gtest/gtest.h>

#include "temp_dir.h"

namespace talor {
namespace {

// Five lines: 0 to 4, in Windows-1251 ("Отмена" is line 2).
constexpr char kFiveLines[] = "zero\r\none\r\n\xCE\xF2\xEC\xE5\xED\xE0\r\nthree\r\nfour\r\n";
constexpr char kOtmenaUtf8[] = "\xD0\x9E\xD1\x82\xD0\xBC\xD0\xB5\xD0\xBD\xD0\xB0";

Messages FiveLines() {
  Messages messages;
  messages.SetAnsiText(kFiveLines);
  return messages;
}

TEST(MessagesTest, ReferencesResolveOnlyInsideTheList) {
  Messages messages = FiveLines();
  ASSERT_EQ(5, messages.Count());
  struct Row {
    const char* text;
    std::string expected;
  };
  const Row rows[] = {
      {"@4", "four"},
      {"@1", "one"},
      {"@2", kOtmenaUtf8},  // converted from the ANSI code page
      {"@04", "four"},      // a decimal reading of the digits
      {"@+4", "four"},
      {"@0", "@0"},  // line 0 is never a replacement
      {"@5", "@5"},  // one past the last line
      {"@-1", "@-1"},
      {"@4a", "@4a"},
      {"@ 4", "@ 4"},
      {"@4 ", "@4 "},
      {"@", "@"},
      {"@@4", "@@4"},
      {"4", "4"},
      {"x@4", "x@4"},
      {"@99999999999", "@99999999999"},  // beyond any integer
      {"", ""},
      {"Caption", "Caption"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected, ResolveMessageText(row.text, messages)) << row.text;
    std::string inPlace = row.text;
    EXPECT_EQ(row.expected != row.text, ResolveMessageTextInPlace(&inPlace, messages)) << row.text;
    EXPECT_EQ(row.expected, inPlace) << row.text;
  }
}

TEST(MessagesTest, EmptyListResolvesNothing) {
  Messages none;
  EXPECT_EQ("@1", ResolveMessageText("@1", none));
  EXPECT_EQ("", none.Text(1));
}

TEST(MessagesTest, NumbersOutsideTheListGiveEmptyText) {
  Messages messages = FiveLines();
  EXPECT_EQ("zero", messages.Text(0));  // line 0 is readable when asked for directly
  EXPECT_EQ("four", messages.Text(4));
  EXPECT_EQ("", messages.Text(5));
  EXPECT_EQ("", messages.Text(1238));
  EXPECT_EQ("", messages.Text(-1));
}

TEST(MessagesTest, LineBreaksOfAnyKindAndEmptyLines) {
  Messages messages;
  messages.SetAnsiText("a\nb\rc\r\n\r\ne");
  ASSERT_EQ(5, messages.Count());
  EXPECT_EQ("c", messages.Text(2));
  EXPECT_EQ("", messages.Text(3));
  EXPECT_EQ("", ResolveMessageText("@3", messages));  // an empty line is still a line
  EXPECT_EQ("e", messages.Text(4));
}

TEST(MessagesTest, LoadingFromFile) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  dir.Write("TALORMSG.TXT", kFiveLines);
  Messages messages;
  ASSERT_TRUE(messages.LoadFromFile(dir.File("TALORMSG.TXT")));
  EXPECT_EQ(kOtmenaUtf8, messages.Text(2));

  // A failed load leaves no stale lines behind.
  EXPECT_FALSE(messages.LoadFromFile(dir.File("missing.txt")));
  EXPECT_EQ(0, messages.Count());
  EXPECT_EQ("@2", ResolveMessageText("@2", messages));
  EXPECT_FALSE(messages.LoadFromFile(dir.path()));  // a directory
}

TEST(MessagesTest, MissingFileMessageNamesTheFile) {
  std::string text = MissingMessageFileText("/opt/talor/TALORMSG.TXT");
  EXPECT_NE(std::string::npos, text.find("/opt/talor/TALORMSG.TXT"));
}

}  // namespace
}  // namespace talor
