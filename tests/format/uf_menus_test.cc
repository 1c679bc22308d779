// Keys that read menus and files of the database: lookups, ranges,
// prefixes, issue lists, file entries and the configuration.

#include <gtest/gtest.h>

#include "text/encoding.h"
#include "uf_test_util.h"

namespace talor {
namespace {

using testing::MakeRecord;
using testing::Row;
using testing::UfEngine;

// Menu files are stored in the ANSI code page.
std::string Ansi(std::string_view utf8) { return Utf8ToAnsi(utf8); }

TEST(UfMenusTest, FirstAndAllMatches) {
  UfEngine uf;
  uf.files.files["lang.mnu"] = Ansi(
      "rus\r\nрусский\r\neng\r\nанглийский\r\nRUS\r\nРусский\r\nrus\r\nещё\r\n*****\r\nx\r\n"
      "after end\r\n");
  const Row rows[] = {
      {"&uf('Klang.mnu|rus')", "русский"},
      {"&uf('Klang.mnu\\RUS')", "Русский"},
      {"&uf('Klang.mnu!Rus')", "русский"},
      {"&uf('Klang.mnu|Rus'),'|'", "|"},
      {"&uf('Klang.mnu|x'),'|'", "|"},
      {"&uf('Kmissing.mnu|rus'),'|'", "|"},
      {"&uf('Klang.mnu'),'|'", "|"},
      {"&uf('+Olang.mnu|rus')", "русский\rещё"},
      {"&uf('+Olang.mnu!rus')", "русский\rРусский\rещё"},
  };
  testing::ExpectRows(uf, rows);
}

TEST(UfMenusTest, RangeLookup) {
  UfEngine uf;
  uf.files.files["ranges.mnu"] = Ansi("1\nА\n2\nК\n3\nС\n4\nЯЯ\n");
  uf.files.files["short.mnu"] = Ansi("1\n");
  const Row rows[] = {
      {"&uf('+Kranges.mnu|Иванов')", "1"},
      {"&uf('+Kranges.mnu\\Смирнов')", "3"},
      {"&uf('+Kranges.mnu|ааа')", "1"},
      {"&uf('+Kranges.mnu|Ыков')", "Ы"},
      {"&uf('+Kranges.mnu|Йод')", "1"},
      {"&uf('+Kranges.mnu|кот')", "2"},
      // The first value is already greater; no value is greater.
      {"&uf('+Kranges.mnu|0abc'),'|'", "|"},
      {"&uf('+Kranges.mnu|Яяя'),'|'", "|"},
      {"&uf('+Kranges.mnu|'),'|'", "|"},
      {"&uf('+Kranges.mnu'),'|'", "|"},
      {"&uf('+Kshort.mnu|abc'),'|'", "|"},
  };
  testing::ExpectRows(uf, rows);
}

TEST(UfMenusTest, KnownPrefixes) {
  UfEngine uf;
  uf.files.files["pre.mnu"] = Ansi("ИВ\nИВАН\nИВАНОВ\nla\n");
  uf.files.files["many.mnu"] = "ab\nabc\nabcd\nabcde\nabcdef\nabcdefg\nabcdefgh\nabcdefghi\nend\n";
  uf.files.files["empty.mnu"] = "";
  const Row rows[] = {
      {"&uf('+Lpre.mnu|Иванова')", "^AИв%^BИван%^CИванов%"},
      {"&uf('+Lpre.mnu|Петров')", "^AПетров%"},
      // The menu's last line never counts.
      {"&uf('+Lpre.mnu|la')", "^Ala%"},
      {"&uf('+Lempty.mnu|abc')", "^A%"},
      {"&uf('+Lmany.mnu|abcdefghij')", "^Aab%^Babc%^Cabcd%^Dabcde%^Fabcdef%^Gabcdefghi%"},
      {"&uf('+Lmany.mnu|abcdef')", "^Aab%^Babc%^Cabcd%^Dabcde%^Fabcdef%"},
      {"&uf('+Lpre.mnu'),'|'", "|"},
  };
  testing::ExpectRows(uf, rows);
}

TEST(UfMenusTest, FileEntries) {
  UfEngine uf;
  uf.files.files["list.txt"] = Ansi("первая\r\nвторая\r\n");
  uf.files.files["pairs.mnu"] = Ansi("a\r\nальфа\r\nb\r\nбета\r\n");
  const Row rows[] = {
      {"&uf('+5Tlist.txt')", "первая"},
      {"&uf('+5Flist.txt')", "первая"},
      {"&uf('+5Tpairs.mnu')", "a"},
      {"&uf('+5Fpairs.mnu')", "альфа"},
      {"(v10,'=',&uf('+5Fpairs.mnu'),';')", "x=альфа;y=бета;=;"},
      {"(v10,'=',&uf('+5Tlist.txt'),';')", "x=первая;y=вторая;=;"},
      {"&uf('+5Tmissing.txt'),'|'", "|"},
      {"&uf('+5Qlist.txt'),'|'", "|"},
  };
  testing::ExpectRows(uf, rows, MakeRecord({{10, "x"}, {10, "y"}}));
}

TEST(UfMenusTest, Configuration) {
  UfEngine uf;
  EXPECT_EQ("fallback", uf.Out("&uf('IMAIN,KEY,fallback')"));
  uf.engine.configuration = [](std::string_view section,
                               std::string_view key) -> std::optional<std::string> {
    if (section == "MAIN" && key == "NAME") return Ansi("Библиотека");
    if (section == "MAIN" && key == "RAW") return std::string("!\xC0");
    return std::nullopt;
  };
  const Row rows[] = {
      {"&uf('IMAIN,NAME,x')", "Библиотека"},
      {"&uf('IMAIN,RAW,x')", "!\xC0"},
      {"&uf('IMAIN,OTHER,x')", "x"},
      {"&uf('IMAIN'),'|'", "|"},
  };
  testing::ExpectRows(uf, rows);
}

TEST(UfMenusTest, IssueListsWithMonthNamesOfTheLanguage) {
  UfEngine uf;
  uf.files.files["jzmnth.mnu"] = Ansi(
      "rus\r\nянварь,февраль,март,апрель,май,июнь,июль,август,сентябрь,октябрь,ноябрь,"
      "декабрь\r\n");
  const StringList russian = MakeRecord({{101, "rus"}});
  const StringList other = MakeRecord({{101, "eng"}});
  EXPECT_EQ("1-3,5", uf.Out("&uf('U1,2,3,5')", russian));
  EXPECT_EQ("1,2,3,5", uf.Out("&uf('V1-3,5')", russian));
  EXPECT_EQ("январь,февраль,март", uf.Out("&uf('Vянв-мар')", russian));
  EXPECT_EQ("янв-мар", uf.Out("&uf('Vянв-мар')", other));
  EXPECT_EQ("янв-мар", uf.Out("&uf('Vянв-мар')"));
}

}  // namespace
}  // namespace talor
