#include "favorites/favorites_file.h"

#include <gtest/gtest.h>

#include "shell/temp_dir.h"
#include "text/encoding.h"

namespace talor {
namespace {

constexpr std::string_view kFiveKept =
    "[Desktop]\n"
    "FavoritesNumb=2\n"
    "TitleFavorites0=Каталог\n"
    "URLFavorites0=TALOR:3,0,,index.html\n"
    "ContextFavorites0=MARK,DEMO,127.0.0.1\n"
    "TitleFavorites1=Поиск\n"
    "URLFavorites1=TALOR:5,,DEMO,list.pft\n"
    "PostDataFavorites1=S21STR=Пушкин\n"
    "TitleFavorites2=Третий\n"
    "URLFavorites4=file:///tmp/5.html\n";

TEST(ReadFavoritesTest, ReadsTheCountedEntriesOnly) {
  const IniFile store = IniFile::FromText(kFiveKept);
  const std::vector<PageEntry> favorites =
      ReadFavorites(store, "DESKTOP", FavoritesEncoding::Utf8, 80);
  ASSERT_EQ(2u, favorites.size());
  EXPECT_EQ((PageEntry{"Каталог", "TALOR:3,0,,index.html", "", "MARK,DEMO,127.0.0.1"}),
            favorites[0]);
  EXPECT_EQ((PageEntry{"Поиск", "TALOR:5,,DEMO,list.pft", "S21STR=Пушкин", ""}), favorites[1]);
}

TEST(ReadFavoritesTest, CountsThatReadAsNone) {
  for (std::string_view count : {"", "-3", "two", "0"}) {
    const IniFile store =
        IniFile::FromText("[DESKTOP]\nFavoritesNumb=" + std::string(count) + "\nURLFavorites0=a\n");
    EXPECT_TRUE(ReadFavorites(store, "DESKTOP", FavoritesEncoding::Utf8, 80).empty()) << count;
  }
  EXPECT_TRUE(ReadFavorites(IniFile(), "DESKTOP", FavoritesEncoding::Utf8, 80).empty());
}

TEST(ReadFavoritesTest, MissingKeysAreEmptyAndAWildCountIsBounded) {
  const IniFile store = IniFile::FromText("[DESKTOP]\nFavoritesNumb=2147483647\n");
  const std::vector<PageEntry> favorites =
      ReadFavorites(store, "DESKTOP", FavoritesEncoding::Utf8, 80);
  ASSERT_EQ(static_cast<size_t>(kMaxFavorites), favorites.size());
  EXPECT_EQ(PageEntry{}, favorites.back());
}

TEST(ReadFavoritesTest, TitlesAreCutToTheMenuLength) {
  const IniFile store =
      IniFile::FromText("[DESKTOP]\nFavoritesNumb=1\nTitleFavorites0=Преступление и наказание\n");
  EXPECT_EQ("Преступление", ReadFavorites(store, "DESKTOP", FavoritesEncoding::Utf8, 12)[0].title);
}

TEST(ReadFavoritesTest, ServerTextsAreAnsi) {
  const IniFile store = IniFile::FromText(
      Utf8ToAnsi("[Navigator]\nFavoritesNumb=1\nTitleFavorites0=Журналы\n"
                 "URLFavorites0=TALOR:5,,SERIALS,журнал.pft\nContextFavorites0=M,SERIALS,\n"));
  const std::vector<PageEntry> favorites =
      ReadFavorites(store, "Navigator", FavoritesEncoding::Ansi, 80);
  ASSERT_EQ(1u, favorites.size());
  EXPECT_EQ("Журналы", favorites[0].title);
  EXPECT_EQ("TALOR:5,,SERIALS,журнал.pft", favorites[0].url);
  EXPECT_EQ("M,SERIALS,", favorites[0].context);
}

TEST(WriteFavoritesTest, EveryByteSurvivesTheFile) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::vector<PageEntry> written = {
      {"  Отступы и = знак  ", "TALOR:5,,DEMO,list.pft?A=1%202",
       "--b\r\nContent-Disposition: form-data; name=\"S21STR\"\r\n\r\n100% \"Мёртвые души\"",
       "MARK,DEMO,127.0.0.1"},
      {"", "", "", ""},
      {"\"в кавычках\"", "file:///tmp/a b.html", "%0D%0A", ""},
  };
  IniFile store = IniFile::Open(dir.File("nav.ini"));
  WriteFavorites(store, "DESKTOP", written);
  ASSERT_TRUE(store.UpdateFile());

  const IniFile reread = IniFile::Open(dir.File("nav.ini"));
  EXPECT_EQ(written, ReadFavorites(reread, "Desktop", FavoritesEncoding::Utf8, 80));
}

TEST(WriteFavoritesTest, KeysBeyondTheNewCountStay) {
  IniFile store = IniFile::FromText(kFiveKept);
  std::vector<PageEntry> favorites = ReadFavorites(store, "DESKTOP", FavoritesEncoding::Utf8, 80);
  favorites.erase(favorites.begin());
  WriteFavorites(store, "DESKTOP", favorites);
  EXPECT_EQ(1, store.ReadInteger("DESKTOP", "FavoritesNumb", 0));
  EXPECT_EQ("TALOR:5,,DEMO,list.pft", store.ReadString("DESKTOP", "URLFavorites0", ""));
  EXPECT_EQ("Поиск", store.ReadString("DESKTOP", "TitleFavorites0", ""));
  EXPECT_EQ("Поиск", store.ReadString("DESKTOP", "TitleFavorites1", ""));
  EXPECT_EQ("Третий", store.ReadString("DESKTOP", "TitleFavorites2", ""));
  EXPECT_EQ("file:///tmp/5.html", store.ReadString("DESKTOP", "URLFavorites4", ""));
  EXPECT_EQ(favorites, ReadFavorites(store, "DESKTOP", FavoritesEncoding::Utf8, 80));
}

}  // namespace
}  // namespace talor
