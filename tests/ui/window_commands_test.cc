// The main window's commands over the real navigator core, with local pages
// in the headless view: opening a chosen file, saving the page as a UTF-8
// copy, print preview, and the shortcuts that click the navigation buttons.

#include "ui/window_commands.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "navigator/work_files.h"
#include "platform/html_page_view.h"
#include "platform/scripted_user_interface.h"
#include "shell/navigator_session.h"
#include "shell/temp_dir.h"

namespace talor {
namespace {

// ---- the UTF-8 declaration

struct DeclareRow {
  const char* name;
  const char* html;
  const char* expected;
};

const DeclareRow kDeclareRows[] = {
    {"http-equiv form",
     "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
     "charset=windows-1251\"><title>Т</title></head><body>Б</body></html>",
     "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
     "charset=utf-8\"><title>Т</title></head><body>Б</body></html>"},
    {"charset attribute", "<head><meta charset=\"windows-1251\"></head>x",
     "<head><meta charset=\"utf-8\"></head>x"},
    {"upper case, unquoted", "<HEAD><META CHARSET=windows-1251 name=a></HEAD>",
     "<HEAD><META CHARSET=utf-8 name=a></HEAD>"},
    {"content in single quotes", "<meta content='text/html;charset=cp1251' http-equiv=x>",
     "<meta content='text/html;charset=utf-8' http-equiv=x>"},
    {"both forms",
     "<head><meta charset=koi8-r><meta http-equiv=Content-Type "
     "content=\"text/html; charset=windows-1251\"></head>",
     "<head><meta charset=utf-8><meta http-equiv=Content-Type "
     "content=\"text/html; charset=utf-8\"></head>"},
    {"no meta: added at the start of HEAD",
     "<html><head lang=\"ru\"><title>a</title></head><body></body></html>",
     "<html><head lang=\"ru\"><meta charset=\"utf-8\"><title>a</title></head><body></body></html>"},
    {"meta without charset", "<head><meta name=\"author\" content=\"Т\"></head>",
     "<head><meta charset=\"utf-8\"><meta name=\"author\" content=\"Т\"></head>"},
    {"no HEAD: put in front", "<html><body><p>текст</p></body></html>",
     "<head><meta charset=\"utf-8\"></head><html><body><p>текст</p></body></html>"},
    {"HEADER is not HEAD", "<body><header>h</header></body>",
     "<head><meta charset=\"utf-8\"></head><body><header>h</header></body>"},
    {"a META in a comment does not count", "<head><!-- <meta charset=windows-1251> --></head>",
     "<head><meta charset=\"utf-8\"><!-- <meta charset=windows-1251> --></head>"},
    {"a quoted > inside the tag", "<head><meta data-x=\">\" charset=\"cp866\"></head>",
     "<head><meta data-x=\">\" charset=\"utf-8\"></head>"},
    {"empty text", "", "<head><meta charset=\"utf-8\"></head>"},
    {"unclosed tag", "<head><meta charset=cp866", "<head><meta charset=utf-8"},
};

TEST(DeclareUtf8Test, Rows) {
  for (const DeclareRow& row : kDeclareRows) {
    EXPECT_EQ(row.expected, DeclareUtf8(row.html)) << row.name;
  }
}

// ---- the dialog requests

TEST(FileDialogRequestTest, OpenAndSave) {
  FileDialogRequest open = OpenFileDialogRequest("/work/");
  EXPECT_EQ(FileDialogKind::Open, open.kind);
  EXPECT_EQ("Открытие файла", open.title);
  EXPECT_EQ("HTML-Файлы|*.html|Все файлы|*.*", open.filter);
  EXPECT_EQ(1, open.filterIndex);
  EXPECT_EQ("/work/", open.initialDirectory);
  EXPECT_EQ("", open.fileName);
  EXPECT_EQ("", open.defaultExtension);

  FileDialogRequest save = SaveFileDialogRequest("/work/");
  EXPECT_EQ(FileDialogKind::Save, save.kind);
  EXPECT_EQ("Сохранение файла", save.title);
  EXPECT_EQ(open.filter, save.filter);
  EXPECT_EQ("/work/", save.initialDirectory);
  EXPECT_EQ("temp.htm", save.fileName);
  EXPECT_EQ("htm", save.defaultExtension);
  // The proposed copy must not be one of the work files deleted at close.
  EXPECT_NE(0u, save.fileName.rfind("@TALOR_", 0));
}

// ---- the shortcut table

TEST(ShortcutTableTest, NoKeyTwiceAndEveryCommandPresent) {
  std::set<std::pair<int, uint8_t>> keys;
  std::set<WindowCommand> commands;
  for (const Shortcut& shortcut : kShortcuts) {
    EXPECT_TRUE(keys.insert({shortcut.key, shortcut.modifiers}).second)
        << "key " << shortcut.key << " twice";
    commands.insert(shortcut.command);
  }
  EXPECT_EQ(static_cast<size_t>(kWindowCommandCount), commands.size());
}

TEST(ShortcutTableTest, CommandForKey) {
  using C = WindowCommand;
  struct Row {
    int key;
    uint8_t modifiers;
    std::optional<C> expected;
  };
  const Row rows[] = {
      {'O', kCtrl, C::FileOpen},
      {'J', kCtrl, C::FileOpen},
      {'S', kCtrl, C::FileSaveAs},
      {'P', kCtrl, C::FilePrint},
      {'H', kCtrl, C::FilePrint},  // Ctrl+H prints like Ctrl+P
      {'P', kNoModifier, std::nullopt},
      {'O', kAlt, std::nullopt},
      {'X', kCtrl, std::nullopt},
      {key::kF5, kNoModifier, C::Refresh},
      {key::kF5, kCtrl, C::Refresh},  // F5 refreshes with or without Ctrl
      {key::kEscape, kNoModifier, C::Stop},
      {key::kLeft, kAlt, C::Back},
      {key::kRight, kAlt, C::Forward},
      {key::kHome, kAlt, C::Home},
      {key::kLeft, kNoModifier, std::nullopt},
      {key::kHome, kCtrl, std::nullopt},
      {'S', kCtrl | kShift, C::FileSaveAs},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected, CommandForKey(row.key, row.modifiers))
        << "key " << row.key << " modifiers " << int{row.modifiers};
  }
}

// ---- the commands over the navigator

class PrintRecorder final : public NavigatorChrome {
 public:
  void PrintPreview(PageView& printView) override { previewed.push_back(&printView); }
  std::vector<PageView*> previewed;
};

class WindowCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    dir_.Write("a.html", "<html><head><title>A</title></head><body>A</body></html>");
    dir_.Write("b b.html", "<html><body>B</body></html>");
    session_ = std::make_unique<NavigatorSession>(loop_, ui_, config_, messages_);
    Status started = session_->Start(pageView_, printView_, chrome_, dir_.File("work/"));
    ASSERT_TRUE(started.ok()) << started.message();
    commands_ = std::make_unique<WindowCommands>(WindowCommandParts{
        ui_, messages_, session_->navigator(), pageView_, chrome_, dir_.File("work/")});
  }
  void TearDown() override {
    commands_.reset();
    session_.reset();
  }

  void Wait() {
    loop_.WaitUntil([this] { return session_->navigator().Idle(); });
  }
  void OpenByKey(const std::string& name) {
    ui_.SetFileAnswer(dir_.File(name));
    ASSERT_TRUE(commands_->KeyDown('O', kCtrl));
    Wait();
  }
  std::string CurrentUrl() { return session_->navigator().state().CurrentURL; }

  TempDir dir_;
  EventLoop loop_;
  ScriptedUserInterface ui_{loop_};
  LocalConfig config_;
  Messages messages_;
  HtmlPageView pageView_{loop_};
  HtmlPageView printView_{loop_};
  PrintRecorder chrome_;
  std::unique_ptr<NavigatorSession> session_;
  std::unique_ptr<WindowCommands> commands_;
};

