// The page view's mirror for the browser window: the copy it serialises and
// the changes it reports.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "page_view_fixture.h"
#include "platform/html_page_view.h"

namespace talor {
namespace {

using ViewChange = HtmlPageView::ViewChange;

TEST_F(PageViewTest, MirrorCarriesHandlesAndServedAddressesButTheDocumentDoesNot) {
  Show(
      "<html><head><title>T</title></head><body>"
      "<a href=\"TALOR:2,,DEMO,brief?S21STR=a&amp;b\">x</a><img src=\"file:///tmp/work/c.gif\">"
      "<form action=\"TALOR:2,,DEMO\"><input type=checkbox name=SEL value=1 checked>"
      "<select name=s><option>1</option></select><textarea name=t></textarea>"
      "<button>b</button></form><p id=plain>text</p></body></html>");
  const std::string before = view_.DocumentHtml();
  HtmlPageView::MirrorOptions options;
  options.headStart = "<script src=\"/frame.js\"></script>";
  options.rewriteUrl = [](std::string& url) {
    if (url.starts_with("file://")) url = "/local" + url.substr(7);
  };
  const std::string mirror = view_.MirrorHtml(options);

  EXPECT_NE(mirror.find("<head><script src=\"/frame.js\"></script><title>"), std::string::npos);
  EXPECT_NE(mirror.find("<img src=\"/local/tmp/work/c.gif\">"), std::string::npos);
  // Pseudo-URLs pass the rewrite untouched and come back byte for byte.
  EXPECT_NE(mirror.find("href=\"TALOR:2,,DEMO,brief?S21STR=a&amp;b\""), std::string::npos);
  // Each element a reader acts on carries the handle the core knows it by.
  for (const char* tag : {"A", "FORM", "INPUT", "SELECT", "TEXTAREA", "BUTTON"}) {
    std::vector<ElementHandle> found = view_.ElementsByTag(tag);
    ASSERT_EQ(found.size(), 1u) << tag;
    EXPECT_NE(mirror.find("data-talor-id=\"" + std::to_string(found[0]) + "\""), std::string::npos)
        << tag;
  }
  EXPECT_NE(mirror.find("<p id=\"plain\">"), std::string::npos);
  EXPECT_NE(mirror.find("value=\"1\" checked"), std::string::npos);
  EXPECT_EQ(view_.DocumentHtml(), before);
}

TEST_F(PageViewTest, MirrorOfAPageWithoutHeadPutsTheScriptInsideHtml) {
  Show("<p>only a paragraph</p>");
  HtmlPageView::MirrorOptions options;
  options.headStart = "<script src=\"/frame.js\"></script>";
  const std::string mirror = view_.MirrorHtml(options);
  const size_t script = mirror.find(options.headStart);
  ASSERT_NE(script, std::string::npos);
  EXPECT_LT(mirror.find("<html>"), script);
  EXPECT_LT(script, mirror.find("<p>"));
}

TEST_F(PageViewTest, EveryChangeOfTheDocumentIsReportedWithItsKind) {
  std::vector<ViewChange> changes;
  view_.SetChangeListener([&](ViewChange change) { changes.push_back(change); });
  Show(
      "<form><input type=checkbox name=a><input name=b><select name=c><option>x</option>"
      "<option>y</option></select></form><p id=p>old</p>");
  // Opening the document for writing and parsing it on close.
  EXPECT_EQ(changes, std::vector<ViewChange>(2, ViewChange::Document));

  const std::vector<ElementHandle> inputs = view_.ElementsByTag("INPUT");
  changes.clear();
  view_.SetChecked(inputs[0], true);
  view_.SetValue(inputs[1], "typed");
  view_.SetValue(view_.ElementsByTag("SELECT")[0], "y");
  view_.SetAttribute(inputs[1], "title", "hint");
  view_.SetOuterHtml(view_.ElementsByTag("P")[0], "<p>new</p>");
  view_.Click(inputs[0]);
  EXPECT_EQ(changes, std::vector<ViewChange>(6, ViewChange::Document));

  changes.clear();
  view_.SetScrollTop(120);
  EXPECT_EQ(changes, std::vector<ViewChange>{ViewChange::Scroll});
  // What changes nothing reports nothing.
  changes.clear();
  view_.SetValue(view_.ElementsByTag("SELECT")[0], "no such option");
  view_.SetChecked(0, true);
  EXPECT_TRUE(changes.empty());
}

}  // namespace
}  // namespace talor
