#include "text/term_marking.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

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

// The marking as first written: every term keeps its own count of bytes
// matched, stepped term after term for every byte of the page. Pages here are
// ASCII and "я"/"Я" only. `states` gets the number of distinct count vectors
// the run went through.
std::string ReferenceMark(const std::string& page, const std::vector<std::string>& terms,
                          size_t& states) {
  std::string scan = page;
  for (size_t i = 0; i < scan.size(); ++i) {
    if (scan[i] >= 'a' && scan[i] <= 'z') scan[i] = static_cast<char>(scan[i] - 'a' + 'A');
    if (scan.compare(i, 2, "\xD1\x8F") == 0) scan.replace(i, 2, "\xD0\xAF");  // я -> Я
  }
  std::vector<size_t> progress(terms.size(), 0);
  std::set<std::vector<size_t>> seen{progress};
  std::string out;
  size_t copied = 0;
  bool inTag = false;
  bool off = false;
  for (size_t p = 0; p < scan.size(); ++p) {
    const char c = scan[p];
    if (c == '<' || c == '>') {
      inTag = c == '<';
      if (inTag) progress.assign(terms.size(), 0);
      continue;
    }
    if (inTag && (c == '.' || c == '!') && p + 1 < scan.size() && scan[p + 1] == '>') {
      off = !off;
      inTag = false;
      ++p;
      continue;
    }
    if (inTag || off) continue;
    for (size_t t = 0; t < terms.size(); ++t) {
      progress[t] = terms[t][progress[t]] == c ? progress[t] + 1 : 0;
      if (progress[t] == terms[t].size()) {
        const size_t begin = p + 1 - terms[t].size();
        out += page.substr(copied, begin - copied) + Marked(page.substr(begin, p + 1 - begin));
        copied = p + 1;
        progress.assign(terms.size(), 0);
        break;
      }
    }
    seen.insert(progress);
  }
  states = seen.size();
  return out + page.substr(copied);
}

// Random pages of letters, markup and a two-byte letter against random term
// lists, from a few short terms to many long ones over two letters, whose
// combined progress takes hundreds of distinct states.
TEST(MarkTermsTest, AgreesWithMatchingTermByTerm) {
  const std::vector<std::string> pieces = {"a", "b", "A",   "B",   " ",        "<",       ">",
                                           ".", "!", "<.>", "<!>", "\xD1\x8F", "\xD0\xAF"};
  const std::vector<std::string> letters = {"A", "B", "\xD0\xAF"};
  std::mt19937 random(20261208);
  size_t mostStates = 0;
  for (int round = 0; round < 300; ++round) {
    // Every third round: many long terms over two letters, on a page of
    // those letters with hardly any markup, whose combined progress takes
    // many distinct states.
    const bool many = round % 3 == 0;
    std::vector<std::string> terms(many ? 40 : 1 + random() % 5);
    for (std::string& term : terms) {
      const size_t length = many ? 8 + random() % 9 : 1 + random() % 4;
      for (size_t i = 0; i < length; ++i) term += letters[random() % (many ? 2 : 3)];
    }
    std::string page;
    for (int i = 0; i < 3000; ++i) {
      const size_t piece = random() % (many ? 400 : 40);
      page += piece < pieces.size() ? pieces[piece] : piece % 2 == 0 ? "a" : "b";
    }
    size_t states = 0;
    const std::string expected = ReferenceMark(page, terms, states);
    mostStates = std::max(mostStates, states);
    std::string marked = page;
    std::string copy;
    StringList list;
    for (const std::string& term : terms) list.Add(term);
    MarkTerms(marked, list, copy);
    const auto differ =
        std::mismatch(expected.begin(), expected.end(), marked.begin(), marked.end());
    ASSERT_EQ(expected, marked) << "round " << round << ", from byte "
                                << differ.first - expected.begin() << ": "
                                << std::string(differ.first, expected.end()).substr(0, 80) << " | "
                                << std::string(differ.second, marked.end()).substr(0, 80);
    ASSERT_EQ(expected, copy);
  }
  // The marker keeps a table for up to 512 states and steps the counts
  // directly past that; both ways must have been taken.
  EXPECT_GT(mostStates, 512u);
}

}  // namespace
}  // namespace talor
