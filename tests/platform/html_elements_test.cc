// Elements of the headless page view: lookup by tag, attributes, the
// properties scripts read, outer HTML replacement and stale handles.

#include <gtest/gtest.h>

#include "page_view_fixture.h"
#include "platform/html_page_view.h"

namespace talor {
namespace {

TEST_F(PageViewTest, ElementsByTagIgnoresCaseAndKeepsDocumentOrder) {
  Show(
      "<p>1 <TALOR Type=\"0\">x</TALOR> 2 <talor type=1 value=\"DEMO,5,2\"></talor>"
      "<Talor TYPE=\"\"></Talor></p><img src=a.gif><IMG SRC=b.gif>");
  std::vector<ElementHandle> markers = view_.ElementsByTag("TALOR");
  ASSERT_EQ(markers.size(), 3u);
  EXPECT_EQ(view_.Type(markers[0]), "0");
  EXPECT_EQ(view_.Type(markers[1]), "1");
  EXPECT_EQ(view_.Value(markers[1]), "DEMO,5,2");
  EXPECT_EQ(view_.Type(markers[2]), "");
  EXPECT_EQ(view_.ElementsByTag("talor"), markers);  // the same handles again
  std::vector<ElementHandle> images = view_.ElementsByTag("img");
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(view_.Attribute(images[0], "SRC"), "a.gif");
  EXPECT_EQ(view_.Attribute(images[1], "src"), "b.gif");
  EXPECT_TRUE(view_.ElementsByTag("TABLE").empty());
}

TEST_F(PageViewTest, PropertiesAsScriptsSeeThem) {
  Show(
      "<input name=plain value=v1><input TYPE=CheckBox Name=\"SEL1\" value=\"DEMO^5\" checked>"
      "<input type=RADIO name=r><input type=weird><input type=submit name=go>"
      "<textarea name=t>line one\nline two</textarea>"
      "<select name=s><option value=1>one<option selected>  two  words </select>"
      "<select name=empty></select>");
  struct Row {
    std::string_view tag;
    size_t index;
    std::string type, name, value;
    bool checked;
  };
  const Row rows[] = {
      {"INPUT", 0, "text", "plain", "v1", false},
      {"INPUT", 1, "checkbox", "SEL1", "DEMO^5", true},
      {"INPUT", 2, "radio", "r", "", false},
      {"INPUT", 3, "text", "", "", false},
      {"INPUT", 4, "submit", "go", "", false},
      {"TEXTAREA", 0, "", "t", "line one\nline two", false},
      {"SELECT", 0, "", "s", "two words", false},
      {"SELECT", 1, "", "empty", "", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.tag) + " " + std::to_string(row.index));
    std::vector<ElementHandle> found = view_.ElementsByTag(row.tag);
    ASSERT_LT(row.index, found.size());
    ElementHandle element = found[row.index];
    EXPECT_EQ(view_.Type(element), row.type);
    EXPECT_EQ(view_.Name(element), row.name);
    EXPECT_EQ(view_.Value(element), row.value);
    EXPECT_EQ(view_.Checked(element), row.checked);
  }
}

TEST_F(PageViewTest, AttributesAreFoundAndSetWithoutRegardToCase) {
  Show("<a HREF=\"TALOR:1\" Target=main>link</a>");
  ElementHandle link = First("A");
  EXPECT_EQ(view_.Attribute(link, "Href"), "TALOR:1");
  EXPECT_EQ(view_.Attribute(link, "title"), std::nullopt);
  EXPECT_TRUE(view_.SetAttribute(link, "TARGET", "_blank"));
  EXPECT_TRUE(view_.SetAttribute(link, "Title", ""));
  EXPECT_EQ(view_.OuterHtml(link), "<a href=\"TALOR:1\" target=\"_blank\" title=\"\">link</a>");
  // A name that could not be written back is refused.
  for (std::string_view bad : {"", "on click", "a\"b", "x=y", "a>b", "a/b"}) {
    EXPECT_FALSE(view_.SetAttribute(link, bad, "1")) << bad;
  }
  EXPECT_EQ(view_.OuterHtml(link), "<a href=\"TALOR:1\" target=\"_blank\" title=\"\">link</a>");
}

TEST_F(PageViewTest, CheckedIsThePresenceOfTheAttribute) {
  Show("<input type=checkbox name=SEL1 value=a><input type=checkbox name=SEL2 checked=''>");
  std::vector<ElementHandle> boxes = view_.ElementsByTag("INPUT");
  ASSERT_TRUE(view_.SetChecked(boxes[0], true));
  EXPECT_TRUE(view_.Checked(boxes[0]));
  EXPECT_TRUE(view_.Checked(boxes[1]));
  EXPECT_EQ(view_.OuterHtml(boxes[0]),
            "<input type=\"checkbox\" name=\"SEL1\" value=\"a\" checked=\"checked\">");
  ASSERT_TRUE(view_.SetChecked(boxes[1], false));
  EXPECT_EQ(view_.OuterHtml(boxes[1]), "<input type=\"checkbox\" name=\"SEL2\">");

  // The states survive the page's HTML being stored and written back.
  std::string saved = view_.InnerHtml(First("HTML"));
  Show(saved);
  boxes = view_.ElementsByTag("INPUT");
  EXPECT_TRUE(view_.Checked(boxes[0]));
  EXPECT_FALSE(view_.Checked(boxes[1]));
  EXPECT_EQ(view_.InnerHtml(First("HTML")), saved);
}

TEST_F(PageViewTest, CheckingARadioButtonUnchecksItsGroup) {
  Show(
      "<form><input type=radio name=r value=1 checked><input type=radio name=r value=2>"
      "<input type=radio name=q value=3 checked></form>"
      "<input type=radio name=r value=4 checked>");
  std::vector<ElementHandle> radios = view_.ElementsByTag("INPUT");
  ASSERT_TRUE(view_.SetChecked(radios[1], true));
  EXPECT_FALSE(view_.Checked(radios[0]));
  EXPECT_TRUE(view_.Checked(radios[1]));
  EXPECT_TRUE(view_.Checked(radios[2]));  // another name
  EXPECT_TRUE(view_.Checked(radios[3]));  // outside the form
}

TEST_F(PageViewTest, SetOuterHtmlReplacesTheElementInPlace) {
  Show(
      "<p>a<talor type=0></talor>b</p><p><talor type=1 value=\",5,2\"></talor></p>"
      "<p><talor type=1 value=\",6\"></talor></p><p>x<talor type=2>gone</talor>y</p>");
  std::vector<ElementHandle> markers = view_.ElementsByTag("TALOR");
  ASSERT_EQ(markers.size(), 4u);
  ASSERT_TRUE(view_.SetOuterHtml(markers[0], "11"));
  ASSERT_TRUE(view_.SetOuterHtml(markers[1], "<IMG SRC=\"/tmp/x.bmp\">"));
  ASSERT_TRUE(view_.SetOuterHtml(markers[2], "<A HREF=\"TALORFILE:/tmp/a.pdf\">Аннотация</A>"));
  ASSERT_TRUE(view_.SetOuterHtml(markers[3], ""));
  EXPECT_EQ(Body(),
            "<p>a11b</p><p><img src=\"/tmp/x.bmp\"></p>"
            "<p><a href=\"TALORFILE:/tmp/a.pdf\">Аннотация</a></p><p>xy</p>");
  EXPECT_TRUE(view_.ElementsByTag("TALOR").empty());
  EXPECT_EQ(view_.Attribute(First("IMG"), "src"), "/tmp/x.bmp");
  EXPECT_EQ(view_.Attribute(First("A"), "href"), "TALORFILE:/tmp/a.pdf");
}

TEST_F(PageViewTest, HitNumbersReplaceMarkersOneAfterAnother) {
  Show("<p><talor type=0></talor>. A</p><p><TALOR TYPE=0></TALOR>. B</p><p><talor type=0></p>");
  int number = 11;
  for (ElementHandle marker : view_.ElementsByTag("TALOR")) {
    ASSERT_TRUE(view_.SetOuterHtml(marker, std::to_string(number++)));
  }
  EXPECT_EQ(Body(), "<p>11. A</p><p>12. B</p><p>13</p>");
}

TEST_F(PageViewTest, SetOuterHtmlKeepsMarkupThatIsNotABody) {
  Show("<table><tr><td id=c>cell</td></tr></table>");
  ASSERT_TRUE(view_.SetOuterHtml(First("TD"), "<td>one</td><td>two</td>"));
  EXPECT_EQ(view_.InnerHtml(First("TR")), "<td>one</td><td>two</td>");
  // The root element cannot be replaced.
  EXPECT_FALSE(view_.SetOuterHtml(First("HTML"), "<p>x</p>"));
  EXPECT_EQ(view_.ElementsByTag("TD").size(), 2u);
}

TEST_F(PageViewTest, ReplacedElementAndItsDescendantsGoStale) {
  Show("<div id=d><span id=s><input type=checkbox name=SEL1></span></div><p id=p>p</p>");
  ElementHandle div = First("DIV");
  ElementHandle span = First("SPAN");
  ElementHandle box = First("INPUT");
  ElementHandle paragraph = First("P");
  ASSERT_TRUE(view_.SetOuterHtml(div, "<div id=d2>new</div>"));
  for (ElementHandle stale : {div, span, box}) {
    EXPECT_EQ(view_.Attribute(stale, "id"), std::nullopt);
    EXPECT_FALSE(view_.SetAttribute(stale, "id", "x"));
    EXPECT_FALSE(view_.SetChecked(stale, true));
    EXPECT_FALSE(view_.Checked(stale));
    EXPECT_FALSE(view_.SetOuterHtml(stale, "x"));
    EXPECT_EQ(view_.OuterHtml(stale), "");
    EXPECT_EQ(view_.InnerHtml(stale), "");
    EXPECT_EQ(view_.Type(stale), "");
    EXPECT_EQ(view_.Name(stale), "");
    EXPECT_EQ(view_.Value(stale), "");
  }
  EXPECT_EQ(view_.Attribute(paragraph, "id"), "p");  // a sibling stays valid
  ElementHandle replacement = First("DIV");
  EXPECT_NE(replacement, div);  // handles are never reused
  EXPECT_EQ(view_.Attribute(replacement, "id"), "d2");
  EXPECT_EQ(Body(), "<div id=\"d2\">new</div><p id=\"p\">p</p>");
}

TEST_F(PageViewTest, NewDocumentMakesEveryHandleStale) {
  Show("<p id=one>one</p>");
  ElementHandle first = First("P");
  Show("<p id=two>two</p>");
  EXPECT_EQ(view_.Attribute(first, "id"), std::nullopt);
  EXPECT_FALSE(view_.SetAttribute(first, "id", "x"));
  ElementHandle second = First("P");
  EXPECT_NE(second, first);
  Load("about:blank");
  EXPECT_EQ(view_.OuterHtml(second), "");
  EXPECT_EQ(view_.OuterHtml(0), "");
}

TEST_F(PageViewTest, TitleIsTheFirstTitleTextTrimmed) {
  Show("<title>\n  Поиск   в  каталоге\n</title><title>second</title>");
  EXPECT_EQ(view_.Title(), "Поиск в каталоге");
  Show("<p>no title</p>");
  EXPECT_EQ(view_.Title(), "");
}

}  // namespace
}  // namespace talor
