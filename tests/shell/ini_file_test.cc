#include "shell/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "temp_dir.h"

namespace talor {
namespace {

using Names = std::vector<std::string>;

constexpr char kSample[] =
    "; written by hand\r\n"
    "[Main]\r\n"
    "ServerIP = 10.0.0.5\r\n"
    "ServerPort=7777\r\n"
    "Workdir=c:\\talorwrk\\\r\n"
    "\r\n"
    "[CONTEXT]\r\n"
    "InitURL=\r\n"
    "ReturnHandle=12\r\n"
    "\r\n"
    "[DESKTOP]\r\n"
    "Scalable=1\r\n"
    "Width=wide\r\n";

TEST(IniFileTest, SectionsAndKeysIgnoreCase) {
  IniFile ini = IniFile::FromText(kSample);
  EXPECT_EQ("10.0.0.5", ini.ReadString("MAIN", "serverip", ""));
  EXPECT_EQ("10.0.0.5", ini.ReadString("main", "SERVERIP", ""));
  EXPECT_EQ(7777, ini.ReadInteger("Main", "ServerPort", 6666));
  EXPECT_TRUE(ini.ReadBool("Desktop", "scalable", false));
  EXPECT_TRUE(ini.SectionExists("context"));
  EXPECT_TRUE(ini.ValueExists("Context", "returnhandle"));
  EXPECT_FALSE(ini.ValueExists("Main", "ReturnHandle"));
}

TEST(IniFileTest, DefaultsAndPresentEmptyValues) {
  IniFile ini = IniFile::FromText(kSample);
  struct Row {
    const char* section;
    const char* key;
    int32_t defaultValue;
    int32_t expected;
  };
  const Row integers[] = {
      {"Main", "ServerPort", 6666, 7777},    {"Main", "Missing", 6666, 6666},
      {"Nowhere", "ServerPort", 6666, 6666}, {"DESKTOP", "Width", 640, 640},  // not a number
      {"CONTEXT", "InitURL", 5, 5},                                           // present but empty
      {"Main", "ServerIP", -1, -1},  // 10.0.0.5 is no integer
      {"CONTEXT", "ReturnHandle", 0, 12},
  };
  for (const Row& row : integers) {
    EXPECT_EQ(row.expected, ini.ReadInteger(row.section, row.key, row.defaultValue))
        << row.section << "/" << row.key;
  }
  // A key written with an empty value is no longer missing: it reads empty.
  EXPECT_EQ("", ini.ReadString("CONTEXT", "InitURL", "default"));
  EXPECT_EQ("default", ini.ReadString("CONTEXT", "USERNAME", "default"));
}

TEST(IniFileTest, BooleansAreIntegers) {
  IniFile ini =
      IniFile::FromText("[S]\nzero=0\none=1\nminus=-1\nbig=250\nword=true\nempty=\nblank= 0 \n");
  struct Row {
    const char* key;
    bool defaultValue;
    bool expected;
  };
  const Row rows[] = {
      {"zero", true, false},     {"one", false, true},   {"minus", false, true},
      {"big", false, true},      {"word", false, false}, {"word", true, true},
      {"empty", true, true},     {"blank", true, false}, {"missing", true, true},
      {"missing", false, false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected, ini.ReadBool("S", row.key, row.defaultValue)) << row.key;
  }
}

TEST(IniFileTest, SameSectionWrittenTwiceIsOneSection) {
  IniFile ini = IniFile::FromText("[Main]\nA=1\n[Other]\nX=x\n[MAIN]\nA=2\nB=3\n");
  EXPECT_EQ("1", ini.ReadString("Main", "A", ""));  // the first key counts
  EXPECT_EQ("3", ini.ReadString("Main", "B", ""));
  EXPECT_EQ((Names{"Main", "Other"}), ini.ReadSections());
  EXPECT_EQ((Names{"A", "B"}), ini.ReadSection("main"));
}

TEST(IniFileTest, LinesThatAreNoKeys) {
  IniFile ini = IniFile::FromText(
      "Stray=before any section\n"
      "[S]\n"
      "; Commented=1\n"
      "# Hashed=1\n"
      "no equals sign\n"
      "=no key\n"
      "[unclosed\n"
      "  Padded Key  =  value  \n"
      "Url=TALOR:1,a=b\n");
  EXPECT_FALSE(ini.ValueExists("S", "; Commented"));
  EXPECT_FALSE(ini.ValueExists("S", "Commented"));
  EXPECT_FALSE(ini.ValueExists("S", "# Hashed"));
  EXPECT_FALSE(ini.ValueExists("S", "Stray"));
  EXPECT_EQ("value", ini.ReadString("S", "Padded Key", ""));
  EXPECT_EQ("TALOR:1,a=b", ini.ReadString("S", "Url", ""));  // split at the first =
  EXPECT_EQ((Names{"S"}), ini.ReadSections());
  EXPECT_EQ((Names{"Padded Key", "Url"}), ini.ReadSection("S"));
}

TEST(IniFileTest, UnchangedTextIsWrittenBackUnchanged) {
  const std::string texts[] = {
      kSample,
      "[a]\nx = 1 ; not a comment\n\n\n;tail\n",
      "\xEF\xBB\xBF[Main]\r\nFontName=Arial\r\n",  // byte order mark kept
      "  [ Spaced ]  trailing\nk=v\n",
      "",
  };
  for (const std::string& text : texts) {
    EXPECT_EQ(text, IniFile::FromText(text).Text()) << text;
  }
  // A text without a final line break gains one; a lone CR becomes CR LF.
  EXPECT_EQ("[a]\nk=v\n", IniFile::FromText("[a]\nk=v").Text());
  EXPECT_EQ("[a]\r\nk=v\r\n", IniFile::FromText("[a]\rk=v").Text());
}

TEST(IniFileTest, ByteOrderMarkIsNoPartOfTheFirstSection) {
  IniFile ini = IniFile::FromText("\xEF\xBB\xBF[Main]\nFontName=Tahoma\n");
  EXPECT_EQ("Tahoma", ini.ReadString("Main", "FontName", "Arial"));
}

TEST(IniFileTest, WritingChangesOnlyWhatItWrites) {
  IniFile ini = IniFile::FromText(kSample);
  ASSERT_TRUE(ini.WriteString("main", "serverport", "8888"));  // existing key, other case
  ASSERT_TRUE(ini.WriteString("Main", "UserName", "reader"));  // new key
  ASSERT_TRUE(ini.WriteBool("CONTEXT", "InitURL", false));
  ASSERT_TRUE(ini.WriteInteger("Navigator", "TRMPORTION", -3));  // new section
  EXPECT_EQ(
      "; written by hand\r\n"
      "[Main]\r\n"
      "ServerIP = 10.0.0.5\r\n"
      "ServerPort=8888\r\n"
      "Workdir=c:\\talorwrk\\\r\n"
      "UserName=reader\r\n"
      "\r\n"
      "[CONTEXT]\r\n"
      "InitURL=0\r\n"
      "ReturnHandle=12\r\n"
      "\r\n"
      "[DESKTOP]\r\n"
      "Scalable=1\r\n"
      "Width=wide\r\n"
      "\r\n"
      "[Navigator]\r\n"
      "TRMPORTION=-3\r\n",
      ini.Text());
}

TEST(IniFileTest, WritingTheSameValueKeepsTheLineAsWritten) {
  IniFile ini = IniFile::FromText("[Main]\nServerIP = 10.0.0.5\n");
  ASSERT_TRUE(ini.WriteString("Main", "ServerIP", "10.0.0.5"));
  EXPECT_EQ("[Main]\nServerIP = 10.0.0.5\n", ini.Text());
}

TEST(IniFileTest, NewStoreIsWrittenInTheUsualShape) {
  IniFile ini;
  ini.WriteString("Main", "ServerIP", "127.0.0.1");
  ini.WriteInteger("Main", "ServerPort", 6666);
  ini.WriteBool("DESKTOP", "Favorites", true);
  EXPECT_EQ("[Main]\nServerIP=127.0.0.1\nServerPort=6666\n\n[DESKTOP]\nFavorites=1\n", ini.Text());
}

TEST(IniFileTest, NamesThatWouldBreakTheFileAreRefused) {
  IniFile ini = IniFile::FromText(kSample);
  const std::string before = ini.Text();
  EXPECT_FALSE(ini.WriteString("Main", "Evil\r\n[Main]\r\nServerIP", "x"));
  EXPECT_FALSE(ini.WriteString("Main", "a=b", "x"));
  EXPECT_FALSE(ini.WriteString("Main", "", "x"));
  EXPECT_FALSE(ini.WriteString("Ma]in", "Key", "x"));
  EXPECT_FALSE(ini.WriteString("Main\nX", "Key", "x"));
  EXPECT_EQ(before, ini.Text());
}

TEST(IniFileTest, ValuesWithLineBreaksCannotInjectKeys) {
  IniFile ini;
  const std::string postData =
      "--b\r\nContent-Disposition: form-data\r\n\r\n[Main]\r\nServerIP=6.6.6.6";
  ASSERT_TRUE(ini.WriteString("DESKTOP", "PostDataFavorites0", postData));
  ASSERT_TRUE(ini.WriteString("DESKTOP", "Padded", "  two blanks  "));
  IniFile reread = IniFile::FromText(ini.Text());
  EXPECT_EQ(postData, reread.ReadString("DESKTOP", "PostDataFavorites0", ""));
  EXPECT_EQ("  two blanks  ", reread.ReadString("DESKTOP", "Padded", ""));
  EXPECT_FALSE(reread.SectionExists("Main"));
  EXPECT_EQ((Names{"PostDataFavorites0", "Padded"}), reread.ReadSection("DESKTOP"));
}

TEST(IniFileTest, DeletingKeysAndSections) {
  IniFile ini = IniFile::FromText("[A]\nk=1\nK=2\nother=3\n[B]\nk=4\n[C]\nz=5\n");
  EXPECT_TRUE(ini.DeleteKey("a", "K"));  // every copy goes, so none resurfaces
  EXPECT_FALSE(ini.ValueExists("A", "k"));
  EXPECT_EQ("4", ini.ReadString("B", "k", ""));
  EXPECT_FALSE(ini.DeleteKey("A", "k"));
  EXPECT_FALSE(ini.DeleteKey("Missing", "k"));

  EXPECT_TRUE(ini.EraseSection("b"));
  EXPECT_FALSE(ini.EraseSection("B"));
  EXPECT_EQ((Names{"A", "C"}), ini.ReadSections());
  EXPECT_EQ("5", ini.ReadString("C", "z", ""));  // found after the index moved
  ASSERT_TRUE(ini.WriteString("C", "y", "6"));
  EXPECT_EQ("[A]\nother=3\n[C]\nz=5\ny=6\n", ini.Text());
}

TEST(IniFileTest, SetTextReplacesEverything) {
  IniFile ini = IniFile::FromText("[Navigator]\nTRMPORTION=50\n");
  ini.SetText("[MAIN]\r\nBlockSocket=1\r\n");
  EXPECT_EQ(100, ini.ReadInteger("Navigator", "TRMPORTION", 100));
  EXPECT_TRUE(ini.ReadBool("Main", "BlockSocket", false));
  EXPECT_EQ(IniLoadResult::NoFile, ini.LoadResult());
}

// Files on disk.

TEST(IniFileDiskTest, MissingFileReadsEmptyAndIsCreatedOnSave) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  LocalConfig config = LocalConfig::Open(dir.File("Talor_Navigator.ini"));
  EXPECT_EQ(IniLoadResult::Missing, config.LoadResult());
  EXPECT_EQ(6666, config.ReadInteger("Main", "ServerPort", 6666));
  config.WriteString("Main", "UserPassword", "secret");
  ASSERT_TRUE(config.UpdateFile());
  EXPECT_EQ("[Main]\nUserPassword=secret\n", dir.Read("Talor_Navigator.ini"));
  struct stat info {};
  ASSERT_EQ(0, ::stat(dir.File("Talor_Navigator.ini").c_str(), &info));
  EXPECT_EQ(0600u, info.st_mode & 0777u);  // it may hold a password
}

TEST(IniFileDiskTest, HandOverPageIsErasedInTheFile) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  dir.Write("nav.ini", "[CONTEXT]\r\nInitURL=TALOR:3,0,,start.html\r\nReturnHandle=77\r\n");
  LocalConfig config = LocalConfig::Open(dir.File("nav.ini"));
  EXPECT_EQ("TALOR:3,0,,start.html", config.ReadString("CONTEXT", "InitURL", ""));
  config.WriteString("CONTEXT", "InitURL", "");
  ASSERT_TRUE(config.UpdateFile());
  EXPECT_EQ("[CONTEXT]\r\nInitURL=\r\nReturnHandle=77\r\n", dir.Read("nav.ini"));
  LocalConfig again = LocalConfig::Open(dir.File("nav.ini"));
  EXPECT_EQ("", again.ReadString("CONTEXT", "InitURL", "x"));
}

