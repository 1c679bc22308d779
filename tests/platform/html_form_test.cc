// A reader's actions on the headless page view: clicks and form submission
// built as a browser builds it.

#include "platform/html_form.h"

#include <gtest/gtest.h>

#include "page_view_fixture.h"
#include "platform/html_page_view.h"

namespace talor {
namespace {

constexpr std::string_view kSearchForm =
    "<form action=\"TALOR:?C21COM=S&amp;I21DBN=DEMO#hits\" method=GET target=results>"
    "<input type=hidden name=C21COM value=S>"
    "<input name=S21STR value=\"война и мир\">"
    "<input type=checkbox name=SEL1 value=\"DEMO,5\" checked>"
    "<input type=checkbox name=SEL2 value=\"DEMO,6\">"
    "<input type=checkbox name=FLAG checked>"
    "<input type=radio name=R value=a><input type=radio name=R value=b checked>"
    "<input name=off value=x disabled>"
    "<fieldset disabled><input name=inside value=y></fieldset>"
    "<input value=nameless>"
    "<select name=SORT><option value=1>по автору<option value=2 selected>по заглавию</select>"
    "<select name=KIND><option disabled>-<option>книги</option></select>"
    "<textarea name=NOTE>a+b &amp; c\nd</textarea>"
    "<input type=submit name=GO value=\"Искать\"><input type=submit name=OTHER value=no>"
    "<input type=reset name=RS><input type=button name=B value=b><input type=file name=F>"
    "</form>";

constexpr std::string_view kSearchData =
    "C21COM=S&S21STR=%D0%B2%D0%BE%D0%B9%D0%BD%D0%B0+%D0%B8+%D0%BC%D0%B8%D1%80&SEL1=DEMO%2C5"
    "&FLAG=on&R=b&SORT=2&KIND=%D0%BA%D0%BD%D0%B8%D0%B3%D0%B8&NOTE=a%2Bb+%26+c%0D%0Ad";

constexpr std::string_view kGoPressed = "&GO=%D0%98%D1%81%D0%BA%D0%B0%D1%82%D1%8C";

class FormTest : public PageViewTest {
 protected:
  FormTest() {
    onBeforeNavigate_ = [](BeforeNavigateEvent& event) { event.cancel = true; };
  }

