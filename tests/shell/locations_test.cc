#include "shell/locations.h"

#include <gtest/gtest.h>

#include "temp_dir.h"

namespace talor {
namespace {

class LocationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    context_.programDir = dir_.path();
    context_.homeDir = "/home/reader";
  }

  TempDir dir_;
  PathContext context_;
};

TEST_F(LocationsTest, ConfigurationFileFromTheFirstArgument) {
  EXPECT_EQ(dir_.File("Talor_Navigator.ini"), ConfigFilePath(context_, std::nullopt));
  EXPECT_EQ(dir_.File("Talor_Navigator.ini"), ConfigFilePath(context_, ""));
  EXPECT_EQ(dir_.File("other.ini"), ConfigFilePath(context_, "other.ini"));
  EXPECT_EQ(dir_.File("cfg/other.ini"), ConfigFilePath(context_, "cfg\\other.ini"));
  EXPECT_EQ("/etc/talor/nav.ini", ConfigFilePath(context_, "/etc/talor/nav.ini"));
  dir_.Write("talor_navigator.INI", "");
  EXPECT_EQ(dir_.File("talor_navigator.INI"), ConfigFilePath(context_, std::nullopt));
}

TEST_F(LocationsTest, StartedWithAnArgumentReadsAndWritesThatFile) {
  dir_.Write("other.ini", "[Main]\r\nServerIP=10.1.1.1\r\n");
  dir_.Write("Talor_Navigator.ini", "[Main]\r\nServerIP=10.2.2.2\r\n");
  ShellFiles files = OpenShellFiles(context_, "other.ini");
  EXPECT_EQ(dir_.File("other.ini"), files.configFile);
  EXPECT_EQ("10.1.1.1", files.localConfig.ReadString("Main", "ServerIP", ""));
  files.localConfig.WriteString("Main", "ServerIP", "10.3.3.3");
  ASSERT_TRUE(files.localConfig.UpdateFile());
  EXPECT_EQ("[Main]\r\nServerIP=10.3.3.3\r\n", dir_.Read("other.ini"));
  EXPECT_EQ("[Main]\r\nServerIP=10.2.2.2\r\n", dir_.Read("Talor_Navigator.ini"));
}

TEST_F(LocationsTest, NothingOnDiskGivesEveryDefault) {
  ShellFiles files = OpenShellFiles(context_, std::nullopt);
  EXPECT_EQ(IniLoadResult::Missing, files.localConfig.LoadResult());
  EXPECT_EQ(dir_.File("TALORMSG.TXT"), files.messageFile);
  EXPECT_FALSE(files.messagesLoaded);
  EXPECT_EQ(0, files.messages.Count());
  EXPECT_EQ("Arial", files.font.face);  // the font is read all the same
  EXPECT_EQ(204, files.font.charSet);
}

TEST_F(LocationsTest, MessageFileNamedByTheConfiguration) {
  dir_.Write("Talor_Navigator.ini",
             "[MAIN]\r\nTalorMsg=msg\\mine.txt\r\nFontName=Tahoma\r\nFontCharSet=x\r\n");
  std::filesystem::create_directory(dir_.File("msg"));
  dir_.Write("msg/MINE.TXT", "zero\r\none\r\n");
  ShellFiles files = OpenShellFiles(context_, std::nullopt);
  EXPECT_EQ(dir_.File("msg/MINE.TXT"), files.messageFile);
  ASSERT_TRUE(files.messagesLoaded);
  EXPECT_EQ("one", ResolveMessageText("@1", files.messages));
  EXPECT_EQ("Tahoma", files.font.face);
  EXPECT_EQ(204, files.font.charSet);
}

TEST_F(LocationsTest, EmptySettingsFallBackToTheirDefaults) {
  LocalConfig config = LocalConfig::FromText("[Main]\nTalorMsg=\nFontName=\nWorkdir=\n");
  EXPECT_EQ(dir_.File("TALORMSG.TXT"), MessageFilePath(context_, config));
  EXPECT_EQ("Arial", ReadFormFont(config).face);
  EXPECT_EQ(dir_.path(), WorkDirectory(context_, config));  // empty: the program directory
}

TEST_F(LocationsTest, AnInstalledNavigatorFallsBackToItsInstalledMessageFile) {
  TempDir installed;
  installed.Write("TALORMSG.TXT", "zero\r\n");
  context_.dataDir = installed.path();
  const LocalConfig plain;
  EXPECT_EQ(installed.File("TALORMSG.TXT"), MessageFilePath(context_, plain));

  // A file in the program directory wins, and so does a configured path.
  dir_.Write("TALORMSG.TXT", "zero\r\n");
  EXPECT_EQ(dir_.File("TALORMSG.TXT"), MessageFilePath(context_, plain));
  const LocalConfig absolute = LocalConfig::FromText("[Main]\nTalorMsg=/nowhere/MSG.TXT\n");
  EXPECT_EQ("/nowhere/MSG.TXT", MessageFilePath(context_, absolute));
  // A relative name missing in both places still names the program's one.
  const LocalConfig other = LocalConfig::FromText("[Main]\nTalorMsg=other.txt\n");
  EXPECT_EQ(dir_.File("other.txt"), MessageFilePath(context_, other));
}

TEST_F(LocationsTest, WorkDirectoryDefaultsToTheOldDefaultsNewPlace) {
  context_.runtimeDir = "/run/user/1000";
  EXPECT_EQ("/run/user/1000/talorwrk/", WorkDirectory(context_, LocalConfig()));
  LocalConfig config = LocalConfig::FromText("[Main]\nWorkdir=.\\tmp\\\n");
  EXPECT_EQ(dir_.File("tmp/"), WorkDirectory(context_, config));
}

}  // namespace
}  // namespace talor