TEST_F(WindowCommandsTest, OpenAskedForFileWithBlanksInItsName) {
  OpenByKey("b b.html");
  ASSERT_EQ(1u, ui_.fileDialogs().size());
  EXPECT_EQ(OpenFileDialogRequest(dir_.File("work/")), ui_.fileDialogs()[0]);
  EXPECT_EQ("file://" + dir_.path() + "b%20b.html", CurrentUrl());
  EXPECT_NE(std::string::npos, pageView_.DocumentHtml().find(">B<"));
}

TEST_F(WindowCommandsTest, CancelledOpenDoesNothing) {
  OpenByKey("a.html");
  ui_.SetFileAnswer(std::nullopt);
  EXPECT_TRUE(commands_->KeyDown('J', kCtrl));
  Wait();
  EXPECT_EQ(2u, ui_.fileDialogs().size());
  EXPECT_EQ(FileUrl(dir_.File("a.html")), CurrentUrl());
}

TEST_F(WindowCommandsTest, AltKeysGoBackForwardAndHome) {
  OpenByKey("a.html");
  EXPECT_FALSE(commands_->KeyDown(key::kLeft, kAlt));  // nothing before the first page
  OpenByKey("b b.html");
  OpenByKey("a.html");
  const std::string a = FileUrl(dir_.File("a.html"));
  const std::string b = FileUrl(dir_.File("b b.html"));

  EXPECT_TRUE(commands_->KeyDown(key::kLeft, kAlt));
  Wait();
  EXPECT_EQ(b, CurrentUrl());
  EXPECT_TRUE(commands_->KeyDown(key::kRight, kAlt));
  Wait();
  EXPECT_EQ(a, CurrentUrl());
  EXPECT_FALSE(commands_->KeyDown(key::kRight, kAlt));  // nothing after the last
  EXPECT_TRUE(commands_->KeyDown(key::kHome, kAlt));
  Wait();
  EXPECT_EQ(0, session_->navigator().state().VisitIndex);
  EXPECT_EQ(a, CurrentUrl());
  EXPECT_FALSE(commands_->KeyDown(key::kLeft, kNoModifier));
}