  ElementHandle Input(std::string_view name) {
    for (ElementHandle input : view_.ElementsByTag("INPUT")) {
      if (view_.Name(input) == name) return input;
    }
    return 0;
  }
};

TEST_F(FormTest, GetReplacesTheActionsQueryWithTheFormData) {
  Show(kSearchForm);
  ASSERT_TRUE(view_.Submit(First("FORM")));
  EXPECT_EQ(lastEvent_.url, "TALOR:?" + std::string(kSearchData) + "#hits");
  EXPECT_EQ(lastEvent_.postData, "");
  EXPECT_EQ(lastEvent_.targetFrame, "results");
  EXPECT_FALSE(view_.Busy());  // the handler cancelled it

  ASSERT_TRUE(view_.Submit(First("FORM"), Input("GO")));
  EXPECT_EQ(lastEvent_.url,
            "TALOR:?" + std::string(kSearchData) + std::string(kGoPressed) + "#hits");
}

TEST_F(FormTest, ClickingASubmitButtonSubmitsItsForm) {
  Show(kSearchForm);
  view_.Click(Input("GO"));
  EXPECT_EQ(lastEvent_.url,
            "TALOR:?" + std::string(kSearchData) + std::string(kGoPressed) + "#hits");
}

TEST_F(FormTest, MultipartPostWritesOnePartPerField) {
  Show(
      "<form action=\"TALOR:\" method=post enctype=\"Multipart/Form-Data\">"
      "<input type=hidden name=C21COM value=S>"
      "<input name=S21STR value=\"Пушкин\">"
      "<input type=checkbox name=SEL1 value=\"DEMO,5\" checked>"
      "<input type=checkbox name=SEL2 value=\"DEMO,6\">"
      "<input name='a\"b' value=\"\">"
      "</form>");
  ASSERT_TRUE(view_.Submit(First("FORM")));
  const std::string prefix = "Content-Type: multipart/form-data; boundary=";
  ASSERT_EQ(lastEvent_.headers.rfind(prefix, 0), 0u) << lastEvent_.headers;
  std::string boundary = lastEvent_.headers.substr(prefix.size());
  ASSERT_EQ(boundary.substr(boundary.size() - 2), "\r\n");
  boundary.resize(boundary.size() - 2);
  EXPECT_EQ(boundary.size(), 40u);
  EXPECT_EQ(boundary.rfind(std::string(27, '-') + "7e8", 0), 0u);

  auto part = [&](std::string_view name, std::string_view value) {
    return "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + std::string(name) +
           "\"\r\n\r\n" + std::string(value) + "\r\n";
  };
  EXPECT_EQ(lastEvent_.postData, part("C21COM", "S") + part("S21STR", "Пушкин") +
                                     part("SEL1", "DEMO,5") + part("a%22b", "") + "--" + boundary +
                                     "--\r\n");
  EXPECT_EQ(lastEvent_.url, "TALOR:");
}

TEST_F(FormTest, PostWithoutMultipartSendsUrlencodedData) {
  Show(
      "<form action=\"TALOR:?C21COM=S\" method=POST>"
      "<input name=S21STR value=\"война и мир\"><input type=checkbox name=SEL1 checked>"
      "<button name=ALT value=2 formaction=\"TALOR:?C21COM=T\">Другое</button>"
      "</form>");
  ASSERT_TRUE(view_.Submit(First("FORM")));
  EXPECT_EQ(lastEvent_.url, "TALOR:?C21COM=S");
  EXPECT_EQ(lastEvent_.postData,
            "S21STR=%D0%B2%D0%BE%D0%B9%D0%BD%D0%B0+%D0%B8+%D0%BC%D0%B8%D1%80&SEL1=on");
  EXPECT_EQ(lastEvent_.headers, "Content-Type: application/x-www-form-urlencoded\r\n");

  // The button's own action wins, and its name and value are sent.
  view_.Click(First("BUTTON"));
  EXPECT_EQ(lastEvent_.url, "TALOR:?C21COM=T");
  EXPECT_EQ(lastEvent_.postData,
            "S21STR=%D0%B2%D0%BE%D0%B9%D0%BD%D0%B0+%D0%B8+%D0%BC%D0%B8%D1%80&SEL1=on&ALT=2");
}

TEST_F(FormTest, FilledFormIsSubmittedWithTheNewValues) {
  Show(kSearchForm);
  ASSERT_TRUE(view_.SetValue(Input("S21STR"), "Толстой & Ко"));
  ASSERT_TRUE(view_.SetValue(First("TEXTAREA"), ""));
  ASSERT_TRUE(view_.SetValue(First("SELECT"), "1"));
  EXPECT_FALSE(view_.SetValue(First("SELECT"), "9"));  // no such option: kept
  EXPECT_FALSE(view_.SetValue(First("FORM"), "x"));
  view_.Click(Input("SEL1"));                    // unchecks
  view_.Click(Input("SEL2"));                    // checks
  view_.Click(view_.ElementsByTag("INPUT")[5]);  // radio R=a
  ASSERT_TRUE(view_.Submit(view_.Forms().at(0)));
  EXPECT_EQ(lastEvent_.url,
            "TALOR:?C21COM=S&S21STR=%D0%A2%D0%BE%D0%BB%D1%81%D1%82%D0%BE%D0%B9+%26+%D0%9A%D0%BE"
            "&SEL2=DEMO%2C6&FLAG=on&R=a&SORT=1&KIND=%D0%BA%D0%BD%D0%B8%D0%B3%D0%B8&NOTE=#hits");
}

TEST_F(FormTest, SubmitNeedsALiveForm) {
  Show("<form id=f><input name=a value=1></form><p>x</p>");
  ElementHandle form = First("FORM");
  EXPECT_FALSE(view_.Submit(First("P")));
  EXPECT_FALSE(view_.Submit(0));
  Show("<p>new page</p>");
  EXPECT_FALSE(view_.Submit(form));
  EXPECT_TRUE(log_.empty());
}

TEST_F(FormTest, EmptyActionSubmitsToThePageItself) {
  ScratchDir dir;
  onBeforeNavigate_ = nullptr;
  Load("file://" + dir.Write("search.html", "<form><input name=q value=1></form>"));
  onBeforeNavigate_ = [](BeforeNavigateEvent& event) { event.cancel = true; };
  ASSERT_TRUE(view_.Submit(First("FORM")));
  EXPECT_EQ(lastEvent_.url, "file://" + dir.path() + "/search.html?q=1");
}

TEST_F(FormTest, ClickingALinkNavigatesToItsResolvedAddress) {
  ScratchDir dir;
  onBeforeNavigate_ = nullptr;
  Load("file://" + dir.Write("index.html",
                             "<a href=\"sub/../pages/b.html#part\" target=main>b</a>"
                             "<a href=\"TALOR:1,,DEMO,,K=война^мир\"><img src=cover.gif></a>"
                             "<a name=anchor>no link</a>"));
  onBeforeNavigate_ = [](BeforeNavigateEvent& event) { event.cancel = true; };
  view_.Click(First("A"));
  EXPECT_EQ(lastEvent_.url, "file://" + dir.path() + "/pages/b.html#part");
  EXPECT_EQ(lastEvent_.targetFrame, "main");
  view_.Click(First("IMG"));
  EXPECT_EQ(lastEvent_.url, "TALOR:1,,DEMO,,K=война^мир");
  EXPECT_EQ(lastEvent_.targetFrame, "");
  log_.clear();
  view_.Click(view_.ElementsByTag("A")[2]);
  EXPECT_TRUE(log_.empty());
}

TEST(FormEncodingTest, UrlencodingKeepsOnlyTheUnreservedCharacters) {
  std::vector<FormField> fields = {{"a b", "*-._~!'()+&=%\r\x01"}, {"ё", ""}};
  EXPECT_EQ(EncodeFormUrlencoded(fields), "a+b=*-._%7E%21%27%28%29%2B%26%3D%25%0D%0A%01&%D1%91=");
  EXPECT_EQ(EncodeFormUrlencoded({}), "");
}

TEST(FormEncodingTest, BoundaryNeverOccursInTheData) {
  std::string taken = MakeFormBoundary({}, 0x1234);
  EXPECT_EQ(taken, std::string(27, '-') + "7e80000001234");
  std::vector<FormField> fields = {{"x", "text " + taken + " text"}};
  std::string boundary = MakeFormBoundary(fields, 0x1234);
  EXPECT_NE(boundary, taken);
  EXPECT_EQ(fields[0].value.find(boundary), std::string::npos);
  EXPECT_EQ(EncodeFormMultipart(fields, boundary),
            "--" + boundary + "\r\nContent-Disposition: form-data; name=\"x\"\r\n\r\ntext " +
                taken + " text\r\n--" + boundary + "--\r\n");
}

}  // namespace
}  // namespace talor
