#include "shell/config_paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "temp_dir.h"

namespace talor {
namespace {

PathContext Context() {
  PathContext context;
  context.programDir = "/opt/talor/";
  context.homeDir = "/home/reader";
  context.runtimeDir = "/run/user/1000";
  return context;
}

TEST(ConfigPathsTest, WorkDirectoryIsCompletedFromTheProgramDirectory) {
  struct Row {
    const char* configured;
    const char* expected;
  };
  const Row rows[] = {
      {"", "/opt/talor/"},
      {"  ", "/opt/talor/"},
      {".", "/opt/talor/"},
      {"work", "/opt/talor/work/"},
      {"work/", "/opt/talor/work/"},
      {"ab", "/opt/talor/ab/"},
      {".\\tmp\\", "/opt/talor/tmp/"},
      {"./tmp", "/opt/talor/tmp/"},
      {"..\\shared\\wrk", "/opt/shared/wrk/"},
      {"a\\b\\c", "/opt/talor/a/b/c/"},
      {"c:work", "/opt/talor/work/"},  // drive-relative: the drive is dropped
      {"c:", "/opt/talor/"},
      {"D:\\data\\wrk\\", "/data/wrk/"},
      {"/var/cache/talor", "/var/cache/talor/"},
      {"/var//cache/./talor/../wrk/", "/var/cache/wrk/"},
      {"\\\\server\\share\\wrk", "/server/share/wrk/"},
      {"~/talor", "/home/reader/talor/"},
      {"~talor", "/opt/talor/~talor/"},
      {" work ", "/opt/talor/work/"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected, ResolvePath(row.configured, Context())) << row.configured;
  }
}

TEST(ConfigPathsTest, OldDefaultWorkDirectoryMovesToTheUsersDirectories) {
  for (const char* old : {"c:\\talorwrk\\", "C:\\TALORWRK", "c:/talorwrk/", " c:\\TalorWrk\\ "}) {
    EXPECT_TRUE(IsOldDefaultWorkdir(old)) << old;
    EXPECT_EQ("/run/user/1000/talorwrk/", ResolvePath(old, Context())) << old;
  }
  for (const char* other : {"c:\\talorwrk2\\", "d:\\talorwrk\\x", "talorwrk", "/talorwrk/sub"}) {
    EXPECT_FALSE(IsOldDefaultWorkdir(other)) << other;
  }

  PathContext noRuntime = Context();
  noRuntime.runtimeDir = "";
  EXPECT_EQ("/home/reader/.cache/talorwrk/", ResolvePath("c:\\talorwrk\\", noRuntime));
  noRuntime.runtimeDir = "relative/run";  // not usable
  EXPECT_EQ("/home/reader/.cache/talorwrk/", ResolvePath("c:\\talorwrk\\", noRuntime));
  noRuntime.homeDir = "";
  EXPECT_EQ("/opt/talor/talorwrk/", ResolvePath("c:\\talorwrk\\", noRuntime));
}

TEST(ConfigPathsTest, FileNamesFromTheConfiguration) {
  EXPECT_EQ("/opt/talor/TALORMSG.TXT", ProgramRelativePath("TALORMSG.TXT", Context()));
  EXPECT_EQ("/opt/talor/msg/TALORMSG.TXT", ProgramRelativePath("msg\\TALORMSG.TXT", Context()));
  EXPECT_EQ("/etc/talor/nav.ini", ProgramRelativePath("/etc/talor/nav.ini", Context()));
  EXPECT_EQ("/etc/nav.ini", ProgramRelativePath("c:\\etc\\nav.ini", Context()));
  EXPECT_EQ("/opt/talor/other.ini", ProgramRelativePath("other.ini", Context()));
  EXPECT_EQ("/opt/talor/", ProgramDirectory("/opt/talor"));
  EXPECT_EQ("/opt/talor/", ProgramDirectory("/opt/talor/"));
  EXPECT_EQ("/", ProgramDirectory("/"));
}

TEST(ConfigPathsTest, ThisProcessStartsFromItsCurrentDirectory) {
  PathContext context = PathContext::ForThisProcess();
  EXPECT_EQ(ProgramDirectory(std::filesystem::current_path().string()), context.programDir);
  EXPECT_EQ('/', context.programDir.back());
}

TEST(ConfigPathsTest, CreatingTheWorkDirectory) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  PathContext context = Context();
  context.programDir = dir.path();
  std::string work = ResolvePath("a\\b\\c\\", context);
  EXPECT_EQ(dir.path() + "a/b/c/", work);
  EXPECT_TRUE(CreateDirectories(work));
  EXPECT_TRUE(std::filesystem::is_directory(work));
  EXPECT_TRUE(CreateDirectories(work));  // already there
  dir.Write("file", "x");
  EXPECT_FALSE(CreateDirectories(dir.File("file")));
  EXPECT_FALSE(CreateDirectories(dir.File("file/sub/")));
}

TEST(ConfigPathsTest, FilesFoundRegardlessOfLetterCase) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  dir.Write("talormsg.txt", "x");
  dir.Write("Exact.ini", "x");
  dir.Write("exact.INI", "x");
  EXPECT_EQ(dir.File("talormsg.txt"), FindFileIgnoringCase(dir.File("TALORMSG.TXT")));
  EXPECT_EQ(dir.File("Exact.ini"), FindFileIgnoringCase(dir.File("Exact.ini")));
  EXPECT_EQ(dir.File("Exact.ini"), FindFileIgnoringCase(dir.File("EXACT.ini")));  // name order
  EXPECT_EQ(dir.File("none.ini"), FindFileIgnoringCase(dir.File("none.ini")));
  EXPECT_EQ(dir.File("no/dir.ini"), FindFileIgnoringCase(dir.File("no/dir.ini")));
}

}  // namespace
}  // namespace talor