TEST_F(WindowCommandsTest, F5ReloadsThePage) {
  OpenByKey("a.html");
  dir_.Write("a.html", "<html><body>новое</body></html>");
  EXPECT_TRUE(commands_->KeyDown(key::kF5, kNoModifier));
  Wait();
  EXPECT_NE(std::string::npos, pageView_.DocumentHtml().find("новое"));
}

TEST_F(WindowCommandsTest, EscStopsAPendingLoad) {
  OpenByKey("a.html");
  session_->navigator().NavigateWithPost(FileUrl(dir_.File("b b.html")), "");
  ASSERT_TRUE(pageView_.Busy());
  EXPECT_TRUE(commands_->KeyDown(key::kEscape, kNoModifier));
  EXPECT_FALSE(pageView_.Busy());
  Wait();
  EXPECT_EQ(FileUrl(dir_.File("a.html")), pageView_.LocationURL());
}

TEST_F(WindowCommandsTest, CtrlPAndCtrlHPreviewThePageView) {
  EXPECT_TRUE(commands_->KeyDown('P', kCtrl));
  EXPECT_TRUE(commands_->KeyDown('H', kCtrl));
  EXPECT_FALSE(commands_->KeyDown('P', kNoModifier));
  ASSERT_EQ(2u, chrome_.previewed.size());
  EXPECT_EQ(&pageView_, chrome_.previewed[0]);
  EXPECT_EQ(&pageView_, chrome_.previewed[1]);
}

TEST_F(WindowCommandsTest, SwitchedOffCommandsIgnoreTheirKeys) {
  MainWindowSwitches switches;
  switches.fileOpen = false;
  switches.fileSaveAs = false;
  switches.filePrint = false;
  commands_->SetSwitches(switches);
  EXPECT_FALSE(commands_->KeyDown('O', kCtrl));
  EXPECT_FALSE(commands_->KeyDown('S', kCtrl));
  EXPECT_FALSE(commands_->KeyDown('P', kCtrl));
  EXPECT_TRUE(ui_.fileDialogs().empty());
  EXPECT_TRUE(chrome_.previewed.empty());
}

TEST_F(WindowCommandsTest, SaveWritesAUtf8Copy) {
  dir_.Write("cp.html",
             "<html><head><meta http-equiv=\"Content-Type\" "
             "content=\"text/html; charset=windows-1251\"></head>"
             "<body><p>\xCA\xE0\xF2\xE0\xEB\xEE\xE3</p></body></html>");  // "Каталог"
  OpenByKey("cp.html");
  ui_.SetFileAnswer(dir_.File("copy.htm"));
  EXPECT_TRUE(commands_->KeyDown('S', kCtrl));
  ASSERT_EQ(2u, ui_.fileDialogs().size());
  EXPECT_EQ(SaveFileDialogRequest(dir_.File("work/")), ui_.fileDialogs()[1]);

  std::string saved = dir_.Read("copy.htm");
  EXPECT_NE(std::string::npos, saved.find("charset=utf-8"));
  EXPECT_EQ(std::string::npos, saved.find("windows-1251"));
  EXPECT_NE(std::string::npos, saved.find("<p>Каталог</p>")) << saved;
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(WindowCommandsTest, SavingAPageWithoutMetaDeclaresUtf8) {
  OpenByKey("b b.html");
  ASSERT_TRUE(commands_->SavePage(dir_.File("b.htm")));
  std::string saved = dir_.Read("b.htm");
  EXPECT_NE(std::string::npos, saved.find("<meta charset=\"utf-8\">")) << saved;
  EXPECT_NE(std::string::npos, saved.find(">B<"));
}

TEST_F(WindowCommandsTest, CancelledSaveWritesNothing) {
  OpenByKey("a.html");
  ui_.SetFileAnswer(std::nullopt);
  EXPECT_TRUE(commands_->KeyDown('S', kCtrl));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("work/temp.htm")));
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(WindowCommandsTest, FailedSaveNamesTheFileInAnErrorBox) {
  OpenByKey("a.html");
  const std::string path = dir_.File("нет/копия.htm");
  ui_.SetFileAnswer(path);
  EXPECT_TRUE(commands_->KeyDown('S', kCtrl));
  ASSERT_EQ(1u, ui_.messages().size());
  const MessageBoxRequest& box = ui_.messages()[0];
  EXPECT_EQ(MessageIcon::Exclamation, box.icon);
  EXPECT_TRUE(box.taskModal);
  EXPECT_FALSE(box.caption.empty());
  EXPECT_EQ("Не удалось сохранить страницу в файл \"" + path + "\".", box.text);
}

TEST_F(WindowCommandsTest, FailedSaveKeepsTheExistingFile) {
  OpenByKey("a.html");
  std::filesystem::create_directory(dir_.File("dir.htm"));
  EXPECT_FALSE(commands_->SavePage(dir_.File("dir.htm")));
  EXPECT_TRUE(std::filesystem::is_directory(dir_.File("dir.htm")));
  EXPECT_EQ(1u, ui_.messages().size());
}

}  // namespace
}  // namespace talor
