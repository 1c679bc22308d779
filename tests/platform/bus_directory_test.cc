#include "platform/bus_directory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "shell/temp_dir.h"

namespace talor {
namespace {

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return 0;
  return info.st_mode & 07777;
}

TEST(BusDirectoryTest, CreatesAPrivateDirectoryOnlyWhenAsked) {
  TempDir temp;
  const std::string path = temp.File("bus");
  EXPECT_EQ(PrepareBusDirectory(path, false), BusDirectoryState::Missing);
  EXPECT_EQ(ModeOf(path), 0u);
  EXPECT_EQ(PrepareBusDirectory(path, true), BusDirectoryState::Usable);
  EXPECT_EQ(ModeOf(path), 0700u);
  EXPECT_EQ(PrepareBusDirectory(path, false), BusDirectoryState::Usable);
  EXPECT_EQ(PrepareBusDirectory(temp.File("no/such/parent"), true), BusDirectoryState::Failed);
}

TEST(BusDirectoryTest, RefusesWhatOthersCouldReachAndChangesNothing) {
  TempDir temp;
  ASSERT_EQ(::mkdir(temp.File("open").c_str(), 0700), 0);
  ASSERT_EQ(::chmod(temp.File("open").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(temp.File("real").c_str(), 0700), 0);
  ASSERT_EQ(::symlink(temp.File("real").c_str(), temp.File("link").c_str()), 0);
  temp.Write("file", "x");

  EXPECT_EQ(PrepareBusDirectory(temp.File("open"), true), BusDirectoryState::Unsafe);
  EXPECT_EQ(ModeOf(temp.File("open")), 0755u);
  // A link is refused even though it leads to a private directory.
  EXPECT_EQ(PrepareBusDirectory(temp.File("link"), true), BusDirectoryState::Unsafe);
  EXPECT_EQ(PrepareBusDirectory(temp.File("file"), true), BusDirectoryState::Unsafe);
  EXPECT_EQ(temp.Read("file"), "x");
}

}  // namespace
}  // namespace talor
