// The navigator core end to end: pseudo-URLs in, finished pages out, against
// a real talor-server with the demo catalogue.

#include <filesystem>

#include "integration/navigator_fixture.h"
#include "navigator/work_files.h"

namespace talor::server {
namespace {

namespace fs = std::filesystem;

// A format that shows the page state the context record carries; inside an
// attribute, where the marking of found words does not reach.
constexpr std::string_view kContextFormat =
    "'<p id=ctx title=\"hits=',v1002,' sel=',v1003,' portion=',v1006,' begin=',v1008,' end=',"
    "v1005,' sexp=',v1007,' query=',v1010,' marks=',v1009,' db=',v1000,' pft=',v1012,'\"></p>'";

// Record 82 of DEMO is "Война и мир": a cover in field 953 and a page image
// with word boxes in field 951.
class NavigatorPagesTest : public NavigatorTest {
 protected:
  static void SetUpTestSuite() {
    NavigatorTest::SetUpTestSuite();
    WriteServerFile("db/DEMO/ctx.pft", kContextFormat);
    // One hit: its number marker, a selection box and its MFN.
    WriteServerFile("db/DEMO/hit.pft",
                    "'<div class=hit><TALOR Type=\"0\"></TALOR>. <input type=\"checkbox\" "
                    "name=\"SEL',mfn,'\" value=\"',mfn,'\">',v200^a,'<input type=\"checkbox\" "
                    "name=\"OTHER\" value=\"x',mfn,'\" checked></div>'");
    WriteServerFile("db/DEMO/list.pft", "'<ul>',(|<li>|v1004^a|</li>|),'</ul>'");
    WriteServerFile("db/DEMO/jump.pft", "'TALOR:3,1,DEMO,start.html'");
    WriteServerFile("pages/plain.html", "<html><body><p>plain</p></body></html>");
    WriteServerFile("pages/start.html",
                    "<html><head><title>Начало</title></head><body><form action=\"TALOR:\">"
                    "<input type=hidden name=C21COM value=2></form></body></html>");
  }

  // The text of the context paragraph of the page.
  std::string Context() {
    for (ElementHandle p : view_.ElementsByTag("P")) {
      if (view_.Attribute(p, "id") == "ctx") return view_.Attribute(p, "title").value_or("");
    }
    return "<no context>";
  }

  // The page's boxes named with the marker SEL.
  std::vector<ElementHandle> SelectionBoxes() {
    std::vector<ElementHandle> boxes;
    for (ElementHandle input : view_.ElementsByTag("INPUT")) {
      if (view_.Name(input).starts_with("SEL")) boxes.push_back(input);
    }
    return boxes;
  }

