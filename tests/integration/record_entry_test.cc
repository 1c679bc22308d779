// Record entry and correction (command 6) against a real talor-server with
// the demo catalogue: the demo's entry forms filled and sent as a librarian
// sends them, the record as the server then stores it, the messages, and
// the record page that the follow-up opens.

#include <string>
#include <utility>
#include <vector>

#include "client/record.h"
#include "integration/navigator_fixture.h"
#include "text/number_text.h"

namespace talor::server {
namespace {

constexpr std::string_view kStored = "Ввод/Корректировка выполнена успешно - MFN=";
constexpr std::string_view kCheckCaption = "Ошибка ФЛК";

using Fields = std::vector<std::pair<int32_t, std::string>>;

class RecordEntryTest : public NavigatorTest {
 protected:
  CommandSet& Commands() { return core_->commands(); }

  StringList Read(int32_t mfn) {
    StringList record;
    EXPECT_EQ(Commands().ReadRecord("DEMO", mfn, false, record), ExchangeResult::Good);
    return record;
  }
  static Fields FieldsOf(const StringList& record) {
    Fields fields;
    for (int field = 1; field <= RecordFieldCount(record); ++field) {
      fields.emplace_back(RecordFieldTag(record, field), RecordFieldText(record, field, ""));
    }
    return fields;
  }
  static std::vector<std::string> Values(const StringList& record, int32_t tag) {
    std::vector<std::string> values;
    for (const auto& [fieldTag, value] : FieldsOf(record)) {
      if (fieldTag == tag) values.push_back(value);
    }
    return values;
  }
  int32_t NextMfn() {
    StringList answer;
    EXPECT_EQ(Commands().ReadMaxMfn("DEMO", answer), ExchangeResult::Good);
    return answer.empty() ? -1 : DecimalToInt(answer[0].text, -1);
  }
  // The number of hits of a search expression.
  int32_t Hits(const std::string& expression) {
    StringList answer;
    EXPECT_EQ(Commands().Search("DEMO", expression, 1, answer, "", 1), ExchangeResult::Good);
    return answer.size() < 2 ? -1 : DecimalToInt(answer[1].text, -1);
  }

  // Sets the named controls and sends the form whose inner HTML holds `part`.
  void SendForm(std::string_view part,
                const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [name, value] : values) {
      bool found = false;
      for (ElementHandle input : view_.ElementsByTag("INPUT")) {
        if (view_.Name(input) != name) continue;
        view_.SetValue(input, value);
        found = true;
        break;
      }
      EXPECT_TRUE(found) << "no input " << name;
    }
    for (ElementHandle form : view_.Forms()) {
      if (view_.InnerHtml(form).find(part) == std::string::npos) continue;
      view_.Submit(form);
      Settle();
      return;
    }
    ADD_FAILURE() << "no form with " << part;
  }
  // The value of the page's input `name`, or "<none>".
  std::string InputValue(std::string_view name) {
    for (ElementHandle input : view_.ElementsByTag("INPUT")) {
      if (view_.Name(input) == name) return view_.Value(input);
    }
    return "<none>";
  }

  std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const MessageBoxRequest& box : ui_.messages()) texts.push_back(box.text);
    return texts;
  }
  bool Shows(std::string_view text) { return view_.DocumentHtml().find(text) != std::string::npos; }
};

TEST_F(RecordEntryTest, NewRecordIsStoredAndShown) {
  const int32_t mfn = NextMfn();
  Open("TALOR:3,1,DEMO,index.html");
  ClickFirst("TALOR:3,2,DEMO,entry.html");
  SendForm("name=\"200R21STR\"", {{"200R21STR", "^AПовести Белкина^Eсборник"},
                                  {"700R21STR", "^AПушкин^BА. С."},
                                  {"210R21STR", "^AСанкт-Петербург^CТипография^D1831"},
                                  {"610R21STR", "повести%%дуэль"}});

  ASSERT_EQ(ui_.messages().size(), 1u) << testing::PrintToString(Texts());
  EXPECT_EQ(ui_.messages()[0].text, std::string(kStored) + std::to_string(mfn));
  EXPECT_EQ(ui_.messages()[0].icon, MessageIcon::Information);
  EXPECT_EQ(ui_.messages()[0].caption, "");

  const StringList record = Read(mfn);
  EXPECT_EQ(FieldsOf(record), (Fields{{200, "^AПовести Белкина^Eсборник"},
                                      {700, "^AПушкин^BА. С."},
                                      {210, "^AСанкт-Петербург^CТипография^D1831"},
                                      {101, "rus"},
                                      {610, "повести"},
                                      {610, "дуэль"}}));
  // The dictionary was updated at once.
  EXPECT_EQ(Hits("\"KW=ДУЭЛЬ\""), 1);

  // The follow-up shows the record with command 1, in the form's format and frame.
  EXPECT_EQ(State().CurrentURL,
            "TALOR:?RELOAD=&C21COM=1&I21DBN=DEMO&PFTNAME=full&ENTRY_MFN=" + std::to_string(mfn) +
                "&TOPPFTNAME=rectop&BOTTOMPFTNAME=recbottom&PRINTCOM=&"
                "FREEPAR0=%D0%9D%D0%BE%D0%B2%D0%B0%D1%8F%20%D0%B7%D0%B0%D0%BF%D0%B8%D1%81%D1%8C");
  EXPECT_TRUE(Shows("<h1>Новая запись</h1>"));
  EXPECT_TRUE(Shows("Повести Белкина"));
  // The entry itself adds no page to the stack: back leads to the form.
  ASSERT_GE(State().visits.size(), 2u);
  EXPECT_EQ(State().visits[State().VisitIndex - 1].url, "TALOR:3,2,DEMO,entry.html");
}

