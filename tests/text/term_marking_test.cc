#include "text/term_marking.h"

#include <gtest/gtest.h>

namespace talor {
namespace {

std::string Mark(std::string page, std::initializer_list<const char*> terms) {
  StringList list;
  for (const char* term : terms) list.Add(term);
  std::string copy = "stale";
  MarkTerms(page, list, copy);
  EXPECT_EQ(page, copy);
  return page;
}

constexpr char kOpen[] = "<b><font color=red>";
constexpr char kClose[] = "</font></b>";

std::string Marked(const std::string& text) { return kOpen + text + kClose; }

TEST(MarkTermsTest, MarksEveryOccurrenceOutsideTags) {
  struct Row {
    std::string page;
    std::initializer_list<const char*> terms;
    std::string expected;
  } rows[] = {
      {"a cat sat", {"CAT"}, "a " + Marked("cat") + " sat"},
      {"Cats and CATS", {"CAT"}, Marked("Cat") + "s and " + Marked("CAT") + "S"},
      {"<a title=\"cat\">cat</a>", {"CAT"}, "<a title=\"cat\">" + Marked("cat") + "</a>"},
      {"<cat>", {"CAT"}, "<cat>"},
      {"concatenate", {"CAT"}, "con" + Marked("cat") + "enate"},  // no word boundaries
      {"aaab", {"AAB"}, "aaab"},  // a failed attempt does not restart
      {"xaab", {"AAB"}, "x" + Marked("aab")},
      {"dog cat", {"CAT", "DOG"}, Marked("dog") + " " + Marked("cat")},
      {"", {"CAT"}, ""},
      {"cat", {}, "cat"},
      {"cat", {""}, "cat"},  // an empty term is ignored
  };
  for (const Row& row : rows) EXPECT_EQ(row.expected, Mark(row.page, row.terms)) << row.page;
}

TEST(MarkTermsTest, MarkingSwitchesTurnMarkingOffAndOn) {
  EXPECT_EQ(Marked("cat") + "<.>cat<.>" + Marked("cat"), Mark("cat<.>cat<.>cat", {"CAT"}));
  EXPECT_EQ("<p.>cat<p!>" + Marked("cat"), Mark("<p.>cat<p!>cat", {"CAT"}));
  EXPECT_EQ(Marked("cat") + "<!>cat<.>" + Marked("cat"), Mark("cat<!>cat<.>cat", {"CAT"}));
  EXPECT_EQ("<!>cat cat", Mark("<!>cat cat", {"CAT"}));  // never switched back on
}

TEST(MarkTermsTest, AMatchInterruptedByATagIsNotMarked) {
  EXPECT_EQ("c<i>at</i>", Mark("c<i>at</i>", {"CAT"}));
  EXPECT_EQ("ca<br>" + Marked("cat"), Mark("ca<br>cat", {"CAT"}));
}

TEST(MarkTermsTest, TheSameTermTwiceCompletesOnlyTheFirst) {
  EXPECT_EQ(Marked("cat") + " " + Marked("cat"), Mark("cat cat", {"CAT", "CAT"}));
}

TEST(MarkTermsTest, CyrillicTermsMatchEitherCase) {
  // Term КНИГ in "Книга и КНИГИ".
  const char* term = "\xD0\x9A\xD0\x9D\xD0\x98\xD0\x93";
  std::string page =
      "\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0 \xD0\xB8 "
      "\xD0\x9A\xD0\x9D\xD0\x98\xD0\x93\xD0\x98";
  std::string expected = Marked("\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3") + "\xD0\xB0 \xD0\xB8 " +
                         Marked("\xD0\x9A\xD0\x9D\xD0\x98\xD0\x93") + "\xD0\x98";
  EXPECT_EQ(expected, Mark(page, {term}));
}

TEST(MarkTermsTest, CharactersWhoseCaseChangesLengthKeepPositionsAligned) {
  // ß upper-cases to SS and ı (dotless i) to the one-byte I; a malformed
  // byte becomes three bytes when decoded. None of them may shift the cut.
  EXPECT_EQ(
      "stra\xC3\x9F"
      "e " +
          Marked("cat"),
      Mark("stra\xC3\x9F"
           "e cat",
           {"CAT"}));
  EXPECT_EQ("\xC4\xB1\xC4\xB1 " + Marked("cat"), Mark("\xC4\xB1\xC4\xB1 cat", {"CAT"}));
  EXPECT_EQ("\xFF\xFE " + Marked("cat") + "\xC3", Mark("\xFF\xFE cat\xC3", {"CAT"}));
}

}  // namespace
}  // namespace talor
