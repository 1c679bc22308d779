// Navigation, loading and the written document of the headless page view.

#include "platform/html_page_view.h"

#include <gtest/gtest.h>

#include <memory>

#include "page_view_fixture.h"
#include "platform/page_view.h"

namespace talor {
namespace {

using Log = std::vector<std::string>;

// ---- navigation events

TEST_F(PageViewTest, BeforeNavigateIsRaisedInsideTheCallAndCompleteAfterTheLoad) {
  Show("<title>old</title>");
  view_.Navigate("about:blank#top", "a=1", "frame1");
  EXPECT_EQ(log_, Log{"before about:blank#top"});
  EXPECT_EQ(lastEvent_.postData, "a=1");
  EXPECT_EQ(lastEvent_.targetFrame, "frame1");
  EXPECT_TRUE(view_.Busy());
  EXPECT_EQ(view_.Title(), "old");  // the load waits for the loop

  WaitIdle();
  EXPECT_EQ(log_, (Log{"before about:blank#top", "complete about:blank#top"}));
  EXPECT_EQ(view_.LocationURL(), "about:blank#top");
  EXPECT_EQ(view_.DocumentType(), kHtmlDocumentType);
  EXPECT_EQ(view_.DocumentHtml(), "<html><head></head><body></body></html>");
}

TEST_F(PageViewTest, CancelledNavigationLeavesTheDocumentAlone) {
  Show("<title>kept</title>");
  onBeforeNavigate_ = [](BeforeNavigateEvent& event) { event.cancel = true; };
  view_.Navigate("TALOR:?C21COM=2");
  EXPECT_FALSE(view_.Busy());
  Drain();
  EXPECT_EQ(log_, Log{"before TALOR:?C21COM=2"});
  EXPECT_EQ(view_.Title(), "kept");
  EXPECT_EQ(view_.LocationURL(), "about:blank");
}

TEST_F(PageViewTest, HandlerMayRewriteTheAddress) {
  ScratchDir dir;
  std::string page = dir.Write("a.html", "<title>A</title>");
  onBeforeNavigate_ = [&](BeforeNavigateEvent& event) {
    if (event.url == "TALORfile:x") event.url = "file://" + page;
  };
  Load("TALORfile:x");
  EXPECT_EQ(log_, (Log{"before TALORfile:x", "complete file://" + page}));
  EXPECT_EQ(view_.Title(), "A");
}

TEST_F(PageViewTest, HandlerMayCancelAndNavigateAgainFromInside) {
  onBeforeNavigate_ = [this](BeforeNavigateEvent& event) {
    if (event.url.rfind("TALOR:0,,", 0) == 0) {
      event.cancel = true;
      view_.Navigate(event.url.substr(9));
    }
  };
  Load("TALOR:0,,about:blank#inner");
  EXPECT_EQ(log_, (Log{"before TALOR:0,,about:blank#inner", "before about:blank#inner",
                       "complete about:blank#inner"}));
}

TEST_F(PageViewTest, NavigationStartedInsideAHandlerWinsEvenWithoutCancel) {
  onBeforeNavigate_ = [this](BeforeNavigateEvent& event) {
    if (event.url == "about:blank#outer") view_.Navigate("about:blank#inner");
  };
  Load("about:blank#outer");
  Drain();
  EXPECT_EQ(log_, (Log{"before about:blank#outer", "before about:blank#inner",
                       "complete about:blank#inner"}));
  EXPECT_EQ(view_.LocationURL(), "about:blank#inner");
}

TEST_F(PageViewTest, EndlesslyRedirectingHandlerStopsAtTheNestingLimit) {
  onBeforeNavigate_ = [this](BeforeNavigateEvent& event) { view_.Navigate(event.url + "x"); };
  Load("about:blank#");
  Drain();
  ASSERT_EQ(log_.size(), size_t{HtmlPageView::kMaxNavigationNesting} + 1);
  std::string deepest = "about:blank#" + std::string(HtmlPageView::kMaxNavigationNesting - 1, 'x');
  EXPECT_EQ(log_.back(), "complete " + deepest);
  EXPECT_EQ(view_.LocationURL(), deepest);
}

TEST_F(PageViewTest, LaterNavigationSupersedesAPendingLoad) {
  view_.Navigate("about:blank#1");
  view_.Navigate("about:blank#2");
  WaitIdle();
  Drain();
  EXPECT_EQ(log_, (Log{"before about:blank#1", "before about:blank#2", "complete about:blank#2"}));
}

TEST_F(PageViewTest, CancelledNavigationDoesNotDisturbAPendingLoad) {
  view_.Navigate("about:blank#1");
  onBeforeNavigate_ = [](BeforeNavigateEvent& event) { event.cancel = true; };
  view_.Navigate("TALOR:?C21COM=2");
  EXPECT_TRUE(view_.Busy());
  WaitIdle();
  EXPECT_EQ(log_.back(), "complete about:blank#1");
}

TEST_F(PageViewTest, StopEndsAPendingLoadWithoutComplete) {
  Show("<title>kept</title>");
  view_.Navigate("about:blank#1");
  view_.Stop();
  EXPECT_FALSE(view_.Busy());
  Drain();
  EXPECT_EQ(log_, Log{"before about:blank#1"});
  EXPECT_EQ(view_.Title(), "kept");
  view_.Stop();  // nothing pending: nothing happens
  EXPECT_EQ(view_.LocationURL(), "about:blank");
}

TEST_F(PageViewTest, RefreshReloadsTheAddressWithoutBeforeNavigate) {
  ScratchDir dir;
  std::string page = dir.Write("a.html", "<title>one</title>");
  Load("file://" + page);
  dir.Write("a.html", "<title>two</title>");
  log_.clear();
  view_.Refresh();
  EXPECT_TRUE(view_.Busy());
  WaitIdle();
  EXPECT_EQ(log_, Log{"complete file://" + page});
  EXPECT_EQ(view_.Title(), "two");
}

TEST_F(PageViewTest, DocumentCompleteHandlerMayNavigateAgain) {
  view_.SetDocumentComplete([this](PageView&, const std::string& url) {
    log_.push_back("complete " + url);
    if (url == "about:blank#1") view_.Navigate("about:blank#2");
  });
  Load("about:blank#1");
  WaitIdle();
  EXPECT_EQ(log_, (Log{"before about:blank#1", "complete about:blank#1", "before about:blank#2",
                       "complete about:blank#2"}));
}

TEST(HtmlPageViewLifetimeTest, ViewDestroyedWithALoadPendingLeavesAHarmlessHandler) {
  EventLoop loop;
  auto view = std::make_unique<HtmlPageView>(loop);
  int completes = 0;
  view->SetDocumentComplete([&](PageView&, const std::string&) { ++completes; });
  view->Navigate("about:blank");
  view.reset();
  bool reached = false;
  loop.Post([&] { reached = true; });
  ASSERT_TRUE(loop.WaitUntil([&] { return reached; }));
  EXPECT_EQ(completes, 0);
}

TEST(HtmlPageViewLifetimeTest, HandlerMayDestroyTheView) {
  EventLoop loop;
  auto view = std::make_unique<HtmlPageView>(loop);
  view->SetBeforeNavigate([&](PageView&, BeforeNavigateEvent&) { view.reset(); });
  view->Navigate("about:blank");
  EXPECT_EQ(view, nullptr);
  bool reached = false;
  loop.Post([&] { reached = true; });
  EXPECT_TRUE(loop.WaitUntil([&] { return reached; }));
}

// ---- what an address loads

TEST_F(PageViewTest, LoadsUtf8HtmlFile) {
  ScratchDir dir;
  std::string page = dir.Write("war and peace.HTM",
                               "<html><head><title>Война и мир</title></head>"
                               "<body><p>Том первый</p></body></html>");
  Load("file:///" + dir.path().substr(1) + "/war%20and%20peace.HTM");
  EXPECT_EQ(view_.DocumentType(), kHtmlDocumentType);
  EXPECT_EQ(view_.Title(), "Война и мир");
  EXPECT_EQ(view_.InnerHtml(First("P")), "Том первый");
  EXPECT_EQ(view_.LocationURL(), "file:///" + dir.path().substr(1) + "/war%20and%20peace.HTM");
}

TEST_F(PageViewTest, LoadsWindows1251FileByItsMetaCharset) {
  ScratchDir dir;
  // "Поиск" in Windows-1251; the meta tag names the code page.
  std::string page = dir.Write(
      "cp.html",
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
      "<title>\xCF\xEE\xE8\xF1\xEA</title></head><body>\xE0\x98\xE1</body></html>");
  Load("file://" + page);
  EXPECT_EQ(view_.Title(), "Поиск");
  // 0x98 has no character in Windows-1251; the rest of the page survives it.
  EXPECT_EQ(Body(),
            "а\xEF\xBF\xBD"
            "б");
}

TEST_F(PageViewTest, FileWithoutCharsetIsUtf8WhenValidElseWindows1251) {
  ScratchDir dir;
  Load("file://" + dir.Write("u.html", "<p>ёж</p>"));
  EXPECT_EQ(view_.InnerHtml(First("P")), "ёж");
  Load("file://" + dir.Write("a.html", "<p>\xB8\xE6</p>"));
  EXPECT_EQ(view_.InnerHtml(First("P")), "ёж");
}

TEST_F(PageViewTest, ContentThatLooksLikeHtmlIsHtmlWhateverItsName) {
  ScratchDir dir;
  Load("file://" + dir.Write("page.dat", "\n  <HTML><title>sniffed</title></HTML>"));
  EXPECT_EQ(view_.DocumentType(), kHtmlDocumentType);
  EXPECT_EQ(view_.Title(), "sniffed");
}

TEST_F(PageViewTest, ImagesAndOtherFilesHaveATypeButNoDocument) {
  struct Row {
    std::string_view name;
    std::string_view bytes;
    std::string_view type;
  };
  const Row rows[] = {
      {"a.gif", "GIF89a\x01\x00\x01\x00", "GIF Image"},
      {"old.gif", "GIF87a\x01\x00", "GIF Image"},
      {"photo.bin", "\xFF\xD8\xFF\xE0\x00\x10JFIF", "JPEG Image"},
      {"b.png", "\x89PNG\r\n\x1A\n\x00\x00", "PNG Image"},
      {"@TALOR_barcode_12345.bmp", "BM\x36\x00\x00\x00", "Bitmap Image"},
      {"a.pdf", "%PDF-1.4", "File"},
      {"empty.txt", "", "File"},
  };
  ScratchDir dir;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Load("file://" + dir.Write(row.name, row.bytes));
    EXPECT_EQ(view_.DocumentType(), row.type);
    EXPECT_EQ(view_.DocumentHtml(), "");
    EXPECT_TRUE(view_.ElementsByTag("IMG").empty());
    EXPECT_FALSE(view_.Write("<p>x</p>"));
  }
}

TEST_F(PageViewTest, MissingFileShowsARussianMessage) {
  Load("file:///no/such/dir/a%26b.html");
  EXPECT_EQ(log_.back(), "complete file:///no/such/dir/a%26b.html");
  EXPECT_EQ(view_.DocumentType(), kHtmlDocumentType);
  EXPECT_EQ(Body(), "Файл не найден: /no/such/dir/a&amp;b.html");
}

TEST_F(PageViewTest, FolderIsNotShownAsAPage) {
  ScratchDir dir;
  Load("file://" + dir.path());
  EXPECT_EQ(Body(), "Не удалось прочитать файл: " + dir.path());
}

TEST_F(PageViewTest, FileWhoseNameHoldsAPercentSignIsFoundByItsLiteralName) {
  ScratchDir dir;
  std::string page = dir.Write("100%41.html", "<title>literal</title>");
  Load("file://" + page);
  EXPECT_EQ(view_.Title(), "literal");
}

TEST_F(PageViewTest, WebAddressesAreLeftToTheBrowserWindow) {
  Show("<title>before</title>");
  Load("https://example.org/catalogue?q=1");
  EXPECT_EQ(log_.back(), "complete https://example.org/catalogue?q=1");
  EXPECT_EQ(view_.LocationURL(), "https://example.org/catalogue?q=1");
  EXPECT_EQ(view_.DocumentType(), "");
  EXPECT_EQ(view_.DocumentHtml(), "");
  EXPECT_EQ(view_.Title(), "");
  EXPECT_FALSE(view_.Write("<p>x</p>"));
  // about:blank gives a document that can be written again.
  Load("about:blank");
  EXPECT_TRUE(view_.Write("<p>x</p>"));
}

// ---- write and close

TEST_F(PageViewTest, WritesCollectUntilCloseParsesThem) {
  ASSERT_TRUE(view_.Write("<html><head><title>Поиск</title></head><body><p>one"));
  ASSERT_TRUE(view_.Write("</p><p>two</p></body></html>"));
  EXPECT_EQ(view_.Title(), "");  // the document opened empty
  view_.Close();
  EXPECT_EQ(view_.DocumentType(), kHtmlDocumentType);
  EXPECT_EQ(view_.Title(), "Поиск");
  EXPECT_EQ(Body(), "<p>one</p><p>two</p>");
  EXPECT_EQ(view_.LocationURL(), "about:blank");
  EXPECT_TRUE(log_.empty());  // write and close raise nothing
}

TEST_F(PageViewTest, FirstWriteOpensANewDocumentAndStopsAPendingLoad) {
  Show("<p id=old>old</p>");
  ElementHandle old = First("P");
  view_.Navigate("about:blank#later");
  ASSERT_TRUE(view_.Write("<p>new</p>"));
  EXPECT_FALSE(view_.Busy());
  EXPECT_EQ(view_.Attribute(old, "id"), std::nullopt);
  view_.Close();
  Drain();
  EXPECT_EQ(Body(), "<p>new</p>");
  EXPECT_EQ(log_, Log{"before about:blank#later"});
}

TEST_F(PageViewTest, CloseWithNothingWrittenChangesNothing) {
  Show("<p>kept</p>");
  view_.Close();
  EXPECT_EQ(Body(), "<p>kept</p>");
}

TEST_F(PageViewTest, EmptyPageIsTheEmptyDocument) {
  Show("");
  EXPECT_EQ(view_.DocumentHtml(), "<html><head></head><body></body></html>");
  Show("<!-- only a comment -->");
  EXPECT_EQ(view_.DocumentHtml(), "<!-- only a comment --><html><head></head><body></body></html>");
}

TEST_F(PageViewTest, WrittenTextIsUtf8WhateverItDeclares) {
  Show("<meta charset=windows-1251><p>Привет \xC0!</p>");
  EXPECT_EQ(view_.InnerHtml(First("P")), "Привет \xEF\xBF\xBD!");
}

TEST_F(PageViewTest, DeeplyNestedPageKeepsItsTail) {
  std::string page;
  for (int k = 0; k < 5000; ++k) page += "<font>";
  page += "<p id=tail>end</p>";
  Show(page);
  EXPECT_EQ(view_.Attribute(First("P"), "id"), "tail");
  EXPECT_NE(view_.DocumentHtml().find("<p id=\"tail\">end</p>"), std::string::npos);
  ASSERT_TRUE(view_.SetOuterHtml(First("FONT"), "gone"));
  EXPECT_EQ(Body(), "gone");
}

TEST_F(PageViewTest, ScrollPositionStartsAtZeroWithEachDocument) {
  Show("<p>a</p>");
  view_.SetScrollTop(240);
  EXPECT_EQ(view_.ScrollTop(), 240);
  view_.SetScrollTop(-5);
  EXPECT_EQ(view_.ScrollTop(), 0);
  view_.SetScrollTop(240);
  Show("<p>b</p>");
  EXPECT_EQ(view_.ScrollTop(), 0);
  view_.SetScrollTop(240);
  Load("about:blank");
  EXPECT_EQ(view_.ScrollTop(), 0);
}

}  // namespace
}  // namespace talor
