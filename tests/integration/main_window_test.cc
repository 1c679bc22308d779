// The main window's start, hand-over and close against a real talor-server
// with the demo catalogue: the login loop and its question, the first page,
// the page handed over by another program and the way back to it, the panel
// and favourites kept in the configuration file, and the work files.

#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "integration/demo_server.h"
#include "platform/html_page_view.h"
#include "platform/scripted_user_interface.h"

namespace talor::server {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kIndexPage = "TALOR:3,1,DEMO,index.html";
constexpr std::string_view kFullTextPage = "TALOR:3,2,DEMO,fulltext.html";
constexpr std::string_view kIndexTitle = "Демонстрационный каталог — главная";
constexpr std::string_view kFullTextTitle = "Поиск по тексту";

// Remembers what the window on screen would have shown.
class RecordingWindow final : public MainWindowView {
 public:
  void ShowMainWindow(bool visible) override { shown.push_back(visible); }
  void SetSplashOnTop(bool onTop) override { splashOnTop.push_back(onTop); }
  void CloseSplash() override { ++splashClosed; }
  void ApplyLayout(const WindowLayout& layout) override { applied = layout; }
  void ReadLayout(WindowLayout& layout) override {
    if (userLayout) layout = *userLayout;
  }
  void SwitchesChanged(const MainWindowSwitches& value) override { switches = value; }
  void ReturnButtonChanged(bool visible) override { returnButton.push_back(visible); }
  void BringToForeground(int64_t window) override { foreground.push_back(window); }
  void FocusPageElement(PageView& view, ElementHandle element) override {
    focusedName = view.Name(element);
  }
  bool ShowAddFavoritesForm(AddFavoritesForm& form) override {
    form.title = favoriteTitle;
    return true;
  }

