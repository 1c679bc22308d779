// A reader's walk through the demo catalogue's pages, acting on the pages as
// a reader does: following links, filling and sending forms, ticking boxes,
// and using back and forward. Every page comes from data/demo as shipped.

#include <string>
#include <vector>

#include "integration/navigator_fixture.h"

namespace talor::server {
namespace {

using Mfns = std::vector<std::string>;

class DemoWalkTest : public NavigatorTest {
 protected:
  // The hits of a result page: the values of its selection boxes, in order.
  Mfns Hits() {
    Mfns hits;
    for (ElementHandle box : Boxes()) hits.push_back(view_.Value(box));
    return hits;
  }
  Mfns Ticked() {
    Mfns ticked;
    for (ElementHandle box : Boxes()) {
      if (view_.Checked(box)) ticked.push_back(view_.Value(box));
    }
    return ticked;
  }
  std::vector<ElementHandle> Boxes() {
    std::vector<ElementHandle> boxes;
    for (ElementHandle input : view_.ElementsByTag("INPUT")) {
      if (view_.Type(input) == "checkbox" && view_.Name(input) == "SEL") boxes.push_back(input);
    }
    return boxes;
  }
  void Tick(const std::string& mfn) {
    for (ElementHandle box : Boxes()) {
      if (view_.Value(box) == mfn) {
        view_.SetChecked(box, true);
        return;
      }
    }
    ADD_FAILURE() << "no box for " << mfn;
  }

  // Fills the named controls of the form that holds `firstControl` and sends it.
  void SendForm(const std::vector<std::pair<std::string, std::string>>& values) {
    std::vector<ElementHandle> forms = view_.Forms();
    for (ElementHandle form : forms) {
      const std::string inner = view_.InnerHtml(form);
      if (inner.find("name=\"" + values.front().first + "\"") == std::string::npos) continue;
      for (const auto& [name, value] : values) Fill(name, value);
      view_.Submit(form);
      Settle();
      return;
    }
    ADD_FAILURE() << "no form with " << values.front().first;
  }
  void Fill(const std::string& name, const std::string& value) {
    for (std::string_view tag : {"INPUT", "SELECT", "TEXTAREA"}) {
      for (ElementHandle control : view_.ElementsByTag(tag)) {
        if (view_.Name(control) == name) {
          view_.SetValue(control, value);
          return;
        }
      }
    }
    ADD_FAILURE() << "no control " << name;
  }