TEST_F(RecordEntryTest, CorrectionChangesOnlyTheFormsFields) {
  StringList before = Read(82);
  const int titleField = RecordFindField(before, 200, 1);
  const int keywordField = RecordFindField(before, 610, 1);
  ASSERT_GT(titleField, 0);
  ASSERT_GT(keywordField, 0);
  const std::string keywordInput = "610_" + std::to_string(keywordField) + "R21STR";
  const std::string firstKeyword = RecordFieldText(before, keywordField, "");

  // The correction form of the full record page, with one input per field.
  Open("TALOR:1,,DEMO,full,@82?TOPPFTNAME=rectop&BOTTOMPFTNAME=recbottom");
  ClickFirst("TALOR:1,,DEMO,entry,@82");
  const std::string titleInput = "200_" + std::to_string(titleField) + "R21STR";
  EXPECT_EQ(InputValue(titleInput), RecordFieldText(before, titleField, ""));
  EXPECT_EQ(InputValue(keywordInput), firstKeyword);
  EXPECT_EQ(InputValue("R21UPD"), "1");

  SendForm("name=\"R21UPD\"", {{titleInput, "^AВойна и мир^Eроман в четырёх томах"},
                               {keywordInput, ""},
                               {"610R21STR", "эпопея%Бородино"}});
  ASSERT_EQ(Texts(), std::vector<std::string>{std::string(kStored) + "82"});

  StringList after = Read(82);
  EXPECT_EQ(RecordFieldText(after, titleField, ""), "^AВойна и мир^Eроман в четырёх томах");
  std::vector<std::string> keywords = Values(before, 610);
  keywords.erase(keywords.begin());
  keywords.push_back("эпопея");
  keywords.push_back("Бородино");
  EXPECT_EQ(Values(after, 610), keywords);
  // Fields the form does not show (the images of 951 and 953) are kept.
  for (int32_t tag : {951, 953, 910, 700})
    EXPECT_EQ(Values(after, tag), Values(before, tag)) << tag;
  EXPECT_EQ(DecimalToInt(after[2].text, 0), DecimalToInt(before[2].text, 0) + 1);

  EXPECT_TRUE(Shows("роман в четырёх томах"));
  EXPECT_NE(State().CurrentURL.find("ENTRY_MFN=82&"), std::string::npos) << State().CurrentURL;
}

TEST_F(RecordEntryTest, NegativeMfnDeletesAndCorrectionRestores) {
  const StringList before = Read(15);
  const std::string term =
      "\"I=" + RecordFieldText(before, RecordFindField(before, 10, 1), "a") + "\"";
  ASSERT_EQ(Hits(term), 1);

  Open("TALOR:6,,DEMO,full?ENTRY_MFN=-15&TOPPFTNAME=rectop&BOTTOMPFTNAME=recbottom");
  EXPECT_EQ(Texts(), std::vector<std::string>{std::string(kStored) + "15"});
  const StringList deleted = Read(15);
  EXPECT_TRUE(RecordIsDeleted(deleted));
  EXPECT_EQ(FieldsOf(deleted), FieldsOf(before));
  EXPECT_EQ(Hits(term), 0);
  // The record page of the follow-up says so.
  EXPECT_NE(State().CurrentURL.find("ENTRY_MFN=15&"), std::string::npos) << State().CurrentURL;
  EXPECT_TRUE(Shows("Запись удалена"));

  // Saving the record again, here without any change, restores it.
  Open("TALOR:6,,DEMO,full?ENTRY_MFN=15&R21UPD=1&ENTRY_MESSAGE=!&ENTRY_AFTERACTION=0");
  EXPECT_EQ(ui_.messages().size(), 1u);
  EXPECT_FALSE(RecordIsDeleted(Read(15)));
  EXPECT_EQ(Hits(term), 1);
}

