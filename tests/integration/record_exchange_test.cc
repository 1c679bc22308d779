// Export (command 7) and import or copy (command 8) against a real
// talor-server with the demo catalogue: the files written as an independent
// ISO 2709 reader sees them, the records stored from files, the messages,
// and the files that records name.

#include <httplib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "barcode/run_program.h"
#include "client/exchange_file.h"
#include "client/record.h"
#include "integration/navigator_fixture.h"
#include "text/number_text.h"
#include "text/url_coding.h"

namespace talor::server {
namespace {

using Fields = std::vector<std::pair<int32_t, std::string>>;

constexpr std::string_view kExported = "Экспортировано документов - ";

Fields FieldsOf(const StringList& record) {
  Fields fields;
  for (int field = 1; field <= RecordFieldCount(record); ++field) {
    fields.emplace_back(RecordFieldTag(record, field), RecordFieldText(record, field, ""));
  }
  return fields;
}

std::string FileBytes(const std::string& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

class RecordExchangeTest : public NavigatorTest {
 protected:
  CommandSet& Commands() { return core_->commands(); }
  std::string File(const std::string& name) { return workDir_ + name; }

  Fields Stored(const std::string& database, int32_t mfn) {
    StringList record;
    EXPECT_EQ(Commands().ReadRecord(database, mfn, false, record), ExchangeResult::Good);
    return FieldsOf(record);
  }
  int32_t Add(const std::string& database, const Fields& fields) {
    StringList record;
    RecordNew(record);
    for (const auto& [tag, value] : fields) record.Add(value, tag);
    StringList answer;
    EXPECT_EQ(Commands().WriteRecord(database, false, true, answer, record), ExchangeResult::Good);
    return RecordMfn(record);
  }
  int32_t NextMfn(const std::string& database) {
    StringList answer;
    EXPECT_EQ(Commands().ReadMaxMfn(database, answer), ExchangeResult::Good);
    return answer.empty() ? -1 : DecimalToInt(answer[0].text, -1);
  }

  // Runs the command of `url` with the file dialog answering `path`; the
  // texts of the message boxes it showed.
  std::vector<std::string> Run(const std::string& url, std::optional<std::string> path) {
    ui_.SetFileAnswer(std::move(path));
    const size_t before = ui_.messages().size();
    Open(url);
    std::vector<std::string> texts;
    for (size_t i = before; i < ui_.messages().size(); ++i) texts.push_back(ui_.messages()[i].text);
    return texts;
  }

  static std::vector<Fields> ReadExchangeFile(const std::string& path,
                                              const ExchangeFormat& format) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    EXPECT_NE(file, nullptr) << path;
    std::vector<Fields> records;
    if (file == nullptr) return records;
    ExchangeInput input(file);
    ExchangeFileReader reader(input, format);
    StringList record;
    while (reader.Next(record) == ExchangeFileReader::Status::Record) {
      records.push_back(FieldsOf(record));
    }
    EXPECT_TRUE(reader.TakeIssues().empty());
    std::fclose(file);
    return records;
  }
  std::vector<Fields> StoredList(const std::string& database, const std::vector<int32_t>& mfns) {
    std::vector<Fields> records;
    for (int32_t mfn : mfns) records.push_back(Stored(database, mfn));
    return records;
  }
};

TEST_F(RecordExchangeTest, ExportsTheRangeTheHitsInRangeOrTheSelection) {
  const ExchangeFormat text{ExchangeForm::Text, ExchangeCode::Utf8};
  const std::string path = File("out.txt");

  // One bound alone names one record.
  EXPECT_EQ(std::vector<std::string>{std::string(kExported) + "1"},
            Run("TALOR:7,,DEMO?EXPORT_FROMMFN=5&EXP21FMT=txt", path));
  EXPECT_EQ(StoredList("DEMO", {5}), ReadExchangeFile(path, text));

  // Every record has its term MFN=<mfn>: the hits of MFN=$ from 3 to 10.
  const std::string all = "&S21ALL=" + UrlEncode("\"MFN=$\"");
  EXPECT_EQ(std::vector<std::string>{std::string(kExported) + "8"},
            Run("TALOR:7,,DEMO?EXPORT_FROMMFN=3&EXPORT_TOMFN=10&EXP21FMT=TXT" + all, path));
  EXPECT_EQ(StoredList("DEMO", {3, 4, 5, 6, 7, 8, 9, 10}), ReadExchangeFile(path, text));

  // MFN=1$ hits 1, 10-19, 100-199; a lone upper bound is both bounds.
  const std::string ones = "&S21ALL=" + UrlEncode("\"MFN=1$\"");
  Run("TALOR:7,,DEMO?EXPORT_TOMFN=10&EXP21FMT=TXT" + ones, path);
  EXPECT_EQ(StoredList("DEMO", {10}), ReadExchangeFile(path, text));

  // Without range and expression, the selection's entries that are MFNs.
  State().SelectedList = StringList{{"12"}, {"x"}, {"7"}};
  Run("TALOR:7,,DEMO?EXP21FMT=TXT", path);
  EXPECT_EQ(StoredList("DEMO", {12, 7}), ReadExchangeFile(path, text));

  // Nothing to export, or a cancelled dialog: no message and no file.
  State().SelectedList = StringList();
  std::filesystem::remove(path);
  const size_t dialogs = ui_.fileDialogs().size();
  EXPECT_TRUE(Run("TALOR:7,,DEMO?EXP21FMT=TXT", path).empty());
  EXPECT_EQ(dialogs, ui_.fileDialogs().size());
  EXPECT_TRUE(Run("TALOR:7,,DEMO?EXPORT_FROMMFN=5", std::nullopt).empty());
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(std::filesystem::exists(File("out.ISO")));

  const FileDialogRequest& asked = ui_.fileDialogs().back();
  EXPECT_EQ("Файл для экспорта данных", asked.title);
  EXPECT_EQ("ISO-файлы|*.ISO", asked.filter);
  EXPECT_EQ(workDir_, asked.initialDirectory);
  EXPECT_TRUE(asked.overwritePrompt);
}

TEST_F(RecordExchangeTest, IsoFilesAreByteExactAndReadByAnIndependentReader) {
  const int32_t mfn = Add("DEMO", {{200, "^Aabc"}, {700, "^Ax"}});
  ASSERT_GT(mfn, 0);
  // A name without a point gets the form's extension.
  Run("TALOR:7,,DEMO?EXPORT_FROMMFN=" + std::to_string(mfn), File("example"));
  EXPECT_EQ(std::string("00060000002200049000450 200000600000700000400006\x1E"
                        "^Aabc\x1E^Ax\x1E\x1D"),
            FileBytes(File("example.ISO")));

  for (const char* code : {"UTF8", "WIN", "DOS"}) {
    const std::string path = File(std::string("range-") + code + ".iso");
    const std::vector<std::string> shown =
        Run("TALOR:7,,DEMO?EXPORT_FROMMFN=1&EXPORT_TOMFN=60&EXP21CODE=" + std::string(code), path);
    ASSERT_EQ(1u, shown.size());
    ASSERT_EQ(0u, shown[0].find(kExported)) << shown[0];
    const int exported = DecimalToInt(shown[0].substr(kExported.size()), 0);
    EXPECT_GT(exported, 50);
    talor::testing::ProgramResult dump =
        talor::testing::RunProgram({"/usr/bin/yaz-marcdump", path});
    EXPECT_EQ(0, dump.status) << dump.err;
    EXPECT_EQ(std::string::npos, dump.out.find("<!--")) << code;
    EXPECT_EQ(std::string::npos, dump.out.find("\n(")) << code;
    size_t leaders = 0;
    std::istringstream lines(dump.out);
    for (std::string line; std::getline(lines, line);) {
      if (line.size() == 24 && line.ends_with("450 ")) ++leaders;
    }
    EXPECT_EQ(static_cast<size_t>(exported), leaders) << code;
    // Back through the same code page, the records are the stored ones.
    const ExchangeCode exchangeCode = ExchangeCodeFromParameter(code);
    const std::vector<Fields> read = ReadExchangeFile(path, {ExchangeForm::Iso, exchangeCode});
    ASSERT_EQ(static_cast<size_t>(exported), read.size());
    EXPECT_EQ(Stored("DEMO", 1), read.front()) << code;
  }
}

TEST_F(RecordExchangeTest, FieldSelectionTablesRebuildRecordsBothWays) {
  WriteServerFile("db/DEMO/exptest.fst", "200 0 v200\r\n@exptail\r\n");
  WriteServerFile("db/DEMO/exptail.fst", "700 0 (v700/)\r\n999 0 '12345abc'\r\n");
  const int32_t mfn = Add("DEMO", {{200, "^AБесы^FФ. М. Достоевский"},
                                   {700, "^AДостоевский^BФ. М."},
                                   {700, "^AТолстой"},
                                   {910, "^A0^B777"}});
  const std::string path = File("table.iso");
  Run("TALOR:7,,DEMO?EXPORT_FROMMFN=" + std::to_string(mfn) + "&EXP21FST=exptest", path);
  const std::string bytes = FileBytes(path);
  const std::string length = bytes.substr(0, 5);
  EXPECT_EQ("12345", bytes.substr(5, 5));
  EXPECT_EQ("abc", bytes.substr(17, 3));
  EXPECT_EQ(std::string::npos, bytes.find("999"));
  EXPECT_EQ(std::string::npos, bytes.find('^'));
  EXPECT_NE(std::string::npos, bytes.find("\x1F"
                                          "AБесы\x1F"
                                          "FФ. М. Достоевский"));

  // Read back through a table: the leader is the first field, 1000, for the
  // table's formats, and the marks are `^` again.
  WriteServerFile("db/SERIALS/imptest.fst", "200 0 v200\r\n10 0 v1000.5\r\n");
  const int32_t next = NextMfn("SERIALS");
  Run("TALOR:8,,SERIALS?IMP21FST=imptest", path);
  EXPECT_EQ((Fields{{200, "^AБесы^FФ. М. Достоевский"}, {10, length}}), Stored("SERIALS", next));
}

TEST_F(RecordExchangeTest, ImportChecksEveryRecordAndReportsWhatItStored) {
  WriteServerFile("db/DEMO/impchk.pft",
                  "if v200^a:'Второй' then '1Второй экземпляр не нужен'/ fi,"
                  "if a(v700) then '2Нет автора'/ fi,");
  const std::string path = File("two.txt");
  std::ofstream(path, std::ios::binary)
      << "#200: ^AПервый\r\n#700: ^AАвтор\r\n*****\r\n#200: ^AВторой\r\n";
  const int32_t first = NextMfn("DEMO");
  const std::vector<std::string> shown =
      Run("TALOR:8,,DEMO,brief?IMP21FMT=TXT&ENTRY_DBNFLC=impchk", path);
  ASSERT_EQ(1u, shown.size());
  const std::string mfns =
      " с номерами(MFN) " + std::to_string(first) + " - " + std::to_string(first + 1);
  EXPECT_NE(std::string::npos,
            shown[0].find("MFN=" + std::to_string(first + 1) +
                          " Второй экземпляр не нужен Нет автора Запись логически удалена"))
      << shown[0];
  EXPECT_NE(std::string::npos, shown[0].find("В БД DEMO скопировано документов -2" + mfns))
      << shown[0];
  EXPECT_EQ("Внимание", ui_.messages().back().caption);
  EXPECT_EQ((Fields{{200, "^AПервый"}, {700, "^AАвтор"}}), Stored("DEMO", first));
  StringList second;
  ASSERT_EQ(Commands().ReadRecord("DEMO", first + 1, false, second), ExchangeResult::Good);
  EXPECT_TRUE(RecordIsDeleted(second));
  // The follow-up is the search page from the first stored record.
  EXPECT_NE(std::string::npos, State().CurrentURL.find("C21COM=2")) << State().CurrentURL;
  EXPECT_NE(std::string::npos, State().CurrentURL.find("=" + std::to_string(first)))
      << State().CurrentURL;
}

TEST_F(RecordExchangeTest, CopiesRecordsFromOneDatabaseToTheOtherThroughEveryCodePage) {
  State().SelectedList = StringList{{"5"}, {"6"}};
  for (const char* code : {"UTF8", "WIN", "DOS"}) {
    for (const char* form : {"TXT", "ISO"}) {
      const std::string path = File(std::string("copy-") + code + "." + form);
      Run("TALOR:7,,DEMO?EXP21FMT=" + std::string(form) + "&EXP21CODE=" + code, path);
      const int32_t first = NextMfn("SERIALS");
      const std::vector<std::string> shown =
          Run("TALOR:8,,SERIALS?IMP21FMT=" + std::string(form) + "&IMP21CODE=" + code, path);
      ASSERT_EQ(1u, shown.size());
      EXPECT_NE(std::string::npos, shown[0].find("скопировано документов -2")) << shown[0];
      EXPECT_EQ(StoredList("DEMO", {5, 6}), StoredList("SERIALS", {first, first + 1}))
          << code << " " << form;
    }
  }
}

TEST_F(RecordExchangeTest, FullTextFilesAreCopiedBesideTheExportFile) {
  httplib::Server web;
  web.Get("/docs/book.pdf", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("%PDF- a book", "application/pdf");
  });
  const int port = web.bind_to_any_port("127.0.0.1");
  ASSERT_GT(port, 0);
  std::thread serving([&] { web.listen_after_bind(); });
  const std::string site = "http://127.0.0.1:" + std::to_string(port);