  bool Shows(std::string_view text) { return view_.DocumentHtml().find(text) != std::string::npos; }
};

TEST_F(DemoWalkTest, SearchSelectListFullTextAndBackAndForward) {
  // The start page the server names, then the extended search.
  Open(core_->TakeFirstPage().url);
  EXPECT_EQ(State().CurrentURL, "TALOR:3,1,DEMO,index.html");
  ClickFirst("TALOR:3,2,DEMO,index.html");
  EXPECT_EQ(State().CurrentURL, "TALOR:3,2,DEMO,index.html");

  // Two search fields sent as a multipart form.
  SendForm({{"3S21STR", "история"}, {"4S21STR", "русская литература"}, {"S21CNR", "5"}});
  EXPECT_EQ(Hits(), (Mfns{"54", "82", "212", "227", "231"}));
  // The readable query names both fields (its words are marked as found).
  EXPECT_TRUE(Shows("Ключевые слова:"));
  EXPECT_TRUE(Shows("Рубрика:"));
  Tick("54");
  Tick("82");

  // The next portion numbers on; one more record is selected there.
  ClickFirst("S21STN=6");
  EXPECT_EQ(Hits(), (Mfns{"274", "287"}));
  EXPECT_EQ(State().SelectedList.size(), 2u);
  Tick("274");

  // Refining keeps the previous search and shows the selection ticked.
  SendForm({{"RS21STR", "война"}});
  EXPECT_EQ(Hits(), (Mfns{"82", "231", "274", "287"}));
  EXPECT_EQ(Ticked(), (Mfns{"82", "274"}));
  EXPECT_TRUE(Shows("Уточняемый запрос:"));

  // The selected records, then their list.
  ClickFirst("CHECKPFT=selmfn");
  EXPECT_EQ(Hits(), (Mfns{"54", "82", "274"}));
  EXPECT_EQ(Ticked(), Hits());
  Open("TALOR:5,,DEMO,sellist?TOPPFTNAME=listtop&BOTTOMPFTNAME=listbottom&CHECKNAME=SEL");
  EXPECT_EQ(Ticked(), (Mfns{"54", "82", "274"}));

  // The dictionary of authors: next portion and previous portion.
  ClickFirst("TALOR:4,,DEMO,terms");
  const std::string firstTerms = view_.DocumentHtml();
  EXPECT_TRUE(Shows("AUSTEN"));
  ClickFirst("T21NEXT=1");
  EXPECT_FALSE(Shows("AUSTEN"));
  EXPECT_TRUE(Shows("СТЕПАНОВА"));
  ClickFirst("T21PREV=1");
  EXPECT_TRUE(Shows("AUSTEN"));
  EXPECT_FALSE(Shows("СТЕПАНОВА"));

  // Full text with marked words, then similar documents of the first hit.
  Open("TALOR:3,2,DEMO,fulltext.html");
  SendForm({{"S21STR", "войны история"}});
  EXPECT_EQ(Hits(), (Mfns{"231", "82", "274", "287"}));
  EXPECT_TRUE(Shows("<font color=\"red\">"));
  const std::string fullTextUrl = State().CurrentURL;
  ClickFirst("S21STR=%40231");
  EXPECT_EQ(Hits(), (Mfns{"231", "82"}));
  const std::string similarUrl = State().CurrentURL;

  // Back and forward bring the pages back with the selection still ticked.
  Nav().Back();
  Settle();
  EXPECT_EQ(State().CurrentURL, fullTextUrl);
  EXPECT_EQ(Ticked(), (Mfns{"82", "274"}));
  Nav().Forward();
  Settle();
  EXPECT_EQ(State().CurrentURL, similarUrl);
  EXPECT_EQ(Ticked(), (Mfns{"82"}));
  EXPECT_EQ(State().SelectedList.size(), 3u);
  EXPECT_TRUE(ui_.messages().empty());
}

// Every page that the demo links to renders without an error and without
// markers left for the navigator.
TEST_F(DemoWalkTest, EveryDemoPageRenders) {
  const std::vector<std::string> pages = {
      "TALOR:3,1,DEMO,index.html",
      "TALOR:3,2,DEMO,index.html",
      "TALOR:3,2,DEMO,fulltext.html",
      "TALOR:3,2,SERIALS,index.html",
      "TALOR:3,2,DEMO,entry.html",
      "TALOR:1,,DEMO,entry,@82?TOPPFTNAME=rectop&BOTTOMPFTNAME=recbottom",
      "TALOR:1,,DEMO,entry?ENTRY_MFN=0&TOPPFTNAME=rectop&BOTTOMPFTNAME=recbottom",
      "TALOR:3,0,,Talor_Navigator_Help0.html",
      "TALOR:2,,DEMO,brief?S21STN=1&S21CNR=10&CHECKNAME=SEL&TOPPFTNAME=browsetop&"
      "BOTTOMPFTNAME=browsebottom",
      "TALOR:5,,DEMO,dblist?LISTNAME=databases.mnu&PATH=0&TOPPFTNAME=listtop&"
      "BOTTOMPFTNAME=listbottom",
      "TALOR:5,,DEMO,loclist?LISTNAME=location.mnu&PATH=10&TOPPFTNAME=listtop&"
      "BOTTOMPFTNAME=listbottom",
      "TALOR:2,,SERIALS,brief?S21STN=1&S21CNR=20&TOPPFTNAME=restop&BOTTOMPFTNAME=resbottom",
      "TALOR:1,,SERIALS,full,@3?TOPPFTNAME=rectop&BOTTOMPFTNAME=recbottom",
      "TALOR:1,,DEMO,full,@154?TOPPFTNAME=rectop&BOTTOMPFTNAME=recbottom",
      "TALOR:1,,DEMO,full,@82?TOPPFTNAME=rectop&BOTTOMPFTNAME=recbottom&CHECKNAME=SEL&"
      "S21ALLTRM=%D0%92%D0%9E%D0%99%D0%9D%D0%90%7C%D0%9C%D0%98%D0%A0",
  };
  for (const std::string& page : pages) {
    SCOPED_TRACE(page);
    const std::string html = Open(page);
    EXPECT_EQ(State().CurrentURL, page);
    EXPECT_EQ(html.find("<TALOR"), std::string::npos);
    EXPECT_EQ(html.find("talor-error"), std::string::npos);
    for (ElementHandle image : view_.ElementsByTag("IMG")) {
      const std::string source = view_.Attribute(image, "src").value_or("");
      EXPECT_FALSE(IsPseudoUrl(source)) << source;
    }
  }
  EXPECT_TRUE(ui_.messages().empty());
  // The record page drew the barcodes of its inventory numbers.
  EXPECT_TRUE(std::filesystem::exists(workDir_ + "@TALOR_barcode_10000820.bmp"));
}

}  // namespace
}  // namespace talor::server