TEST_F(RecordEntryTest, DeleteFormAndEmptiedFormDelete) {
  Open("TALOR:1,,DEMO,entry,@54?TOPPFTNAME=rectop&BOTTOMPFTNAME=recbottom");
  SendForm("value=\"-54\"", {});
  EXPECT_EQ(Texts(), std::vector<std::string>{"Запись № 54 удалена"});
  EXPECT_TRUE(RecordIsDeleted(Read(54)));
  EXPECT_TRUE(Shows("<h1>Удалённая запись</h1>"));

  // A form emptied of every field deletes the record with its fields as stored.
  const StringList before = Read(20);
  Open("TALOR:6,,DEMO,full?ENTRY_MFN=20&ENTRY_AFTERACTION=0&200R21STR=");
  EXPECT_EQ(ui_.messages().back().text, std::string(kStored) + "20");
  const StringList deleted = Read(20);
  EXPECT_TRUE(RecordIsDeleted(deleted));
  EXPECT_EQ(FieldsOf(deleted), FieldsOf(before));
}

TEST_F(RecordEntryTest, CheckFormatBlocksOrWarns) {
  const int32_t mfn = NextMfn();
  Open("TALOR:3,2,DEMO,entry.html");
  SendForm("name=\"200R21STR\"", {{"200R21STR", "^EБез заглавия"}, {"210R21STR", "^D2001"}});
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].caption, kCheckCaption);
  EXPECT_EQ(ui_.messages()[0].text,
            "Не заполнено заглавие (поле 200, подполе ^A) . Команда не выполнена");
  EXPECT_EQ(ui_.messages()[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(NextMfn(), mfn);
  // Nothing follows: the form stays with what was typed.
  EXPECT_EQ(InputValue("200R21STR"), "^EБез заглавия");

  // A missing year only warns.
  SendForm("name=\"200R21STR\"", {{"200R21STR", "^AБез года"}, {"210R21STR", "^AМосква"}});
  ASSERT_EQ(ui_.messages().size(), 3u);
  EXPECT_EQ(ui_.messages()[1].caption, kCheckCaption);
  EXPECT_EQ(ui_.messages()[1].text, "Не указан год издания (поле 210, подполе ^D) ");
  EXPECT_EQ(ui_.messages()[2].text, std::string(kStored) + std::to_string(mfn));
  EXPECT_EQ(Values(Read(mfn), 200), std::vector<std::string>{"^AБез года"});
}

TEST_F(RecordEntryTest, NothingIsWrittenWhenTheCheckFailsOrTheFormIsEmpty) {
  // A check format that does not run has not passed.
  WriteServerFile("db/DEMO/broken.pft", "/* no THEN */\r\nif p(v200) '1x' fi");
  const StringList before = Read(82);
  Open("TALOR:6,,DEMO,full?ENTRY_MFN=82&R21UPD=1&ENTRY_DBNFLC=broken&610R21STR=x");
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].caption, kCheckCaption);
  EXPECT_NE(ui_.messages()[0].text.find("«broken»"), std::string::npos) << ui_.messages()[0].text;
  EXPECT_EQ(Read(82), before);

  // A new record without a field takes no MFN.
  const int32_t mfn = NextMfn();
  Open("TALOR:6,,DEMO,full?ENTRY_MFN=0&200R21STR=&610R21STR=%25");
  ASSERT_EQ(ui_.messages().size(), 2u);
  EXPECT_EQ(ui_.messages()[1].icon, MessageIcon::Exclamation);
  EXPECT_EQ(NextMfn(), mfn);
}

TEST_F(RecordEntryTest, ServerRefusalsAreReportedWithTheirCode) {
  // No such record: the code, then the page of that MFN.
  Open("TALOR:6,,DEMO,full?ENTRY_MFN=9999&R21UPD=1&610R21STR=x");
  EXPECT_EQ(Texts(), std::vector<std::string>{"Ошибка: -605"});
  EXPECT_EQ(ui_.messages()[0].icon, MessageIcon::Exclamation);

  // A reader may not write.
  StringList answer;
  ASSERT_EQ(
      Commands().RegisterAt("127.0.0.1", std::to_string(Port()), "R", answer, "reader", "reader"),
      ExchangeResult::Good);
  const int32_t mfn = NextMfn();
  Open("TALOR:6,,DEMO,full?ENTRY_MFN=0&200R21STR=%5EAX");
  EXPECT_EQ(ui_.messages().back().text, "Ошибка: -3336");
  EXPECT_EQ(NextMfn(), mfn);
  // A refused correction shows the record as stored.
  Open("TALOR:6,,DEMO,full?ENTRY_MFN=82&R21UPD=1&610R21STR=x");
  EXPECT_EQ(ui_.messages().back().text, "Ошибка: -3336");
  EXPECT_NE(State().CurrentURL.find("C21COM=1&I21DBN=DEMO&PFTNAME=full&ENTRY_MFN=82&"),
            std::string::npos)
      << State().CurrentURL;
  EXPECT_TRUE(Shows("Война и мир"));
}

}  // namespace
}  // namespace talor::server