TEST(IniFileDiskTest, SavingKeepsPermissionsAndFollowsLinks) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  dir.Write("real.ini", "[Main]\nA=1\n");
  ASSERT_EQ(0, ::chmod(dir.File("real.ini").c_str(), 0640));
  std::filesystem::create_symlink("real.ini", dir.File("link.ini"));
  LocalConfig config = LocalConfig::Open(dir.File("link.ini"));
  config.WriteInteger("Main", "A", 2);
  ASSERT_TRUE(config.UpdateFile());
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.ini")));
  EXPECT_EQ("[Main]\nA=2\n", dir.Read("real.ini"));
  struct stat info {};
  ASSERT_EQ(0, ::stat(dir.File("real.ini").c_str(), &info));
  EXPECT_EQ(0640u, info.st_mode & 0777u);
  // No temporary file is left behind.
  EXPECT_EQ(2, std::distance(std::filesystem::directory_iterator(dir.path()),
                             std::filesystem::directory_iterator()));
}

TEST(IniFileDiskTest, FailuresAreReportedAndLoseNothing) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  // A directory where the file should be cannot be read, and is not replaced.
  std::filesystem::create_directory(dir.File("dir.ini"));
  LocalConfig unreadable = LocalConfig::Open(dir.File("dir.ini"));
  EXPECT_EQ(IniLoadResult::Unreadable, unreadable.LoadResult());
  unreadable.WriteString("Main", "A", "1");
  EXPECT_FALSE(unreadable.UpdateFile());
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("dir.ini")));

  LocalConfig nowhere = LocalConfig::Open(dir.File("no/such/dir/x.ini"));
  EXPECT_EQ(IniLoadResult::Missing, nowhere.LoadResult());
  nowhere.WriteString("Main", "A", "1");
  EXPECT_FALSE(nowhere.UpdateFile());

  IniFile fromText = IniFile::FromText("[Main]\nA=1\n");
  EXPECT_FALSE(fromText.UpdateFile());  // server settings are never saved
}

TEST(IniFileDiskTest, MultiLineFavouriteSurvivesSaveAndReopen) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::string postData = "a=1\r\nb=2\r\n";
  LocalConfig config = LocalConfig::Open(dir.File("nav.ini"));
  config.WriteString("DESKTOP", "PostDataFavorites0", postData);
  config.WriteString("DESKTOP", "URLFavorites0", "TALOR:1");
  ASSERT_TRUE(config.UpdateFile());
  LocalConfig again = LocalConfig::Open(dir.File("nav.ini"));
  EXPECT_EQ(postData, again.ReadString("DESKTOP", "PostDataFavorites0", ""));
  EXPECT_EQ("TALOR:1", again.ReadString("DESKTOP", "URLFavorites0", ""));
}

}  // namespace
}  // namespace talor
