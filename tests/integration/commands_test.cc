// Every command of the protocol against the demo catalogue.

#include <fstream>
#include <sstream>

#include "integration/demo_server.h"
#include "text/line_breaks.h"

namespace talor::server {
namespace {

using CommandsTest = DemoServerTest;

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream out;
  out << in.rdbuf();
  return out.str();
}

// MFNs of the hits of a K answer.
std::vector<int32_t> HitMfns(const Reply& reply) {
  std::vector<int32_t> mfns;
  for (size_t i = 2; i < reply.lines.size(); ++i)
    mfns.push_back(std::atoi(reply.lines[i].text.c_str()));
  return mfns;
}

TEST_F(CommandsTest, RegistrationGivesSettingsOrTheRefusalCode) {
  RawClient client = Librarian();
  Reply reply = client.Send('A', Params({"librarian", "librarian"}));
  ASSERT_TRUE(reply.good);
  EXPECT_EQ(reply.Line(0), "0");
  EXPECT_EQ(reply.Line(2), "[Navigator]");  // line 1 is dropped by the client
  EXPECT_EQ(client.identity().sequenceNumber, "1");

  RawClient wrong(Port(), "librarian", "nope");
  EXPECT_EQ(wrong.Send('A', Params({"librarian", "nope"})).Line(0), "-3337");
  RawClient reader(Port(), "reader", "reader");
  reader.identity().workstationCode = "X";
  EXPECT_EQ(reader.Send('A', Params({"reader", "reader"})).Line(0), "-3339");
  RawClient stranger(Port(), "nobody", "x");
  EXPECT_EQ(stranger.Send('N', "").Line(0), "-3335");
}

TEST_F(CommandsTest, NoOperationUnregisterAndMaxMfn) {
  RawClient client = Librarian();
  EXPECT_EQ(client.Send('N', "").Line(0), "0");
  EXPECT_EQ(client.Send('O', "DEMO").Line(0), "331");  // 330 records: the next MFN
  EXPECT_EQ(client.Send('O', "serials").Line(0), "13");
  EXPECT_EQ(client.Send('O', "NOSUCH").Line(0), "-1000");
  EXPECT_EQ(client.Send('B', "librarian").Line(0), "0");
}

TEST_F(CommandsTest, ReadRecordAnswers) {
  RawClient client = Librarian();
  Reply reply = client.Send('C', Params({"DEMO", "1", "0", "", ""}));
  ASSERT_TRUE(reply.good);
  EXPECT_EQ(reply.Line(0), "0");
  EXPECT_EQ(reply.Line(1), "1#0");
  EXPECT_EQ(reply.Line(2), "0#1");
  EXPECT_EQ(reply.Line(3).substr(0, 3), "10#");
  EXPECT_EQ(client.Send('C', Params({"DEMO", "9999", "0", ""})).Line(0), "-605");
  EXPECT_EQ(client.Send('C', Params({"DEMO", "abc", "0", ""})).Line(0), "-140");
  EXPECT_EQ(client.Send('C', Params({"NOSUCH", "1", "0", ""})).Line(0), "-1000");
}

TEST_F(CommandsTest, LockedReadShowsTheLockAndKeepsOthersOut) {
  RawClient anna(Port(), "librarian", "librarian", "111");
  RawClient boris(Port(), "librarian", "librarian", "222");
  Reply locked = anna.Send('C', Params({"DEMO", "3", "1", ""}));
  ASSERT_EQ(locked.Line(0), "0");
  EXPECT_EQ(locked.Line(1), "3#64");
  EXPECT_EQ(boris.Send('C', Params({"DEMO", "3", "1", ""})).Line(0), "-602");
  EXPECT_EQ(boris.Send('C', Params({"DEMO", "3", "0", ""})).Line(1), "3#64");
  // Unregistering gives the lock back.
  EXPECT_EQ(anna.Send('B', "librarian").Line(0), "0");
  EXPECT_EQ(boris.Send('C', Params({"DEMO", "3", "0", ""})).Line(1), "3#0");
}

TEST_F(CommandsTest, WriteNewRecordThenUpdateThenStaleVersion) {
  RawClient client = Librarian();
  Reply created = client.Send(
      'D', Params({"DEMO", "0", "1", OneLine({"0#0", "0#0", "200#^AЗебра полосатая"})}));
  ASSERT_TRUE(created.good);
  int mfn = std::atoi(created.Line(0).c_str());
  ASSERT_GT(mfn, 330);
  EXPECT_EQ(created.Line(1), std::to_string(mfn) + "#0");
  EXPECT_EQ(created.Line(2), OneLine({"0#1", "200#^AЗебра полосатая"}));  // no MFN line
  EXPECT_EQ(created.lines.size(), 3u);

  std::string m = std::to_string(mfn);
  Reply updated = client.Send(
      'D', Params({"DEMO", "0", "1", OneLine({(m + "#0").c_str(), "0#1", "200#^AЗебра"})}));
  EXPECT_EQ(updated.Line(0), m);
  EXPECT_EQ(updated.Line(2), OneLine({"0#2", "200#^AЗебра"}));

  Reply stale = client.Send(
      'D', Params({"DEMO", "0", "1", OneLine({(m + "#0").c_str(), "0#1", "200#^AЛошадь"})}));
  EXPECT_EQ(stale.Line(0), "-608");
  EXPECT_EQ(stale.Line(1), "-608#0");
  EXPECT_EQ(stale.Line(2), OneLine({"0#2", "200#^AЗебра"}));
}

TEST_F(CommandsTest, WritesAreRefusedForReadersAndBadRecords) {
  RawClient reader(Port(), "reader", "reader");
  Reply refused = reader.Send('D', Params({"DEMO", "0", "1", OneLine({"0#0", "0#0", "200#x"})}));
  EXPECT_EQ(refused.Line(0), "-3336");
  EXPECT_EQ(refused.Line(1), "-3336");  // two lines: the client reads line 1
  RawClient client = Librarian();
  EXPECT_EQ(client.Send('D', Params({"DEMO", "0", "1", OneLine({"x#0", "0#0"})})).Line(1), "-1002");
  EXPECT_EQ(
      client.Send('D', Params({"DEMO", "0", "1", OneLine({"9999#0", "0#1", "200#x"})})).Line(1),
      "-605");
  EXPECT_EQ(client.Send('D', Params({"NOSUCH", "0", "1", OneLine({"0#0", "0#0"})})).Line(1),
            "-1000");
}

TEST_F(CommandsTest, BatchWriteAndTheDictionarySwitch) {
  RawClient client = Librarian();
  Reply batch = client.Send(
      'D', Params({"DEMO", "0", "1", OneLine({"0#0", "0#0", "200#^AКвазиэкземпляр один"}),
                   OneLine({"0#0", "0#0", "200#^AКвазиэкземпляр два"}), OneLine({"bad"})}));
  ASSERT_TRUE(batch.good);
  EXPECT_EQ(batch.Line(0), "2");
  EXPECT_NE(batch.Line(1).find("#0"), std::string::npos);
  EXPECT_NE(batch.Line(2).find("#0"), std::string::npos);
  EXPECT_EQ(batch.Line(3), "-1002");
  Reply found = client.Send('K', Params({"DEMO", "\"K=КВАЗИЭКЗЕМПЛЯР\"", "0", "1", ""}));
  EXPECT_EQ(found.Line(1), "2");

  // Without the dictionary switch the record is stored but not yet searchable.
  Reply quiet =
      client.Send('D', Params({"DEMO", "0", "0", OneLine({"0#0", "0#0", "200#^AНевидимка"})}));
  ASSERT_GT(std::atoi(quiet.Line(0).c_str()), 0);
  EXPECT_EQ(client.Send('K', Params({"DEMO", "\"K=НЕВИДИМКА\"", "0", "1", ""})).Line(1), "0");
}

TEST_F(CommandsTest, FormatModes) {
  RawClient client = Librarian();
  Reply one = client.Send('G', Params({"DEMO", "mfn,'|',v101", "1", "5"}));
  EXPECT_EQ(one.Line(0), "0");
  EXPECT_EQ(one.Line(1), "0000000005|rus");  // mfn prints ten digits
  Reply range = client.Send('G', Params({"DEMO", "mfn", "0", "2", "4"}));
  EXPECT_EQ(range.lines.size(), 4u);
  EXPECT_EQ(range.Line(1), "2#0000000002");
  EXPECT_EQ(range.Line(3), "4#0000000004");
  Reply list = client.Send('G', Params({"DEMO", "mfn", "2", "7", "9999", "3"}));
  EXPECT_EQ(list.lines.size(), 3u);  // the absent record is left out
  EXPECT_EQ(list.Line(2), "3#0000000003");
  Reply client_record =
      client.Send('G', Params({"DEMO", "!v200^a", "-2", OneLine({"0#0", "0#0", "200#^AСвой"})}));
  EXPECT_EQ(client_record.Line(1), "Свой");
  Reply lines = client.Send('G', Params({"DEMO", "(v610/)", "0", "1", "1"}));
  EXPECT_NE(lines.Line(1).find('\x1e'), std::string::npos);  // line breaks travel encoded
  EXPECT_EQ(client.Send('G', Params({"DEMO", "mfn", "1", "9999"})).Line(0), "-605");
  EXPECT_EQ(client.Send('G', Params({"DEMO", "mfn", "7", "1"})).Line(0), "-1002");
}

TEST_F(CommandsTest, FormatsThatOnlyTheServerCanRun) {
  RawClient client = Librarian();
  // L looks a term up in the dictionary; REF formats the record it leads to.
  Reply reply = client.Send(
      'G', Params({"DEMO", "ref(l('A=ТОЛСТОЙ'),v700^a)", "-2", OneLine({"0#0", "0#0"})}));
  ASSERT_EQ(reply.Line(0), "0");
  EXPECT_EQ(reply.Line(1), "Толстой");
  Reply absent = client.Send(
      'G', Params({"DEMO", "'['ref(l('A=НИКТО'),v700^a)']'", "-2", OneLine({"0#0", "0#0"})}));
  EXPECT_EQ(absent.Line(1), "[]");
  EXPECT_EQ(client.Send('G', Params({"DEMO", "if then fi", "1", "1"})).Line(0), "-400");
}

TEST_F(CommandsTest, FormatSpecificationsTheNavigatorSends) {
  RawClient client = Librarian();
  std::string brief = client.Send('G', Params({"DEMO", "@brief", "1", "7"})).Line(1);
  ASSERT_FALSE(brief.empty());
  // Free parameters first, then the named format as an include.
  Reply withFree = client.Send('G', Params({"DEMO",
                                            "&uf('+7'),&uf('+99100%23a%0D%0A'),\x1c"
                                            "brief\x1d",
                                            "1", "7"}));
  EXPECT_EQ(withFree.Line(0), "0");
  EXPECT_EQ(withFree.Line(1), brief);

  // The record image of a page: the raw text of field 953.
  Reply search = client.Send('K', Params({"DEMO", "\"K=ВОЙНА\"*\"K=МИР\"", "0", "1", "v953^a"}));
  std::string mfn;
  for (size_t i = 2; i < search.lines.size(); ++i)
    if (search.Line(i).ends_with("#GIF")) mfn = search.Line(i).substr(0, search.Line(i).find('#'));
  ASSERT_FALSE(mfn.empty());
  Reply image = client.Send('G', Params({"DEMO", "&uf('AV953#1')", "1", mfn}));
  EXPECT_TRUE(image.Line(1).starts_with("^AGIF^TОбложка^B")) << image.Line(1);
}

TEST_F(CommandsTest, TermListsForwardAndBackward) {
  RawClient client = Librarian();
  Reply exists = client.Send('H', Params({"DEMO", "A=ТОЛСТОЙ", "3", ""}));
  ASSERT_EQ(exists.Line(0), "0");
  EXPECT_EQ(exists.Line(1).substr(exists.Line(1).find('#') + 1), "A=ТОЛСТОЙ");
  EXPECT_EQ(exists.lines.size(), 4u);
  Reply absent = client.Send('H', Params({"DEMO", "A=ТОЛСТА", "2", ""}));
  EXPECT_EQ(absent.Line(0), "-202");
  EXPECT_EQ(absent.Line(1).substr(absent.Line(1).find('#') + 1), "A=ТОЛСТОЙ");
  Reply lower = client.Send('H', Params({"DEMO", "a=толстой", "1", ""}));
  EXPECT_EQ(lower.Line(0), "0");

  Reply withFormat = client.Send('H', Params({"DEMO", "A=ТОЛСТОЙ", "1", "mfn"}));
  std::string line = withFormat.Line(1);
  int mfn = std::atoi(line.substr(line.find('#') + 1).c_str());
  EXPECT_GT(mfn, 0);
  EXPECT_NE(line.find("#A=ТОЛСТОЙ"), std::string::npos);
  EXPECT_EQ(client.Send('C', Params({"DEMO", std::to_string(mfn), "0", ""})).Line(0), "0");

  Reply back = client.Send('P', Params({"DEMO", "A=ТОЛСТОЙ", "2"}));
  EXPECT_EQ(back.Line(0), "0");
  EXPECT_NE(back.Line(1).find("A=ТОЛСТОЙ"), std::string::npos);
  EXPECT_LT(back.Line(2).substr(back.Line(2).find('#') + 1), "A=ТОЛСТОЙ");
  Reply backWithFormat = client.Send('P', Params({"DEMO", "A=ТОЛСТОЙ", "1", "v700^a"}));
  EXPECT_NE(backWithFormat.Line(1).find("#Толстой#A=ТОЛСТОЙ"), std::string::npos);
  EXPECT_EQ(client.Send('H', Params({"DEMO", "A=", "x"})).Line(0), "-1002");
}

TEST_F(CommandsTest, PostingsPlainAndFormatted) {
  RawClient client = Librarian();
  Reply all = client.Send('I', Params({"DEMO", "1", "0", "", "A=ТОЛСТОЙ"}));
  ASSERT_EQ(all.Line(0), "0");
  ASSERT_GE(all.lines.size(), 3u);
  EXPECT_NE(all.Line(1).find("#700#1#1"), std::string::npos);
  Reply first = client.Send('I', Params({"DEMO", "2", "1", "v700^a", "A=ТОЛСТОЙ"}));
  ASSERT_EQ(first.lines.size(), 2u);
  EXPECT_EQ(first.Line(1), all.Line(2) + "#Толстой");  // four parts, then the text
  EXPECT_EQ(client.Send('I', Params({"DEMO", "1", "0", "", "A=НИКТО"})).Line(0), "-202");
}

TEST_F(CommandsTest, SearchLanguageOnTheDemoCatalogue) {
  RawClient client = Librarian();
  Reply both = client.Send('K', Params({"DEMO", "(\"K=ВОЙНА\")*(\"K=МИР\")", "0", "1", "v200^a"}));
  ASSERT_TRUE(both.good);
  ASSERT_EQ(both.Line(0), "0");
  int hits = std::atoi(both.Line(1).c_str());
  EXPECT_GE(hits, 2);
  EXPECT_EQ(both.lines.size(), static_cast<size_t>(hits) + 2);
  EXPECT_NE(both.Line(2).find("#Война и мир"), std::string::npos);

  Reply truncated = client.Send('K', Params({"DEMO", "\"A=ТОЛСТ$\"", "0", "1", ""}));
  EXPECT_GE(std::atoi(truncated.Line(1).c_str()), hits);
  Reply qualified = client.Send('K', Params({"DEMO", "\"K=ТОЛСТОЙ\"/(200)", "0", "1", ""}));
  EXPECT_EQ(qualified.Line(1), "0");  // the surname is a word of field 700, not of the title
  Reply phrase = client.Send('K', Params({"DEMO", "\"K=ВОЙНА\" . \"K=МИР\"", "0", "1", ""}));
  EXPECT_EQ(HitMfns(phrase), HitMfns(both));
  Reply notPeace = client.Send('K', Params({"DEMO", "\"K=ВОЙНА\" ^ \"K=МИР\"", "0", "1", ""}));
  std::vector<int32_t> bothMfns = HitMfns(both);
  EXPECT_FALSE(HitMfns(notPeace).empty());
  for (int32_t mfn : HitMfns(notPeace))
    EXPECT_EQ(std::count(bothMfns.begin(), bothMfns.end(), mfn), 0);

  // Portions: count and first hit number.
  Reply page = client.Send('K', Params({"DEMO", "\"J=RUS\"", "5", "3", ""}));
  Reply whole = client.Send('K', Params({"DEMO", "\"J=RUS\"", "0", "1", ""}));
  ASSERT_EQ(page.lines.size(), 7u);
  EXPECT_EQ(page.Line(1), whole.Line(1));
  EXPECT_EQ(page.Line(2), whole.Line(4));

  EXPECT_EQ(client.Send('K', Params({"DEMO", "(\"K=ВОЙНА\"", "0", "1", ""})).Line(0), "-300");
  EXPECT_EQ(client.Send('K', Params({"DEMO", "", "0", "1", ""})).Line(0), "-300");
  EXPECT_EQ(client.Send('K', Params({"NOSUCH", "a", "0", "1", ""})).Line(0), "-1000");
}

TEST_F(CommandsTest, FullTextSearchWithMorphology) {
  RawClient client = Librarian();
  std::string settings =
      std::string("войны") + "\x1f\x1f" + "1" + "\x1f" + "KT=" + "\x1f" + "-1" + "\x1f\x1f" + "100";
  Reply reply = client.Send('R', Params({"DEMO", "", "3", "1", "v200^a", "0", "0", "", settings}));
  ASSERT_TRUE(reply.good);
  ASSERT_EQ(reply.Line(0), "0");
  EXPECT_GE(std::atoi(reply.Line(1).c_str()), 2);
  std::string hit = reply.Line(2);
  size_t first = hit.find('#');
  size_t second = hit.find('#', first + 1);
  ASSERT_NE(second, std::string::npos);
  EXPECT_EQ(hit.substr(first + 1, second - first - 1), "ВОЙН$");  // words#text after the MFN

  std::string exact = std::string("мир") + "\x1f\x1f" + "0" + "\x1f\x1f" + "-1" + "\x1f\x1f" + "1";
  Reply limited = client.Send('R', Params({"DEMO", "", "3", "1", "", "0", "0", "", exact}));
  EXPECT_EQ(limited.Line(1), "1");  // the limit caps the hits
}

TEST_F(CommandsTest, TextAndBinaryResources) {
  RawClient client = Librarian();
  std::filesystem::path db = server_->dataDir() / "db" / "DEMO";
  Reply menu = client.Send('L', "10.DEMO.LANG.MNU");
  ASSERT_EQ(menu.lines.size(), 1u);
  std::string text = menu.Line(0);
  DecodeLineBreaks(text);
  EXPECT_EQ(text, FileBytes(db / "lang.mnu"));

  Reply missing = client.Send('L', "10.DEMO.nothing.pft");
  ASSERT_TRUE(missing.good);
  ASSERT_EQ(missing.lines.size(), 1u);
  EXPECT_EQ(missing.Line(0), "");

  Reply image = client.Send('L', "11.DEMO.@page_0001.gif");
  ASSERT_TRUE(image.good);
  EXPECT_EQ(image.Line(0), "0");
  ASSERT_TRUE(image.binary);
  EXPECT_EQ(*image.binary, FileBytes(db / "files" / "page_0001.gif"));

  EXPECT_EQ(client.Send('L', "11.DEMO.@absent.gif").Line(0), "-700");
  EXPECT_FALSE(client.Send('L', "11.DEMO.@absent.gif").binary);
  EXPECT_EQ(client.Send('L', "10.DEMO.../catalogue.sqlite").Line(0), "-701");
  EXPECT_EQ(client.Send('L', "10.../x").Line(0), "-701");
  EXPECT_EQ(client.Send('L', "99.DEMO.x").Line(0), "-701");
  Reply help = client.Send('L', "0..Talor_Navigator_Help0.html");
  EXPECT_NE(help.Line(0).find("<html>"), std::string::npos);
}

TEST_F(CommandsTest, RecordImageAndWordRectangles) {
  RawClient client = Librarian();
  Reply search = client.Send('K', Params({"DEMO", "\"K=ВОЙНА\"*\"K=МИР\"", "0", "1", "v951^a"}));
  std::string mfn;
  for (size_t i = 2; i < search.lines.size(); ++i)
    if (search.Line(i).find("page_0001.gif") != std::string::npos)
      mfn = search.Line(i).substr(0, search.Line(i).find('#'));
  ASSERT_FALSE(mfn.empty());

  Reply image = client.Send('L', "12.DEMO.@" + mfn + "_1");
  ASSERT_TRUE(image.binary);
  EXPECT_EQ(image.binary->substr(0, 6), "GIF89a");

  Reply words = client.Send('V', Params({"DEMO", mfn, "K=ВОЙНА$", "K=РОМАН"}));
  ASSERT_EQ(words.lines.size(), 3u);
  // ВОЙНА is boxed at (10,10)-(70,24) on the page image.
  EXPECT_EQ(words.Line(1), "ВОЙНА#" + std::to_string(-(10 | (10 << 16))) + "#" +
                               std::to_string(-(70 | (24 << 16))));
  EXPECT_EQ(words.Line(2), "РОМАН#1#1");
  EXPECT_EQ(client.Send('V', Params({"DEMO", "9999", "x"})).Line(0), "-605");
}

TEST_F(CommandsTest, UnknownCommandLetter) {
  RawClient client = Librarian();
  EXPECT_EQ(client.Send('Z', "").Line(0), "-1001");
}

}  // namespace
}  // namespace talor::server
