// The page view's HTML output: what it writes, and that pseudo-URLs in
// attributes come back byte for byte through parse, edit, serialise, parse.

#include <gtest/gtest.h>

#include "page_view_fixture.h"
#include "platform/html_page_view.h"

namespace talor {
namespace {

struct HostileValue {
  std::string_view tag;        // the element that carries it
  std::string_view attribute;  // href, src or action
  std::string_view source;     // the attribute as the page writes it
  std::string_view value;      // what a script reads
};

const HostileValue kHostileValues[] = {
    {"A", "href", "\"TALOR:?C21COM=2&amp;S21STR=a%2Bb$\"", "TALOR:?C21COM=2&S21STR=a%2Bb$"},
    {"A", "href", "\"TALOR:?C21COM=2&S21STR=a%2Bb$\"", "TALOR:?C21COM=2&S21STR=a%2Bb$"},
    {"A", "href", "\"TALOR:1,,DEMO,,K=война^мир,1\"", "TALOR:1,,DEMO,,K=война^мир,1"},
    {"A", "href", "\"TALOR:?I21DBN=DEMO&copy=2&reg=3&amp=4\"",
     "TALOR:?I21DBN=DEMO&copy=2&reg=3&amp=4"},
    {"A", "href", "\"TALOR:?S21STR=&amp;amp;x\"", "TALOR:?S21STR=&amp;x"},
    {"IMG", "src", "\"TALOR:3,0,,my logo%20x+y.gif\"", "TALOR:3,0,,my logo%20x+y.gif"},
    {"IMG", "src", "\"TALOR:!!12 345!!\"", "TALOR:!!12 345!!"},
    {"FORM", "action", "\"TALOR:?C21COM=S#results\"", "TALOR:?C21COM=S#results"},
    {"A", "href", "'TALOR:?Q=\"a b\"'", "TALOR:?Q=\"a b\""},
    {"A", "href", "\"TALOR:?Q=&quot;c&#39;d\"", "TALOR:?Q=\"c'd"},
    {"A", "href", "\"TALOR:?E=a<b>c\"", "TALOR:?E=a<b>c"},
    {"A", "href", "\"TALOR:?S21STR=line%0Anext&P=100%&R=%%41\"",
     "TALOR:?S21STR=line%0Anext&P=100%&R=%%41"},
    {"A", "href", "\"TALOR:?T=a&#10;b\"", "TALOR:?T=a\nb"},
    {"A", "href", "TALOR:5,,DEMO,list.pft", "TALOR:5,,DEMO,list.pft"},
};

std::string HostilePage() {
  std::string page = "<html><head><title>t</title></head><body>";
  for (const HostileValue& row : kHostileValues) {
    page += "<" + std::string(row.tag) + " " + std::string(row.attribute) + "=" +
            std::string(row.source) + ">x</" + std::string(row.tag) + ">";
  }
  page +=
      "<input type=checkbox name=SEL1 value=\"DEMO,5\"><talor type=0></talor>"
      "<p id=edit>e</p></body></html>";
  return page;
}

// The values in page order, read through the view.
std::vector<std::string> ReadValues(HtmlPageView& view) {
  std::vector<std::string> values;
  for (ElementHandle element : view.ElementsByTag("*")) {
    for (std::string_view name : {"href", "src", "action"}) {
      if (std::optional<std::string> value = view.Attribute(element, name)) {
        values.push_back(*value);
      }
    }
  }
  return values;
}

std::vector<std::string> ExpectedValues() {
  std::vector<std::string> values;
  for (const HostileValue& row : kHostileValues) values.emplace_back(row.value);
  return values;
}

TEST_F(PageViewTest, PseudoUrlsSurviveParseEditSerialiseAndParseAgain) {
  Show(HostilePage());
  ASSERT_EQ(ReadValues(view_), ExpectedValues());

  // Edits elsewhere on the page, as the page writer and the selection make.
  ASSERT_TRUE(view_.SetChecked(First("INPUT"), true));
  ASSERT_TRUE(view_.SetOuterHtml(First("TALOR"), "11"));
  ASSERT_TRUE(view_.SetAttribute(First("P"), "class", "marked"));
  EXPECT_EQ(ReadValues(view_), ExpectedValues());

  std::string first = view_.DocumentHtml();
  Show(first);
  EXPECT_EQ(ReadValues(view_), ExpectedValues());
  EXPECT_TRUE(view_.Checked(First("INPUT")));
  EXPECT_EQ(view_.DocumentHtml(), first);  // the output is a fixed point
}

TEST_F(PageViewTest, ValuesSetByScriptComeBackByteForByte) {
  Show("<a href=x>a</a>");
  ElementHandle link = First("A");
  for (const HostileValue& row : kHostileValues) {
    SCOPED_TRACE(row.value);
    ASSERT_TRUE(view_.SetAttribute(link, "href", row.value));
    EXPECT_EQ(view_.Attribute(link, "href"), row.value);
    Show(view_.DocumentHtml());
    link = First("A");
    EXPECT_EQ(view_.Attribute(link, "href"), row.value);
  }
}

TEST_F(PageViewTest, MarkupInsertedByOuterHtmlKeepsItsValues) {
  Show("<p><talor type=1></talor></p>");
  ASSERT_TRUE(view_.SetOuterHtml(
      First("TALOR"), "<A HREF=\"TALOR:?S21STR=%D0%B2&amp;X=a+b&copy=2\">Аннотация</A>"));
  EXPECT_EQ(view_.Attribute(First("A"), "href"), "TALOR:?S21STR=%D0%B2&X=a+b&copy=2");
  Show(view_.DocumentHtml());
  EXPECT_EQ(view_.Attribute(First("A"), "href"), "TALOR:?S21STR=%D0%B2&X=a+b&copy=2");
}

TEST_F(PageViewTest, SerialiserWritesHtmlAsTheBrowserWindowReceivesIt) {
  struct Row {
    std::string_view page;
    std::string_view body;  // the body's inner HTML
  };
  const Row rows[] = {
      {"<p>a<br>b<IMG SRC=x.gif ALT=''></p><hr>", "<p>a<br>b<img src=\"x.gif\" alt=\"\"></p><hr>"},
      {"<p>1 &lt; 2 &amp;&amp; 3 &gt; 2 &copy=2 &copy; \"q\"</p>",
       "<p>1 &lt; 2 &amp;&amp; 3 &gt; 2 &amp;copy=2 © \"q\"</p>"},
      {"<body><script>if (a<b && c) x='</p>';</script><style>a>b{}</style>",
       "<script>if (a<b && c) x='</p>';</script><style>a>b{}</style>"},
      {"<body><!-- keep -- me --><talor foo>t</talor>", "<!-- keep -- me --><talor foo>t</talor>"},
      {"<input type=checkbox CHECKED><td nowrap>",
       "<input type=\"checkbox\" checked=\"checked\">"
       "<td nowrap=\"nowrap\"></td>"},
      {"<textarea>a &amp; b\n c</textarea>", "<textarea>a &amp; b\n c</textarea>"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.page);
    Show(row.page);
    EXPECT_EQ(Body(), row.body);
    Show(view_.DocumentHtml());
    EXPECT_EQ(Body(), row.body);
  }
}

TEST_F(PageViewTest, SerialiserKeepsTheDoctype) {
  Show("<!DOCTYPE html><title>x</title>");
  EXPECT_EQ(view_.DocumentHtml(),
            "<!DOCTYPE html><html><head><title>x</title></head><body></body></html>");
  Show(
      "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" "
      "\"http://www.w3.org/TR/html4/strict.dtd\"><p>x");
  EXPECT_EQ(view_.DocumentHtml(),
            "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" "
            "\"http://www.w3.org/TR/html4/strict.dtd\">"
            "<html><head></head><body><p>x</p></body></html>");
}

// libxml2 keeps an html, head or body start tag that appears out of place as
// an element where it stands; HTML cannot write such a tree, so its text
// would move on with every reading. Read once, a page writes a text that
// reads back to itself, with one html and one body and no text lost.
TEST_F(PageViewTest, MisplacedDocumentTagsSettleOnTheFirstReading) {
  struct Row {
    std::string_view page;
    std::string_view document;
  };
  const Row rows[] = {
      {"<head><D><body></html><l><body", "<html><head><d></d></head><body><l></l></body></html>"},
      {"<head><D><body class=c>t</html><l>",
       "<html><head><d>t</d></head><body class=\"c\"><l></l></body></html>"},
      {"<head><u>a<body class=c>b</body></u></head>c<html lang=ru>d",
       "<html><head></head><body><u>ab</u>cd</body></html>"},
      {"<p>a<html lang=ru><p>b", ""},
      {"<body><head><b>x</b></head>", ""},
      {"<title>t</title><body>b<body class=c>c</body>d", ""},
      {"<html><html><body><html>x", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.page);
    Show(std::string(row.page));
    std::string first = view_.DocumentHtml();
    if (!row.document.empty()) {
      EXPECT_EQ(first, row.document);
    }
    Show(first);
    EXPECT_EQ(view_.DocumentHtml(), first);
    EXPECT_EQ(view_.ElementsByTag("HTML").size(), 1u);
    EXPECT_EQ(view_.ElementsByTag("BODY").size(), 1u);
  }
}

}  // namespace
}  // namespace talor