  std::vector<bool> shown;
  std::vector<bool> splashOnTop;
  int splashClosed = 0;
  WindowLayout applied;
  std::optional<WindowLayout> userLayout;  // the layout as the user leaves it
  std::optional<MainWindowSwitches> switches;
  std::vector<bool> returnButton;
  std::vector<int64_t> foreground;
  std::string focusedName;
  std::string favoriteTitle = "Мой поиск";
};

ConnectFormAction Action(ConnectFormAction::Kind kind) {
  ConnectFormAction action;
  action.kind = kind;
  return action;
}

struct PostedMessage {
  int64_t target;
  uint32_t message;
  int64_t wParam;
  int64_t lParam;
  bool operator==(const PostedMessage&) const = default;
};

class MainWindowTest : public DemoServerTest {
 protected:
  void SetUp() override {
    DemoServerTest::SetUp();
    std::string pattern = (fs::temp_directory_path() / "talor-window-XXXXXX").string();
    dir_ = std::string(mkdtemp(pattern.data())) + "/";
    configPath_ = dir_ + "Talor_Navigator.ini";
    workDir_ = dir_ + "work/";
    ASSERT_TRUE(messages_.LoadFromFile(TALOR_SOURCE_DIR "/data/TALORMSG.TXT"));
  }
  void TearDown() override {
    window_.reset();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // The configuration file: section Main with the test server, then `more`.
  void WriteConfig(std::string_view more, bool withUser = true) {
    std::ofstream out(configPath_, std::ios::binary | std::ios::trunc);
    out << "[Main]\nServerIP=127.0.0.1\nServerPort=" << Port() << "\n";
    if (withUser) out << "UserName=librarian\nUserPassword=librarian\n";
    out << more;
  }

  // What another program, or the next start, reads from the file.
  std::string FileValue(std::string_view section, std::string_view key) {
    return IniFile::Open(configPath_).ReadString(section, key, "<missing>");
  }

  void CreateWindow() {
    config_ = LocalConfig::Open(configPath_);
    MainWindowParts parts{loop_,
                          ui_,
                          config_,
                          messages_,
                          view_,
                          printView_,
                          windowView_,
                          [this](int64_t target, uint32_t message, int64_t wParam, int64_t lParam) {
                            posted_.push_back({target, message, wParam, lParam});
                          },
                          workDir_};
    window_ = std::make_unique<MainWindow>(std::move(parts));
  }

  // The program entry's last step, then the loop until the start is over
  // and the first page is shown (or the application has ended).
  void RunStart() {
    if (!window_) CreateWindow();
    window_->EnableStartTimer();
    loop_.WaitUntil([this] { return window_->started() || window_->closed(); });
    if (window_->started()) Settle();
  }
  void Settle() {
    loop_.WaitUntil([this] { return window_->core().navigator().Idle(); });
  }
  NavigationState& State() { return window_->core().navigator().state(); }

  // The question asked after a failed login.
  std::string RetryQuestion() const { return messages_.Text(1238) + messages_.Text(143); }
  int QuestionsAsked() const {
    int count = 0;
    for (const MessageBoxRequest& box : ui_.messages()) {
      if (box.buttons == MessageButtons::YesNo) ++count;
    }
    return count;
  }

  std::string dir_;
  std::string configPath_;
  std::string workDir_;
  EventLoop loop_;
  ScriptedUserInterface ui_{loop_};
  LocalConfig config_;
  Messages messages_;
  HtmlPageView view_{loop_};
  HtmlPageView printView_{loop_};
  RecordingWindow windowView_;
  std::vector<PostedMessage> posted_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(MainWindowTest, LoginWithoutAskingOpensTheServersStartPage) {
  // ReturnHandle means nothing without a handed-over page.
  WriteConfig("[CONTEXT]\nInitURL=\nReturnHandle=77\n");
  RunStart();
  ASSERT_TRUE(window_->started());
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_EQ(State().CurrentURL, kIndexPage);
  EXPECT_EQ(window_->currentAddress(), kIndexPage);
  EXPECT_NE(view_.Title().find(kIndexTitle), std::string::npos) << view_.Title();

  // Hidden for the login, shown after it; the splash gives way to the login
  // dialog, comes back on top and closes at the end.
  EXPECT_EQ(windowView_.shown, (std::vector<bool>{false, true}));
  EXPECT_EQ(windowView_.splashOnTop, (std::vector<bool>{false, true}));
  EXPECT_EQ(windowView_.splashClosed, 1);
  EXPECT_TRUE(window_->mainWindowVisible());

  EXPECT_FALSE(window_->returnButtonVisible());
  EXPECT_EQ(window_->returnWindow(), 0);
  EXPECT_TRUE(windowView_.returnButton.empty());
  // The demo server switches nothing off.
  ASSERT_TRUE(windowView_.switches.has_value());
  EXPECT_EQ(*windowView_.switches, MainWindowSwitches{});
  EXPECT_TRUE(fs::is_directory(workDir_));
}

TEST_F(MainWindowTest, HandedOverPageOpensOnceAndShowsTheReturnButton) {
  // The calling program logs in for the user; the password is not kept.
  WriteConfig(std::string("[CONTEXT]\nInitURL=") + std::string(kFullTextPage) +
                  "\nReturnHandle=4242\nUSERNAME=librarian\nUserPassword=librarian\n",
              /*withUser=*/false);
  RunStart();
  ASSERT_TRUE(window_->started());
  EXPECT_EQ(State().CurrentURL, kFullTextPage);
  EXPECT_NE(view_.Title().find(kFullTextTitle), std::string::npos) << view_.Title();
  EXPECT_EQ(FileValue("CONTEXT", "InitURL"), "");
  EXPECT_EQ(FileValue("CONTEXT", "UserPassword"), "");
  EXPECT_TRUE(window_->returnButtonVisible());
  EXPECT_EQ(window_->returnWindow(), 4242);
  EXPECT_EQ(windowView_.returnButton, std::vector<bool>{true});
}

TEST_F(MainWindowTest, NextStartAfterAHandOverOpensTheServersPage) {
  WriteConfig(std::string("[CONTEXT]\nInitURL=") + std::string(kFullTextPage) + "\n");
  RunStart();
  ASSERT_EQ(State().CurrentURL, kFullTextPage);
  window_->Close();
  window_.reset();

  RunStart();
  ASSERT_TRUE(window_->started());
  EXPECT_EQ(State().CurrentURL, kIndexPage);
}

TEST_F(MainWindowTest, CancelInTheLoginDialogEndsWithoutAQuestion) {
  WriteConfig("", /*withUser=*/false);
  ui_.QueueConnectFormAction(Action(ConnectFormAction::Kind::PressCancel));
  RunStart();
  EXPECT_TRUE(ui_.applicationEnded());
  EXPECT_FALSE(window_->started());
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_EQ(ui_.connectFormsShown().size(), 1u);
  EXPECT_EQ(windowView_.shown, std::vector<bool>{false});
}

TEST_F(MainWindowTest, CloseBoxAsksAndYesTriesAgain) {
  WriteConfig("", /*withUser=*/false);
  ui_.QueueConnectFormAction(Action(ConnectFormAction::Kind::PressClose));
  ui_.QueueMessageAnswer(ModalResult::Yes);
  ui_.QueueConnectFormAction({ConnectFormAction::Kind::TypeAndOk, "librarian", "librarian"});
  RunStart();
  ASSERT_TRUE(window_->started());
  EXPECT_FALSE(ui_.applicationEnded());
  EXPECT_EQ(ui_.connectFormsShown().size(), 2u);
  ASSERT_EQ(ui_.messages().size(), 1u);
  const MessageBoxRequest& question = ui_.messages()[0];
  EXPECT_EQ(question.caption, messages_.Text(138));
  EXPECT_EQ(question.text, RetryQuestion());
  EXPECT_EQ(question.icon, MessageIcon::Error);
  EXPECT_EQ(question.buttons, MessageButtons::YesNo);
  EXPECT_EQ(State().CurrentURL, kIndexPage);
}

TEST_F(MainWindowTest, WrongPasswordThenNoEndsAndKeepsTheFavourites) {
  WriteConfig(
      "[DESKTOP]\nFavorites=1\nFavoritesNumb=1\nTitleFavorites0=Книги\n"
      "URLFavorites0=TALOR:3,1,DEMO,index.html\nPostDataFavorites0=\nContextFavorites0=\n",
      /*withUser=*/false);
  ui_.QueueConnectFormAction({ConnectFormAction::Kind::TypeAndOk, "librarian", "wrong"});
  ui_.QueueConnectFormAction(Action(ConnectFormAction::Kind::PressClose));
  ui_.QueueMessageAnswer(ModalResult::Ok);  // the refusal (message 944)
  ui_.QueueMessageAnswer(ModalResult::No);
  RunStart();
  EXPECT_TRUE(ui_.applicationEnded());
  EXPECT_FALSE(window_->started());
  ASSERT_EQ(ui_.messages().size(), 2u);
  EXPECT_EQ(ui_.messages()[0].text, messages_.Text(944));
  EXPECT_EQ(ui_.messages()[1].text, RetryQuestion());
  EXPECT_EQ(ui_.connectFormsShown().size(), 1u);

  // Closing saved the layout, but the favourites it never loaded stay as
  // they were, and so does the open panel.
  EXPECT_EQ(FileValue("DESKTOP", "Width"), "640");
  EXPECT_EQ(FileValue("DESKTOP", "FavoritesNumb"), "1");
  EXPECT_EQ(FileValue("DESKTOP", "TitleFavorites0"), "Книги");
  EXPECT_EQ(FileValue("DESKTOP", "Favorites"), "1");
}

struct PanelRow {
  std::string desktop;
  LeftPanel panel;
};

class MainWindowPanelTest : public MainWindowTest,
                            public ::testing::WithParamInterface<PanelRow> {};

TEST_P(MainWindowPanelTest, DesktopKeysRestoreFavouritesAndPanel) {
  WriteConfig("[DESKTOP]\n" + GetParam().desktop +
              "FavoritesNumb=2\nTitleFavorites0=Книги\nURLFavorites0=TALOR:3,1,DEMO,index.html\n"
              "TitleFavorites1=Текст\nURLFavorites1=TALOR:3,2,DEMO,fulltext.html\n");
  RunStart();
  ASSERT_TRUE(window_->started());
  const FavoritesHistory& favorites = window_->favorites();
  ASSERT_EQ(favorites.favorites().size(), 2u);
  EXPECT_EQ(favorites.favorites()[1].title, "Текст");
  EXPECT_EQ(favorites.favorites()[1].url, kFullTextPage);
  EXPECT_EQ(favorites.panel(), GetParam().panel);
}

INSTANTIATE_TEST_SUITE_P(
    Panels, MainWindowPanelTest,
    ::testing::Values(PanelRow{"Favorites=1\nHistory=0\n", LeftPanel::Favorites},
                      PanelRow{"Favorites=0\nHistory=1\n", LeftPanel::History},
                      // The history button is pressed after the favourites one.
                      PanelRow{"Favorites=1\nHistory=1\n", LeftPanel::History},
                      PanelRow{"", LeftPanel::None}));

TEST_F(MainWindowTest, ClosingSavesReturnsAndDeletesTheWorkFiles) {
  WriteConfig(std::string("[CONTEXT]\nInitURL=") + std::string(kFullTextPage) +
              "\nReturnHandle=4242\n[DESKTOP]\nWidth=700\nHeight=500\nHistory=1\n");
  RunStart();
  ASSERT_TRUE(window_->started());
  EXPECT_EQ(windowView_.applied.width, 700);
  window_->favorites().FavoritesAddMainMenuItemClick();
  window_->favorites().FavoritesToolButtonClick();
  ASSERT_EQ(window_->favorites().panel(), LeftPanel::Favorites);
  // The user maximized the window and hid the file tool bar.
  WindowLayout userLayout = windowView_.applied;
  userLayout.scalable = true;
  userLayout.width = 1920;
  userLayout.file = false;
  windowView_.userLayout = userLayout;
  std::ofstream(workDir_ + "@TALOR_extra.txt") << "x";
  std::ofstream(workDir_ + "keep.txt") << "x";

  window_->Close();
  EXPECT_TRUE(ui_.applicationEnded());
  EXPECT_EQ(posted_, (std::vector<PostedMessage>{{4242, MainWindow::kHandOverMessage, 0, 0}}));
  EXPECT_EQ(windowView_.foreground, std::vector<int64_t>{4242});
  EXPECT_FALSE(window_->returnButtonVisible());

  EXPECT_EQ(FileValue("DESKTOP", "FavoritesNumb"), "1");
  EXPECT_EQ(FileValue("DESKTOP", "TitleFavorites0"), "Мой поиск");
  EXPECT_EQ(FileValue("DESKTOP", "URLFavorites0"), kFullTextPage);
  EXPECT_EQ(FileValue("DESKTOP", "Favorites"), "1");
  EXPECT_EQ(FileValue("DESKTOP", "History"), "0");
  EXPECT_EQ(FileValue("DESKTOP", "Scalable"), "1");
  EXPECT_EQ(FileValue("DESKTOP", "Width"), "700");  // the last normal size
  EXPECT_EQ(FileValue("DESKTOP", "File"), "0");
  EXPECT_EQ(FileValue("DESKTOP", "URLWidth"), "619");

  // A second close (the window's own, after the program's) changes nothing.
  window_->Close();
  EXPECT_EQ(posted_.size(), 1u);

  window_.reset();  // FormDestroy
  EXPECT_FALSE(fs::exists(workDir_ + "@TALOR_extra.txt"));
  EXPECT_TRUE(fs::exists(workDir_ + "keep.txt"));
  bool anyWorkFile = false;
  for (const auto& entry : fs::directory_iterator(workDir_)) {
    anyWorkFile |= entry.path().filename().string().starts_with("@TALOR_");
  }
  EXPECT_FALSE(anyWorkFile);
}

TEST_F(MainWindowTest, ClosingWithoutAReturnWindowPostsNothing) {
  WriteConfig("");
  RunStart();
  ASSERT_TRUE(window_->started());
  window_->Close();
  EXPECT_TRUE(posted_.empty());
  EXPECT_TRUE(windowView_.foreground.empty());
  EXPECT_EQ(FileValue("DESKTOP", "FavoritesNumb"), "0");
  EXPECT_EQ(FileValue("DESKTOP", "Scalable"), "0");
  EXPECT_EQ(FileValue("DESKTOP", "Width"), "640");
}

TEST_F(MainWindowTest, HandOverWhileRunningOpensTheNewPage) {
  WriteConfig("");
  RunStart();
  ASSERT_EQ(State().CurrentURL, kIndexPage);

  // The other program writes the page into the file and posts the message.
  {
    IniFile other = IniFile::Open(configPath_);
    other.WriteString("CONTEXT", "InitURL", kFullTextPage);
    ASSERT_TRUE(other.UpdateFile());
  }
  window_->HandOverMessage(0, 555);
  Settle();
  EXPECT_EQ(State().CurrentURL, kFullTextPage);
  EXPECT_NE(view_.Title().find(kFullTextTitle), std::string::npos) << view_.Title();
  EXPECT_EQ(FileValue("CONTEXT", "InitURL"), "");
  EXPECT_TRUE(window_->returnButtonVisible());
  EXPECT_EQ(window_->returnWindow(), 555);

  // A message without a page opens nothing.
  window_->HandOverMessage(0, 0);
  Settle();
  EXPECT_EQ(State().CurrentURL, kFullTextPage);
  EXPECT_EQ(State().visits.size(), 2u);

  window_->FileReturnToolButtonClick();
  EXPECT_EQ(posted_, (std::vector<PostedMessage>{{555, MainWindow::kHandOverMessage, 0, 0}}));
  EXPECT_FALSE(window_->returnButtonVisible());
}

TEST_F(MainWindowTest, HandOverDuringTheLoginWaitsForTheStart) {
  WriteConfig("", /*withUser=*/false);
  // The message arrives while the login dialog shows the refusal of a wrong
  // password; the navigator does not exist yet.
  ui_.OnMessage([this](const MessageBoxRequest&) {
    IniFile other = IniFile::Open(configPath_);
    other.WriteString("CONTEXT", "InitURL", kFullTextPage);
    other.UpdateFile();
    window_->HandOverMessage(0, 31);
  });
  ui_.QueueConnectFormAction({ConnectFormAction::Kind::TypeAndOk, "librarian", "wrong"});
  ui_.QueueConnectFormAction({ConnectFormAction::Kind::TypeAndOk, "librarian", "librarian"});
  RunStart();
  ASSERT_TRUE(window_->started());
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(State().CurrentURL, kFullTextPage);
  EXPECT_EQ(FileValue("CONTEXT", "InitURL"), "");
  EXPECT_EQ(window_->returnWindow(), 31);
  EXPECT_TRUE(window_->returnButtonVisible());
}

TEST_F(MainWindowTest, WorkDirectoryThatCannotBeMadeEndsWithAMessage) {
  WriteConfig("");
  std::ofstream(dir_ + "file") << "x";
  workDir_ = dir_ + "file/work/";
  RunStart();
  EXPECT_TRUE(ui_.applicationEnded());
  EXPECT_FALSE(window_->started());
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].caption, messages_.Text(138));
  EXPECT_NE(ui_.messages()[0].text.find("рабочую папку"), std::string::npos);
}

TEST_F(MainWindowTest, ActivationFocusesTheFirstTextBox) {
  WriteConfig("");
  RunStart();
  ASSERT_TRUE(window_->started());
  std::string firstTextBox;
  for (ElementHandle input : view_.ElementsByTag("INPUT")) {
    if (view_.Type(input) == "text") {
      firstTextBox = view_.Name(input);
      break;
    }
  }
  ASSERT_FALSE(firstTextBox.empty()) << "the start page has a text box";
  window_->ApplicationActivate();
  EXPECT_EQ(windowView_.focusedName, firstTextBox);
}

}  // namespace
}  // namespace talor::server
