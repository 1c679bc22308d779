#include "favorites/favorites_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "favorites/fakes.h"
#include "shell/temp_dir.h"
#include "text/encoding.h"

namespace talor {
namespace {

class FavoritesHistoryTest : public ::testing::Test {
 protected:
  FavoritesHistoryTest() {
    std::string lines;
    for (int i = 0; i < 92; ++i) lines += "\r\n";
    messages_.SetAnsiText(lines + Utf8ToAnsi("Отмена") + "\r\n");
  }

  // Starts over from the file, as the next run of the program would.
  void Restart(std::string_view serverText = "") {
    favorites_.reset();
    config_ = LocalConfig::Open(dir_.File("Talor_Navigator.ini"));
    server_ = ServerSettings::FromText(serverText);
    favorites_ = std::make_unique<FavoritesHistory>(navigator_, view_, messages_);
    favorites_->LoadFavorites(config_, server_);
  }
  void SaveAndClose() {
    favorites_->SaveFavorites(config_);
    ASSERT_TRUE(config_.UpdateFile());
  }
  // "title|url" per favourite.
  std::string Favorites() const {
    std::string text;
    for (const PageEntry& entry : favorites_->favorites()) {
      text += (text.empty() ? "" : " ") + entry.title + "|" + entry.url;
    }
    return text;
  }
  void Visit(std::string url, std::string postText = "", std::string title = "") {
    navigator_.Show(url, postText, title);
    favorites_->HistoryVisit(url, postText, title);
    favorites_->SelectCurrentPage();
  }
  void AddCurrent(std::string title) {
    view_.answer = std::move(title);
    favorites_->FavoritesAddMainMenuItemClick();
  }

