#include "server/format_loader.h"

#include <gtest/gtest.h>

#include "server/temp_dir.h"

namespace talor::server {
namespace {

TEST(CutCommentTest, OnlyOutsideLiterals) {
  EXPECT_EQ(CutComment("v200 /* title */"), "v200 ");
  EXPECT_EQ(CutComment("'a/*b', v200"), "'a/*b', v200");
  EXPECT_EQ(CutComment("\"/*\"/*x"), "\"/*\"");
  EXPECT_EQ(CutComment("/*"), "");
  EXPECT_EQ(CutComment("v200/"), "v200/");
}

class FormatLoaderTest : public ::testing::Test {
 protected:
  TempDir dir_;
  CatalogueFiles files_{dir_.path()};
};

TEST_F(FormatLoaderTest, FilesInlineTextAndIncludes) {
  dir_.Write("db/DEMO/brief.pft", "v200 /* title */\r\n,v700\r\n");
  dir_.Write("db/DEMO/part.pft", "'\xc0'");  // Windows-1251 А
  dir_.Write("db/DEMO/utf.pft", "!'Я'");
  dir_.Write("db/DEMO/loop.pft", "\x1cloop\x1d");
  struct Row {
    std::string_view spec;
    std::string_view text;
  };
  const Row rows[] = {
      {"", ""},
      {"@brief", "v200 ,v700"},
      {"@BRIEF.PFT", "v200 ,v700"},  // file names match without regard to case
      {"@missing", ""},
      {"@part", "'А'"},  // converted from Windows-1251
      {"@utf", "'Я'"},   // "!" marks UTF-8 text
      {"!v200 /* c */", "v200 "},
      {"v1,\x1cpart\x1d,v2", "v1,'А',v2"},
      {"v1,\x1cnothing\x1d", "v1,"},
      {"v1\x1cunclosed", "v1,unclosed"},
      {"@../../etc/passwd", ""},
  };
  for (const Row& row : rows) EXPECT_EQ(LoadFormat(files_, "demo", row.spec), row.text) << row.spec;
}

TEST_F(FormatLoaderTest, SelfIncludeStopsAfterTheLimit) {
  dir_.Write("db/DEMO/loop.pft", "x\x1cloop\x1d");
  std::string text = LoadFormat(files_, "DEMO", "@loop");
  EXPECT_EQ(text.find('\x1c') != std::string::npos, true);
  EXPECT_LE(text.size(), static_cast<size_t>(kMaxIncludes) + 10);
}

}  // namespace
}  // namespace talor::server