  WriteServerFile("db/DEMO/annotation.txt", "Аннотация");
  const int32_t mfn = Add("DEMO", {{200, "^AКнига с файлами"},
                                   {951, "^Aannotation.txt"},
                                   {951, "^I" + site + "/docs/book.pdf?from=catalogue"},
                                   {951, "^I" + site + "/docs/missing.pdf"},
                                   {951, "^A../../escape.txt"}});
  std::filesystem::create_directories(File("out"));
  // The server refuses the file outside its folder, and the reader declines
  // to try again.
  const std::vector<std::string> shown = Run(
      "TALOR:7,,DEMO?EXPFULLTEXT=1&EXPORT_FROMMFN=" + std::to_string(mfn), File("out/files.iso"));
  web.stop();
  serving.join();

  EXPECT_EQ("%PDF- a book", FileBytes(File("out/book.pdf")));
  EXPECT_EQ(Utf8ToAnsi("Аннотация"), FileBytes(File("out/annotation.txt")));
  EXPECT_FALSE(std::filesystem::exists(File("escape.txt")));
  EXPECT_FALSE(std::filesystem::exists(File("out/missing.pdf")));
  ASSERT_FALSE(shown.empty());
  const std::string& summary = shown.back();
  EXPECT_EQ(0u, summary.find(std::string(kExported) + "1")) << summary;
  EXPECT_NE(std::string::npos, summary.find("missing.pdf не скопирован: сервер ответил кодом 404"))
      << summary;
  EXPECT_NE(std::string::npos, summary.find("escape.txt не скопирован")) << summary;
}

TEST_F(RecordExchangeTest, RecordsThatCannotBeWrittenWhollyAreNamedByMfn) {
  const int32_t huge = Add("DEMO", {{200, "^A" + std::string(10000, 'x')}});
  const int32_t foreign = Add("DEMO", {{200, "^AДао дэ цзин 道德經"}});
  State().SelectedList = StringList{{std::to_string(huge)}, {std::to_string(foreign)}};
  const std::vector<std::string> shown = Run("TALOR:7,,DEMO?EXP21CODE=WIN", File("some.iso"));
  ASSERT_EQ(1u, shown.size());
  EXPECT_EQ(0u, shown[0].find(std::string(kExported) + "1")) << shown[0];
  EXPECT_NE(std::string::npos,
            shown[0].find("MFN=" + std::to_string(huge) + ": запись не выгружена"))
      << shown[0];
  EXPECT_NE(std::string::npos, shown[0].find("MFN=" + std::to_string(foreign) +
                                             ": символов, которых нет в выбранной кодировке, — 3"))
      << shown[0];
}

TEST_F(RecordExchangeTest, TheDemoPageExportsARangeAndCopiesItIntoTheOtherDatabase) {
  Open("TALOR:3,2,DEMO,exchange.html");
  // The first control of a name belongs to the export form, the page's first.
  auto set = [this](std::string_view name, std::string_view value) {
    for (ElementHandle element : view_.ElementsByTag("INPUT")) {
      if (view_.Name(element) != name) continue;
      if (view_.Type(element) == "radio") {
        if (view_.Value(element) != value) continue;
        view_.SetChecked(element, true);
      } else {
        view_.SetValue(element, value);
      }
      return;
    }
    for (ElementHandle element : view_.ElementsByTag("SELECT")) {
      if (view_.Name(element) == name) return void(view_.SetValue(element, value));
    }
    ADD_FAILURE() << "no control " << name;
  };
  auto submit = [this](std::string_view action) {
    for (ElementHandle form : view_.Forms()) {
      if (view_.Attribute(form, "action").value_or("").starts_with(action)) {
        view_.Submit(form);
        Settle();
        return;
      }
    }
    ADD_FAILURE() << "no form " << action;
  };
  const std::string path = File("demo.txt");
  ui_.SetFileAnswer(path);
  set("EXPORT_FROMMFN", "3");
  set("EXPORT_TOMFN", "7");
  set("EXP21FMT", "TXT");
  set("EXP21CODE", "DOS");
  submit("TALOR:7");
  ASSERT_FALSE(ui_.messages().empty());
  EXPECT_EQ(std::string(kExported) + "5", ui_.messages().back().text);
  EXPECT_EQ(StoredList("DEMO", {3, 4, 5, 6, 7}),
            ReadExchangeFile(path, {ExchangeForm::Text, ExchangeCode::Oem}));

  const int32_t first = NextMfn("SERIALS");
  set("I21DBN", "SERIALS");
  set("IMP21FMT", "TXT");
  set("IMP21CODE", "DOS");
  submit("TALOR:8");
  EXPECT_NE(std::string::npos, ui_.messages().back().text.find(
                                   "В БД SERIALS скопировано документов -5 с номерами(MFN) " +
                                   std::to_string(first) + " - " + std::to_string(first + 4)))
      << ui_.messages().back().text;
  EXPECT_EQ(StoredList("DEMO", {3, 4, 5, 6, 7}),
            StoredList("SERIALS", {first, first + 1, first + 2, first + 3, first + 4}));
  // The loaded records open at once, browsed from the first.
  EXPECT_NE(std::string::npos, view_.DocumentHtml().find("Весь каталог по порядку"));
  EXPECT_NE(std::string::npos,
            view_.DocumentHtml().find("записи с № " + std::to_string(first) + " по"))
      << view_.DocumentHtml();
}

}  // namespace
}  // namespace talor::server
