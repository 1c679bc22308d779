#include "ui/file_access.h"

#include <gtest/gtest.h>

#include "ui/content_types.h"
#include "ui/scratch_dir.h"

namespace talor {
namespace {

namespace fs = std::filesystem;

class FileAccessTest : public ::testing::Test {
 protected:
  FileAccessTest() : root_(dir_.path() / "work") {
    dir_.Write("work/page.html", "<p>1</p>");
    dir_.Write("work/sub/pic.gif", "GIF89a");
    dir_.Write("secret.txt", "secret");
    fs::create_symlink(dir_.path() / "secret.txt", root_ / "out");
    fs::create_symlink(dir_.path(), root_ / "up");
    fs::create_symlink("sub/pic.gif", root_ / "in.gif");
  }

  std::string Lookup(std::string_view relative) {
    ServedFile file = FindServedFile(root_, relative);
    switch (file.lookup) {
      case FileLookup::kFound:
        return fs::relative(file.path, root_).string() + " " + std::to_string(file.size);
      case FileLookup::kNotFound:
        return "not found";
      case FileLookup::kOutside:
        return "outside";
    }
    return "?";
  }

  ScratchDir dir_;
  fs::path root_;
};

TEST_F(FileAccessTest, ServesOnlyFilesInsideTheRoot) {
  EXPECT_EQ(Lookup("page.html"), "page.html 8");
  EXPECT_EQ(Lookup("/sub/pic.gif"), "sub/pic.gif 6");
  EXPECT_EQ(Lookup("//sub/../page.html"), "page.html 8");
  EXPECT_EQ(Lookup("in.gif"), "sub/pic.gif 6");  // a link that stays inside
  EXPECT_EQ(Lookup("../secret.txt"), "outside");
  EXPECT_EQ(Lookup("sub/../../secret.txt"), "outside");
  EXPECT_EQ(Lookup("out"), "outside");
  EXPECT_EQ(Lookup("up/secret.txt"), "outside");
  EXPECT_EQ(Lookup("missing.html"), "not found");
  EXPECT_EQ(Lookup("sub"), "not found");
  EXPECT_EQ(Lookup(""), "not found");
  EXPECT_EQ(Lookup(std::string_view("page.html\0.gif", 14)), "not found");
}

TEST_F(FileAccessTest, RootThatIsAPrefixOfASiblingDoesNotReachIt) {
  dir_.Write("work2/other.txt", "x");
  EXPECT_EQ(Lookup("../work2/other.txt"), "outside");
}

TEST_F(FileAccessTest, ListsDirectoryAsJson) {
  dir_.Write("work/.hidden", "h");
  fs::last_write_time(root_ / "page.html",
                      std::chrono::file_clock::from_sys(
                          std::chrono::sys_seconds{std::chrono::seconds{1700000000}}));
  std::string json;
  ASSERT_EQ(ListDirectory((root_ / "sub").string() + "/..", false, json), ListingResult::kListed);
  std::string root = root_.string();
  EXPECT_EQ(json.substr(0, json.find("\"entries\"")),
            "{\"path\":\"" + root + "\",\"parent\":\"" + dir_.path().string() + "\",");
  // Sorted by name; hidden left out; a broken link would still be listed.
  std::size_t in = json.find("{\"name\":\"in.gif\",\"directory\":false,\"size\":6,");
  std::size_t out = json.find("{\"name\":\"out\",\"directory\":false,\"size\":6,");
  std::size_t page =
      json.find("{\"name\":\"page.html\",\"directory\":false,\"size\":8,\"modified\":1700000000}");
  std::size_t sub = json.find("{\"name\":\"sub\",\"directory\":true,\"size\":0,");
  EXPECT_NE(in, std::string::npos) << json;
  EXPECT_LT(in, out);
  EXPECT_LT(out, page);
  EXPECT_LT(page, sub);
  EXPECT_NE(sub, std::string::npos) << json;
  EXPECT_EQ(json.find(".hidden"), std::string::npos);

  ASSERT_EQ(ListDirectory(root, true, json), ListingResult::kListed);
  EXPECT_NE(json.find("{\"name\":\".hidden\""), std::string::npos);

  ASSERT_EQ(ListDirectory("/", false, json), ListingResult::kListed);
  EXPECT_EQ(json.find("{\"path\":\"/\",\"parent\":null,"), 0u) << json.substr(0, 60);
}

TEST_F(FileAccessTest, ListingRefusesWhatItCannotList) {
  std::string json = "unchanged";
  EXPECT_EQ(ListDirectory("work", false, json), ListingResult::kNotAbsolute);
  EXPECT_EQ(ListDirectory("", false, json), ListingResult::kNotAbsolute);
  EXPECT_EQ(ListDirectory((root_ / "missing").string(), false, json), ListingResult::kNotDirectory);
  EXPECT_EQ(ListDirectory((root_ / "page.html").string(), false, json),
            ListingResult::kNotDirectory);
  EXPECT_EQ(json, "unchanged");
}

TEST(ContentTypeTest, ByExtension) {
  struct Row {
    std::string_view name;
    std::string_view type;
  };
  const Row rows[] = {
      {"a.html", "text/html"},
      {"A.HTM", "text/html"},
      {"dir.x/a.gif", "image/gif"},
      {"a.jpg", "image/jpeg"},
      {"a.JPEG", "image/jpeg"},
      {"a.png", "image/png"},
      {"a.bmp", "image/bmp"},
      {"a.css", "text/css"},
      {"a.js", "text/javascript"},
      {"a.txt", "text/plain"},
      {"a.pdf", "application/pdf"},
      {"a.pft", "application/octet-stream"},
      {"dir.html/a", "application/octet-stream"},
      {"html", "application/octet-stream"},
  };
  for (const Row& row : rows) EXPECT_EQ(ContentTypeFor(row.name), row.type) << row.name;
}

}  // namespace
}  // namespace talor
