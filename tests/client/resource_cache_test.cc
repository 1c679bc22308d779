#include "client/resource_cache.h"

#include <gtest/gtest.h>

namespace talor {
namespace {

struct KeyCase {
  const char* path;
  const char* key;
};

class ResourceCacheKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(ResourceCacheKeyTest, PathsDifferingInLetterCaseShareAKey) {
  EXPECT_EQ(ResourceCache::Key(GetParam().path), GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ResourceCacheKeyTest,
    ::testing::Values(KeyCase{"10.demo.brief.pft", "10.DEMO.BRIEF.PFT"},
                      KeyCase{"10.DEMO.@Logo.gif", "10.DEMO.@LOGO.GIF"},
                      // UTF-8 names are upper-cased by the Unicode rules.
                      KeyCase{"10.каталог.опись.pft", "10.КАТАЛОГ.ОПИСЬ.PFT"},
                      // Bytes that are not UTF-8 are taken as ANSI (Windows-1251).
                      KeyCase{"10.\xea\xe0\xf2.pft", "10.\xca\xc0\xd2.PFT"},
                      // A UTF-8 lead byte cut off at the end is not UTF-8 either.
                      KeyCase{"10.db.x\xd0", "10.DB.X\xd0"}));

TEST(ResourceCacheTest, TextAndBinaryEntriesAreSeparateAndClearEmptiesBoth) {
  ResourceCache cache;
  cache.StoreText("10.DEMO.x", StringList{{"text", 0}});
  cache.StoreBinary("10.DEMO.x", std::string("\0\1", 2));
  ASSERT_NE(cache.FindText("10.demo.X"), nullptr);
  EXPECT_EQ(*cache.FindText("10.demo.X"), (StringList{{"text", 0}}));
  ASSERT_NE(cache.FindBinary("10.DEMO.X"), nullptr);
  EXPECT_EQ(cache.FindBinary("10.DEMO.X")->size(), 2u);
  EXPECT_EQ(cache.FindText("10.DEMO.y"), nullptr);
  cache.StoreText("10.demo.X", StringList{{"newer", 0}});
  EXPECT_EQ((*cache.FindText("10.DEMO.x"))[0].text, "newer");
  EXPECT_EQ(cache.size(), 2u);
  cache.Clear();
  EXPECT_EQ(cache.size(), 0u);
  EXPECT_EQ(cache.FindText("10.DEMO.x"), nullptr);
  EXPECT_EQ(cache.FindBinary("10.DEMO.x"), nullptr);
}

}  // namespace
}  // namespace talor