  static int CountOf(const std::string& text, std::string_view part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
      ++count;
    }
    return count;
  }
};

TEST_F(NavigatorPagesTest, ServerPageIsShownAndRecorded) {
  std::string html = Open("TALOR:3,1,DEMO,start.html");
  EXPECT_NE(html.find("C21COM"), std::string::npos) << html;
  EXPECT_EQ(view_.Title(), "Начало");
  ASSERT_EQ(State().visits.size(), 1u);
  EXPECT_EQ(State().visits[0].url, "TALOR:3,1,DEMO,start.html");
  EXPECT_EQ(chrome_.history, std::vector<std::string>{"TALOR:3,1,DEMO,start.html"});
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(NavigatorPagesTest, TwoSearchFieldsGiveTheExpressionQueryAndMarkers) {
  Open(
      "TALOR:?C21COM=2&I21DBN=DEMO&PFTNAME=hit&TOPPFTNAME=ctx&S21CNR=3"
      "&1S21STR=%D0%B8%D1%81%D1%82%D0%BE%D1%80%D0%B8%D1%8F&1S21P03=K%3D&1S21P02=1"
      "&1S21P05=%D0%A1%D0%BB%D0%BE%D0%B2%D0%B0&2S21STR=&2S21P03=A%3D");
  const std::string context = Context();
  // The whole value is the term, as written; the server compares upper-cased.
  EXPECT_NE(context.find("sexp=\"K=история$\""), std::string::npos) << context;
  EXPECT_NE(context.find("query=Слова:  история"), std::string::npos) << context;
  EXPECT_NE(context.find("marks=история "), std::string::npos) << context;
  EXPECT_NE(context.find("portion=3"), std::string::npos) << context;
  EXPECT_NE(context.find("begin=^A1^B"), std::string::npos) << context;
  EXPECT_NE(context.find("end=^A3^B"), std::string::npos) << context;
  const std::string html = view_.DocumentHtml();
  EXPECT_EQ(CountOf(html, "class=\"hit\""), 3);
  // Numbering markers were replaced by the hit numbers from the first one.
  EXPECT_NE(html.find(">1. <input"), std::string::npos) << html;
  EXPECT_NE(html.find(">3. <input"), std::string::npos) << html;
  EXPECT_EQ(html.find("<TALOR"), std::string::npos);
  EXPECT_EQ(html.find("<talor"), std::string::npos);
}

TEST_F(NavigatorPagesTest, NextPortionNumbersFromSearchFrom) {
  Open(
      "TALOR:?C21COM=2&I21DBN=DEMO&PFTNAME=hit&S21CNR=2&S21STN=11&S21ALL=%22K%3D%D0%98%D0%A1%D0"
      "%A2%D0%9E%D0%A0%D0%98%D0%AF%24%22");
  const std::string html = view_.DocumentHtml();
  EXPECT_NE(html.find(">11. <input"), std::string::npos) << html;
  EXPECT_NE(html.find(">12. <input"), std::string::npos) << html;
}

TEST_F(NavigatorPagesTest, SelectionSurvivesPagesAndFeedsTheListPage) {
  const std::string search =
      "TALOR:?C21COM=2&I21DBN=DEMO&PFTNAME=hit&CHECKNAME=SEL&S21CNR=2&S21ALL=%22K%3D%D0%98%D0%A1"
      "%D0%A2%D0%9E%D0%A0%D0%98%D0%AF%24%22";
  Open(search);
  std::vector<ElementHandle> boxes = SelectionBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  const std::string first = view_.Value(boxes[0]);
  const std::string second = view_.Value(boxes[1]);
  view_.SetChecked(boxes[0], true);
  view_.SetChecked(boxes[1], true);

  Open(search + "&S21STN=3");
  ASSERT_EQ(State().SelectedList.size(), 2u);
  ElementHandle third = SelectionBoxes().at(0);
  view_.SetChecked(third, true);
  const std::string thirdValue = view_.Value(third);

  Open("TALOR:5,,DEMO,list");
  // Boxes whose name lacks the marker (OTHER, ticked) are no part of it.
  ASSERT_EQ(State().SelectedList.size(), 3u);
  const std::string list = view_.DocumentHtml();
  for (const std::string& mfn : {first, second, thirdValue}) {
    EXPECT_NE(list.find("<li>" + mfn + "</li>"), std::string::npos) << list;
  }

  // Back to the first result page: it comes back as it was left, boxes ticked.
  Nav().Back();
  Settle();
  Nav().Back();
  Settle();
  std::vector<ElementHandle> again = SelectionBoxes();
  ASSERT_EQ(again.size(), 2u);
  EXPECT_TRUE(view_.Checked(again[0]));
  EXPECT_TRUE(view_.Checked(again[1]));
  // Unticking one and leaving the page removes it from the selection.
  view_.SetChecked(again[1], false);
  Nav().Forward();
  Settle();
  EXPECT_EQ(State().SelectedList.size(), 2u);
}

TEST_F(NavigatorPagesTest, ListPageFromAMenuTakesPairs) {
  Open("TALOR:?C21COM=5&I21DBN=DEMO&PFTNAME=ctx&LISTNAME=location.mnu&PATH=10");
  const std::string context = Context();
  EXPECT_NE(context.find("begin=^A^A"), std::string::npos) << context;
  EXPECT_NE(context.find("^B"), std::string::npos) << context;
}

TEST_F(NavigatorPagesTest, TermListPagesForwardAndBack) {
  WriteServerFile("db/DEMO/terms.pft", "(|<li>|v1004^a|</li>|)");
  Open("TALOR:?C21COM=4&I21DBN=DEMO&PFTNAME=terms&T21PRF=A%3D&T21CNR=3&T21TRM=");
  const std::string firstPage = view_.DocumentHtml();
  EXPECT_EQ(CountOf(firstPage, "<li>"), 3) << firstPage;
  EXPECT_EQ(firstPage.find("A="), std::string::npos) << "terms are shown without their prefix";

  // The next portion starts after the last term; the previous one ends before it.
  Open("TALOR:?C21COM=4&I21DBN=DEMO&PFTNAME=terms&T21PRF=A%3D&T21CNR=3&T21TRM=Z");
  const std::string backward =
      Open("TALOR:?C21COM=4&I21DBN=DEMO&PFTNAME=terms&T21PRF=A%3D&T21CNR=3&T21TRM=Z&T21NEXT=0");
  EXPECT_EQ(CountOf(backward, "<li>"), 3) << backward;
}

TEST_F(NavigatorPagesTest, RecordWithContextWhenNothingIsFound) {
  Open("TALOR:1,,DEMO,ctx,K=НЕТТАКОГОСЛОВА");
  EXPECT_NE(Context().find("sexp=K=НЕТТАКОГОСЛОВА"), std::string::npos) << Context();
}

TEST_F(NavigatorPagesTest, EmptyEntryFormHasNoContextFields) {
  Open("TALOR:1,,DEMO,ctx?ENTRY_MFN=0");
  EXPECT_NE(Context().find("hits= sel= portion= "), std::string::npos) << Context();
  Open("TALOR:1,,DEMO,ctx");
  EXPECT_NE(Context().find("hits=0 sel=0 portion=10"), std::string::npos) << Context();
}

TEST_F(NavigatorPagesTest, BarcodesAreDrawnOnceIntoTheWorkDirectory) {
  WriteServerFile("pages/barcodes.html",
                  "<html><body><img src=\"TALOR:!!12345!!\"><img src=\"talor:!!0077!!\">"
                  "</body></html>");
  Open("TALOR:3,1,DEMO,barcodes.html");
  const std::string file = workDir_ + "@TALOR_barcode_12345.bmp";
  ASSERT_TRUE(fs::exists(file));
  // Any case of the scheme.
  EXPECT_TRUE(fs::exists(workDir_ + "@TALOR_barcode_0077.bmp"));
  std::vector<ElementHandle> images = view_.ElementsByTag("IMG");
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(view_.Attribute(images[0], "src"), file);
  const auto written = fs::last_write_time(file);
  Open("TALOR:3,1,DEMO,barcodes.html");
  EXPECT_EQ(fs::last_write_time(file), written);
}

TEST_F(NavigatorPagesTest, RecordImagesBecomePicturesAndMarkersGoAway) {
  WriteServerFile("pages/DEMO/cover.html",
                  "<html><body><p><TALOR Type=\"1\" Value=\",82,1\"></TALOR></p>"
                  "<p id=x><TALOR Type=\"1\" Value=\",0,1\"></TALOR>gone</p>"
                  "<img src=\"TALOR:12,DEMO,82,1\"></body></html>");
  Open("TALOR:3,2,DEMO,cover.html");
  const std::string html = view_.DocumentHtml();
  EXPECT_EQ(html.find("TALOR Type"), std::string::npos) << html;
  std::optional<std::string> cover = FindWorkFile(workDir_, RecordImageStem("DEMO", 82, 1));
  ASSERT_TRUE(cover.has_value());
  EXPECT_TRUE(cover->ends_with(".GIF")) << *cover;
  // Both the marker and the image source show the cover.
  EXPECT_EQ(CountOf(html, "src=\"" + *cover + "\""), 2) << html;
}

TEST_F(NavigatorPagesTest, PageImageGetsTheFoundWordsUnderlined) {
  WriteServerFile("db/DEMO/scanimg.pft", "'<img src=\"TALOR:11,DEMO,page_0001.gif,82\">'");
  // Without mark words the image is the cached file itself.
  Open("TALOR:1,,DEMO,scanimg?ENTRY_MFN=0");
  std::string plain = view_.Attribute(view_.ElementsByTag("IMG").at(0), "src").value_or("");
  EXPECT_EQ(plain, workDir_ + "@TALOR_11_DEMO_PAGE_0001.GIF");
  ASSERT_TRUE(fs::exists(plain));

  // A search for a word on the page makes an underlined copy.
  Open(
      "TALOR:?C21COM=2&I21DBN=DEMO&PFTNAME=hit&TOPPFTNAME=scanimg&1S21STR=%D0%B2%D0%BE%D0%B9%D0"
      "%BD%D0%B0&1S21P03=K%3D");
  std::string marked = view_.Attribute(view_.ElementsByTag("IMG").at(0), "src").value_or("");
  EXPECT_NE(marked, plain);
  EXPECT_TRUE(marked.starts_with(workDir_ + "@TALOR_11_DEMO_")) << marked;
  EXPECT_TRUE(marked.ends_with(".GIF")) << marked;
  ASSERT_TRUE(fs::exists(marked));
  EXPECT_NE(fs::file_size(marked), 0u);
}

TEST_F(NavigatorPagesTest, RedirectIsFollowedWithoutAnEntryOfItsOwn) {
  Open("TALOR:3,1,DEMO,start.html");
  Open("TALOR:1,,DEMO,jump?ENTRY_MFN=0");
  EXPECT_NE(view_.DocumentHtml().find("C21COM"), std::string::npos);
  ASSERT_EQ(State().visits.size(), 2u);
  EXPECT_EQ(State().visits[1].url, "TALOR:3,1,DEMO,start.html");
}

TEST_F(NavigatorPagesTest, RedirectLoopEndsWithAMessage) {
  WriteServerFile("db/DEMO/loop.pft", "'TALOR:1,,DEMO,loop?ENTRY_MFN=0'");
  Open("TALOR:1,,DEMO,loop?ENTRY_MFN=0");
  EXPECT_NE(view_.DocumentHtml().find("перенаправляет сама на себя"), std::string::npos);
  EXPECT_TRUE(Nav().Idle());
  EXPECT_TRUE(State().visits.empty());
}

TEST_F(NavigatorPagesTest, PrintCommandFillsThePrintViewOnly) {
  Open("TALOR:3,1,DEMO,start.html");
  const std::string before = view_.DocumentHtml();
  Open("TALOR:1,,DEMO,ctx?PRINTCOM=2");
  EXPECT_EQ(view_.DocumentHtml(), before);
  EXPECT_NE(printView_.DocumentHtml().find("id=\"ctx\""), std::string::npos);
  EXPECT_EQ(chrome_.prints, 1);
  EXPECT_EQ(State().visits.size(), 1u);
}

TEST_F(NavigatorPagesTest, CommandZeroAndBlankRewrite) {
  Open("TALOR:3,1,DEMO,plain.html");
  Open("TALOR:0,,about:blank#");
  EXPECT_NE(view_.DocumentHtml().find("plain"), std::string::npos);
  EXPECT_EQ(State().visits.size(), 1u);
}

TEST_F(NavigatorPagesTest, ResourceOfCommandThreeIsShownFromTheCache) {
  std::string file = workDir_ + "@TALOR_11_DEMO_page_0001.gif";
  Open("TALOR:3,11,DEMO,page_0001.gif");
  ASSERT_TRUE(fs::exists(file));
  EXPECT_NE(view_.DocumentType().find("GIF"), std::string::npos) << view_.DocumentType();
  EXPECT_EQ(State().CurrentURL, "TALOR:3,11,DEMO,page_0001.gif");
  ASSERT_EQ(State().visits.size(), 1u);
}

TEST_F(NavigatorPagesTest, NavigationsWhileACommandRunsAreIgnored) {
  Open("TALOR:3,1,DEMO,start.html");
  // A path that leaves its folder makes the server refuse the page; while
  // the question "try again?" is open, the reader clicks another link.
  int asked = 0;
  ui_.OnMessage([&](const MessageBoxRequest&) {
    ++asked;
    view_.Navigate("TALOR:3,1,DEMO,plain.html");
  });
  Open("TALOR:3,2,DEMO,x/y.html");
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(State().CurrentURL, "TALOR:3,2,DEMO,x/y.html");
  EXPECT_EQ(view_.DocumentHtml().find("plain"), std::string::npos);
  EXPECT_NE(view_.DocumentHtml().find("(код -701)"), std::string::npos);
}

TEST_F(NavigatorPagesTest, TalorFileLinksOpenLocalFiles) {
  const std::string file = workDir_ + "local page.htm";
  std::ofstream(file) << "<html><body><p>local</p></body></html>";
  Open("TALORfile:" + file);
  EXPECT_NE(view_.DocumentHtml().find("local"), std::string::npos) << view_.LocationURL();
  EXPECT_EQ(State().visits.back().url, view_.LocationURL());
}

TEST_F(NavigatorPagesTest, WithoutACommandOnlyTheFrameShows) {
  Open("TALOR:?I21DBN=DEMO&TOPPFTNAME=ctx");
  EXPECT_NE(Context().find("hits=0 sel=0 portion=10"), std::string::npos) << Context();
  EXPECT_EQ(CountOf(view_.DocumentHtml(), "<p"), 1) << view_.DocumentHtml();
}

TEST_F(NavigatorPagesTest, ContextTagsAndFreeParameters) {
  WriteServerFile("db/DEMO/tags.pft",
                  "'<p id=ctx title=\"db=',v1000,' moved=',v3000,' f0=',v1100,' f3=',v1103,"
                  "' f1=',v1101,'\"></p>'");
  // A tag that is not a number keeps the setting's tag.
  Open("TALOR:1,,DEMO,tags?MODTAG_DBNAME=abc&FREEPAR0=a&FREEPAR3=b");
  EXPECT_EQ(Context(), "db=DEMO moved= f0=a f3=b f1=");
  Open("TALOR:1,,DEMO,tags?MODTAG_DBNAME=3000");
  EXPECT_EQ(Context(), "db= moved=DEMO f0= f3= f1=");
}

TEST_F(NavigatorPagesTest, CachedResourceIsShownWithoutTheServer) {
  // The server has no such file: only the cache can show it.
  std::ofstream(workDir_ + "@TALOR_0__cached.gif", std::ios::binary) << "GIF89a";
  Open("TALOR:3,0,,cached.gif");
  EXPECT_NE(view_.DocumentType().find("GIF"), std::string::npos) << view_.DocumentType();
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(NavigatorPagesTest, RecordFileThatIsNoPictureBecomesALink) {
  // Record 154 keeps an HTML page in its first image field.
  WriteServerFile("pages/DEMO/attached.html",
                  "<html><body><TALOR Type=\"1\" Value=\",154\"></TALOR></body></html>");
  Open("TALOR:3,2,DEMO,attached.html");
  std::vector<ElementHandle> links = view_.ElementsByTag("A");
  ASSERT_EQ(links.size(), 1u) << view_.DocumentHtml();
  const std::string href = view_.Attribute(links[0], "href").value_or("");
  EXPECT_TRUE(href.starts_with("TALORFILE:" + workDir_ + "@TALOR_12_DEMO_154_1_")) << href;
  EXPECT_TRUE(href.ends_with(".HTM")) << href;
  EXPECT_EQ(view_.InnerHtml(links[0]), "О романе «Анна Каренина»");
}

TEST_F(NavigatorPagesTest, RefusedRequestsSayWhyOnThePage) {
  EXPECT_NE(Open("TALOR:1,,NODB,brief,@1").find("такой базы данных нет (код -1000)"),
            std::string::npos);
  EXPECT_NE(Open("TALOR:?C21COM=2&I21DBN=DEMO&S21ALL=(((").find("(код -300)"), std::string::npos);
  // The frame still shows around the notice.
  std::string page = Open("TALOR:1,,DEMO,brief,@999999?TOPPFTNAME=ctx");
  EXPECT_NE(page.find("id=\"ctx\""), std::string::npos);
  EXPECT_NE(page.find("записи с таким номером нет"), std::string::npos);
  // A search without hits is no failure.
  EXPECT_EQ(Open("TALOR:?C21COM=2&I21DBN=DEMO&S21ALL=%22K%3DZZZZZZ%22").find("talor-error"),
            std::string::npos);
}

TEST_F(NavigatorPagesTest, FullTextSearchMarksTheFoundWords) {
  Open(
      "TALOR:?C21COM=10&I21DBN=DEMO&PFTNAME=hit&TOPPFTNAME=ctx&S21STR=%D0%B8%D1%81%D1%82%D0%BE"
      "%D1%80%D0%B8%D1%8F");
  const std::string context = Context();
  EXPECT_EQ(context.find("hits=0"), std::string::npos) << context;
  EXPECT_NE(view_.DocumentHtml().find("<font color=\"red\">"), std::string::npos)
      << view_.DocumentHtml();
}

}  // namespace
}  // namespace talor::server