  TempDir dir_;
  Messages messages_;
  LocalConfig config_;
  ServerSettings server_;
  FakeNavigator navigator_;
  FakeView view_;
  std::unique_ptr<FavoritesHistory> favorites_;
};

TEST_F(FavoritesHistoryTest, PersonalFavoritesComeFromTheLocalFile) {
  dir_.Write("Talor_Navigator.ini",
             "[Desktop]\nFavoritesNumb=1\nTitleFavorites0=Каталог\nURLFavorites0=TALOR:1\n");
  Restart("[Navigator]\nFavoritesNumb=1\nTitleFavorites0=Server\nURLFavorites0=TALOR:2\n");
  EXPECT_EQ("Каталог|TALOR:1", Favorites());
  EXPECT_EQ(1, view_.favoritesChanges);
}

TEST_F(FavoritesHistoryTest, WithoutFavoritesListTheServerGivesThemAndNothingIsSaved) {
  const std::string local =
      "[DESKTOP]\nFavoritesNumb=1\nTitleFavorites0=Local\nURLFavorites0=TALOR:1\n";
  dir_.Write("Talor_Navigator.ini", local);
  Restart(
      Utf8ToAnsi("[Navigator]\nFavoritesList=0\nFavoritesNumb=1\n"
                 "TitleFavorites0=Новые поступления\nURLFavorites0=TALOR:5,,DEMO,new.pft\n"));
  EXPECT_EQ("Новые поступления|TALOR:5,,DEMO,new.pft", Favorites());

  navigator_.Show("TALOR:3,0,,index.html");
  AddCurrent("Главная");
  favorites_->FavoritesToolButtonClick();
  favorites_->LeftListBoxClick(0);
  favorites_->FavoritesHistoryDeleteToolButtonClick();
  EXPECT_EQ("Главная|TALOR:3,0,,index.html", Favorites());
  SaveAndClose();

  // Only the open panel is written.
  EXPECT_EQ(local + "Favorites=1\nHistory=0\n", dir_.Read("Talor_Navigator.ini"));
}

TEST_F(FavoritesHistoryTest, AddDeleteSaveAndReload) {
  dir_.Write("Talor_Navigator.ini",
             "[DESKTOP]\nFavoritesNumb=2\n"
             "TitleFavorites0=A\nURLFavorites0=TALOR:1\n"
             "TitleFavorites1=B\nURLFavorites1=TALOR:2\n"
             "TitleFavorites2=C\nURLFavorites2=TALOR:3\n"
             "TitleFavorites3=D\nURLFavorites3=TALOR:4\n"
             "TitleFavorites4=E\nURLFavorites4=TALOR:5\n");
  Restart();
  EXPECT_EQ("A|TALOR:1 B|TALOR:2", Favorites());
  favorites_->FavoritesToolButtonClick();
  favorites_->LeftListBoxClick(0);
  favorites_->FavoritesHistoryDeleteToolButtonClick();
  EXPECT_EQ(-1, favorites_->selectedLine());
  SaveAndClose();
  EXPECT_EQ(1, config_.ReadInteger("DESKTOP", "FavoritesNumb", -1));
  EXPECT_EQ("E", config_.ReadString("DESKTOP", "TitleFavorites4", ""));

  Restart();
  EXPECT_EQ("B|TALOR:2", Favorites());
  EXPECT_EQ(LeftPanel::Favorites, favorites_->panel());

  navigator_.context = PageContext{"CHK", "SERIALS", "10.0.0.7"};
  navigator_.Show("TALOR:5,,SERIALS,list.pft", "--b\r\nname=\"x\"\r\n\r\n100%\r\n--b--", "Журналы");
  AddCurrent("Журналы 2024");
  EXPECT_EQ(1, favorites_->selectedLine());  // the new last line
  SaveAndClose();

  Restart();
  ASSERT_EQ(2u, favorites_->favorites().size());
  EXPECT_EQ((PageEntry{"Журналы 2024", "TALOR:5,,SERIALS,list.pft",
                       "--b\r\nname=\"x\"\r\n\r\n100%\r\n--b--", "CHK,SERIALS,10.0.0.7"}),
            favorites_->favorites()[1]);
}

TEST_F(FavoritesHistoryTest, TheLastOpenPanelComesBack) {
  dir_.Write("Talor_Navigator.ini", "[DESKTOP]\nFavorites=1\nHistory=1\n");
  Restart();
  EXPECT_EQ(LeftPanel::History, favorites_->panel());
  favorites_->LeftTopSpeedButtonClick();
  SaveAndClose();
  Restart();
  EXPECT_EQ(LeftPanel::None, favorites_->panel());
  EXPECT_FALSE(config_.ReadBool("DESKTOP", "Favorites", true));
  EXPECT_FALSE(config_.ReadBool("DESKTOP", "History", true));
}

TEST_F(FavoritesHistoryTest, AddingAFavorite) {
  Restart("[Navigator]\nMAXHISTORYTITLELENGTH=10\n");
  AddCurrent("Без страницы");
  EXPECT_FALSE(view_.shownForm);  // no page yet: no dialog

  navigator_.Show("TALOR:3,0,,index.html", "", "Каталог библиотеки");
  view_.answer.reset();
  favorites_->FavoritesAddMainMenuItemClick();
  ASSERT_TRUE(view_.shownForm);
  EXPECT_EQ("Каталог библиотеки", view_.shownForm->title);
  EXPECT_EQ("Добавить в Избранное", view_.shownForm->caption);
  EXPECT_EQ("Название:", view_.shownForm->label);
  EXPECT_EQ("Отмена", view_.shownForm->cancelCaption);
  EXPECT_TRUE(favorites_->favorites().empty());  // cancelled

  AddCurrent("Каталог библиотеки");
  AddCurrent("");
  AddCurrent("Каталог библиотеки");
  EXPECT_EQ(
      "Каталог би|TALOR:3,0,,index.html |TALOR:3,0,,index.html Каталог би|TALOR:3,0,,index.html",
      Favorites());
  SaveAndClose();
  EXPECT_EQ("Каталог би", config_.ReadString("DESKTOP", "TitleFavorites2", ""));
}

TEST_F(FavoritesHistoryTest, DisabledSwitchesAreObeyed) {
  dir_.Write("Talor_Navigator.ini", "[DESKTOP]\nFavoritesNumb=1\nURLFavorites0=TALOR:1\n");
  Restart("[Navigator]\nFavoritesAdd=0\nFavoritesHistoryDelete=0\n");
  navigator_.Show("TALOR:2");
  AddCurrent("x");
  EXPECT_FALSE(view_.shownForm);
  favorites_->FavoritesToolButtonClick();
  favorites_->LeftListBoxClick(0);
  favorites_->FavoritesHistoryDeleteToolButtonClick();
  EXPECT_EQ(1u, favorites_->favorites().size());
  EXPECT_EQ((LeftPanelTools{true, false, true, false, false}), favorites_->Tools());
}

TEST_F(FavoritesHistoryTest, OpeningBringsBackThePageAndItsContext) {
  dir_.Write("Talor_Navigator.ini",
             "[DESKTOP]\nFavoritesNumb=4\n"
             "URLFavorites0=TALOR:5,,SERIALS,list.pft\nPostDataFavorites0=S21STR=a\n"
             "ContextFavorites0=CHK,SERIALS,10.0.0.7\n"
             "URLFavorites1=TALOR:5,,BENCH,list.pft\nContextFavorites1=MARK,BENCH,10.0.0.7\n"
             "URLFavorites2=file:///tmp/page.html\n"
             "URLFavorites3=TALOR:1\nContextFavorites3=MARK,DEMO,127.0.0.1\n");
  Restart();

  favorites_->FavoritesListMainMenuItemClick(0);
  EXPECT_EQ((std::vector<std::string>{"TALOR:5,,SERIALS,list.pft|S21STR=a"}), navigator_.opened);
  EXPECT_EQ((PageContext{"CHK", "SERIALS", "10.0.0.7"}), navigator_.context);
  EXPECT_TRUE(navigator_.selection.empty());
  EXPECT_EQ(1, navigator_.serverChanges);

  // Same server: the marker and database change, the connection does not.
  navigator_.selection = {"SERIALS/4"};
  favorites_->FavoritesListMainMenuItemClick(1);
  EXPECT_EQ((PageContext{"MARK", "BENCH", "10.0.0.7"}), navigator_.context);
  EXPECT_TRUE(navigator_.selection.empty());
  EXPECT_EQ(1, navigator_.serverChanges);

  // No context, or the context in use: the selection stays.
  navigator_.selection = {"BENCH/9"};
  favorites_->FavoritesListMainMenuItemClick(2);
  navigator_.context = PageContext{"MARK", "DEMO", "127.0.0.1"};
  favorites_->FavoritesListMainMenuItemClick(3);
  EXPECT_EQ((std::vector<std::string>{"BENCH/9"}), navigator_.selection);
  EXPECT_EQ("file:///tmp/page.html|", navigator_.opened[2]);
  EXPECT_EQ("TALOR:1|", navigator_.opened[3]);

  // Nothing past the end, and nothing while a command runs.
  favorites_->FavoritesListMainMenuItemClick(4);
  favorites_->FavoritesListMainMenuItemClick(-1);
  navigator_.busy = true;
  favorites_->FavoritesListMainMenuItemClick(0);
  EXPECT_EQ(4u, navigator_.opened.size());
  EXPECT_EQ((PageContext{"MARK", "DEMO", "127.0.0.1"}), navigator_.context);
}

TEST_F(FavoritesHistoryTest, HistoryCountsVisitsInTheContextOfThePage) {
  Restart();
  navigator_.context = PageContext{"CHK", "DEMO", "127.0.0.1"};
  Visit("TALOR:5,,DEMO,a.pft", "", "Результаты поиска");
  Visit("file:///tmp/b.html");
  Visit("TALOR:5,,DEMO,a.pft", "", "Другой заголовок");
  const std::vector<HistoryEntry>& entries = favorites_->history().entries();
  ASSERT_EQ(2u, entries.size());
  EXPECT_EQ(
      (HistoryEntry{{"Результаты поиска", "TALOR:5,,DEMO,a.pft", "", "CHK,DEMO,127.0.0.1"}, 0, 1}),
      entries[0]);
  EXPECT_EQ((HistoryEntry{{"file:///tmp/b.html", "file:///tmp/b.html", "", ""}, 1, 0}), entries[1]);
  EXPECT_EQ(3, view_.historyChanges);

  // Going to a history entry in another context brings the context back.
  navigator_.context = PageContext{"", "BENCH", "127.0.0.1"};
  favorites_->HistoryToolButtonClick();
  EXPECT_EQ("История", favorites_->PanelCaption());
  EXPECT_EQ(0, favorites_->selectedLine());  // the current page
  favorites_->LeftListBoxClick(1);
  favorites_->LeftListBoxClick(0);
  EXPECT_EQ((std::vector<std::string>{"file:///tmp/b.html|", "TALOR:5,,DEMO,a.pft|"}),
            navigator_.opened);
  EXPECT_EQ((PageContext{"CHK", "DEMO", "127.0.0.1"}), navigator_.context);
  EXPECT_EQ(0, navigator_.serverChanges);
}

TEST_F(FavoritesHistoryTest, TheSelectionFollowsTheCurrentPage) {
  dir_.Write("Talor_Navigator.ini", "[DESKTOP]\nFavoritesNumb=1\nURLFavorites0=file:///c\n");
  Restart();
  Visit("file:///c");
  Visit("file:///a");
  Visit("file:///b");
  Visit("file:///a");
  favorites_->HistoryToolButtonClick();
  favorites_->SortMenuItemClick(HistorySort::Count);
  EXPECT_EQ((std::vector<std::string>{"file:///c", "file:///b", "file:///a"}),
            favorites_->PanelLines());
  EXPECT_EQ(2, favorites_->selectedLine());  // a, the current page
  Visit("file:///c");
  Visit("file:///c");
  EXPECT_EQ((std::vector<std::string>{"file:///b", "file:///a", "file:///c"}),
            favorites_->PanelLines());
  EXPECT_EQ(2, favorites_->selectedLine());

  // A page that is not in the list leaves the selection where it was.
  Visit("TALOR:9");
  favorites_->FavoritesToolButtonClick();
  EXPECT_EQ(-1, favorites_->selectedLine());
  Visit("file:///c");
  EXPECT_EQ(0, favorites_->selectedLine());
  navigator_.Show("file:///z");
  favorites_->SelectCurrentPage();
  EXPECT_EQ(0, favorites_->selectedLine());
}

TEST_F(FavoritesHistoryTest, DeletingAHistoryLine) {
  Restart();
  Visit("file:///a");
  Visit("file:///b");
  favorites_->FavoritesHistoryDeleteToolButtonClick();  // panel closed
  favorites_->HistoryToolButtonClick();
  EXPECT_EQ((LeftPanelTools{false, true, true, true, true}), favorites_->Tools());
  navigator_.Show("file:///x");
  favorites_->LeftListBoxClick(0);
  favorites_->FavoritesHistoryDeleteToolButtonClick();
  favorites_->FavoritesHistoryDeleteToolButtonClick();  // no line selected any more
  EXPECT_EQ((std::vector<std::string>{"file:///b"}), favorites_->PanelLines());
  EXPECT_EQ(-1, favorites_->selectedLine());
  // The history is not saved.
  SaveAndClose();
  EXPECT_EQ("[DESKTOP]\nFavorites=0\nHistory=1\nFavoritesNumb=0\n",
            dir_.Read("Talor_Navigator.ini"));
}

TEST_F(FavoritesHistoryTest, PanelButtonsFormAGroup) {
  Restart();
  favorites_->FavoritesToolButtonClick();
  EXPECT_EQ(LeftPanel::Favorites, favorites_->panel());
  EXPECT_EQ("Избранное", favorites_->PanelCaption());
  favorites_->HistoryToolButtonClick();
  EXPECT_EQ(LeftPanel::History, favorites_->panel());
  favorites_->HistoryToolButtonClick();
  EXPECT_EQ(LeftPanel::None, favorites_->panel());
  EXPECT_TRUE(favorites_->PanelLines().empty());
  EXPECT_EQ(nullptr, favorites_->PanelEntry(0));
  EXPECT_EQ(3, view_.panelChanges);
}

}  // namespace
}  // namespace talor
