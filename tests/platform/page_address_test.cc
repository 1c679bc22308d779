// Addresses and the detection rules of the headless page view.

#include "platform/page_address.h"

#include <gtest/gtest.h>

#include "platform/page_loader.h"

namespace talor {
namespace {

using namespace std::string_view_literals;

TEST(PageAddressTest, FileUrlPath) {
  struct Row {
    std::string_view url;
    std::optional<std::string> path;
  };
  const Row rows[] = {
      {"file:///tmp/a.html", "/tmp/a.html"},
      {"FILE://localhost/tmp/a.html", "/tmp/a.html"},
      {"file:/tmp/a.html", "/tmp/a.html"},
      {"file:////tmp/work/@TALOR_0_DEMO_logo.gif", "/tmp/work/@TALOR_0_DEMO_logo.gif"},
      {"file:///tmp/my%20page.html?x=1#top", "/tmp/my page.html"},
      {"file:///tmp/%D0%BA%D0%BD%D0%B8%D0%B3%D0%B0%zz.htm", "/tmp/книга%zz.htm"},
      {"file://server/share/a.html", std::nullopt},
      {"file:relative.html", std::nullopt},
      {"file:///tmp/a%00b", std::nullopt},
      {"http://host/a.html", std::nullopt},
      {"/tmp/a.html", std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FileUrlPath(row.url), row.path) << row.url;
  }
  EXPECT_EQ(FileUrlPath("file:///tmp/100%41.html", false), "/tmp/100%41.html");
}

TEST(PageAddressTest, ResolveUrl) {
  struct Row {
    std::string_view base, reference, resolved;
  };
  const Row rows[] = {
      {"file:///pages/a/index.html", "b.html", "file:///pages/a/b.html"},
      {"file:///pages/a/index.html", "../c/./d.html?q=1#f", "file:///pages/c/d.html?q=1#f"},
      {"file:///pages/a/index.html", "../../../x", "file:///x"},
      {"file:///pages/a/index.html", "/root.html", "file:///root.html"},
      {"file:///pages/a/index.html?old#x", "#part", "file:///pages/a/index.html?old#part"},
      {"file:///pages/a/index.html?old", "?new", "file:///pages/a/index.html?new"},
      {"file:///pages/a/index.html", "", "file:///pages/a/index.html"},
      {"http://host", "a.html", "http://host/a.html"},
      {"http://host/a/b?x", "//other/c", "http://other/c"},
      {"file:///pages/index.html", "TALOR:1,,DEMO,,K=a^b%20c", "TALOR:1,,DEMO,,K=a^b%20c"},
      {"TALOR:1,,DEMO", "#x", "TALOR:1,,DEMO#x"},
      {"about:blank", "page.html", "page.html"},
      {"", "page.html", "page.html"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ResolveUrl(row.base, row.reference), row.resolved)
        << row.base << " + " << row.reference;
  }
}

TEST(PageAddressTest, ReplaceQueryKeepsTheFragment) {
  EXPECT_EQ(ReplaceQuery("TALOR:?C21COM=S&X=1#hits", "a=1"), "TALOR:?a=1#hits");
  EXPECT_EQ(ReplaceQuery("TALOR:1,,DEMO", ""), "TALOR:1,,DEMO?");
  EXPECT_EQ(ReplaceQuery("file:///a.html#x?y", "q=2"), "file:///a.html?q=2#x?y");
}

TEST(PageAddressTest, UrlScheme) {
  EXPECT_EQ(UrlScheme("TALORFILE:/tmp/a.pdf"), "talorfile");
  EXPECT_EQ(UrlScheme("about:blank#"), "about");
  EXPECT_EQ(UrlScheme("/tmp/a:b"), "");
  EXPECT_EQ(UrlScheme("a b:c"), "");
  EXPECT_EQ(UrlScheme("nocolon"), "");
}

TEST(PageLoaderTest, DetectHtmlCharset) {
  struct Row {
    std::string_view bytes;
    std::string_view charset;
    size_t byteOrderMark;
  };
  const Row rows[] = {
      {"\xEF\xBB\xBF<p>\xC0</p>"sv, "UTF-8", 3},
      {"\xFF\xFE<\0p\0"sv, "UTF-16LE", 2},
      {"<meta charset=\"KOI8-R\"><p>\xC0</p>"sv, "koi8-r", 0},
      {"<META HTTP-EQUIV=Content-Type CONTENT='text/html; Charset=Windows-1251'>"sv, "windows-1251",
       0},
      {"<meta charset=utf-16>\xC0"sv, "UTF-8", 0},
      {"<meta charset=no-such-set><meta charset=cp866>"sv, "cp866", 0},
      {"<meta name=x><p>ёж</p>"sv, "UTF-8", 0},
      {"<meta charset=nonsense><p>\xB8\xE6</p>"sv, "windows-1251", 0},
  };
  for (const Row& row : rows) {
    DetectedCharset detected = DetectHtmlCharset(row.bytes);
    EXPECT_EQ(detected.name, row.charset) << row.bytes;
    EXPECT_EQ(detected.byteOrderMark, row.byteOrderMark) << row.bytes;
  }
  // Only the first 1024 bytes are searched.
  std::string late = std::string(1024, ' ') + "<meta charset=koi8-r>\xC0";
  EXPECT_EQ(DetectHtmlCharset(late).name, "windows-1251");
}

TEST(PageLoaderTest, DecodeToUtf8ReplacesWhatItCannotDecode) {
  EXPECT_EQ(DecodeToUtf8("\xCF\xF0\x98\xE8", "windows-1251"), "Пр\xEF\xBF\xBDи");
  EXPECT_EQ(DecodeToUtf8("\xF0\xD2\xC9", "koi8-r"), "При");
  EXPECT_EQ(DecodeToUtf8("ok\xC0", "utf-8"), "ok\xEF\xBF\xBD");
  EXPECT_EQ(DecodeToUtf8("x", "no-such-set"), std::nullopt);
}

TEST(PageLoaderTest, LooksLikeHtml) {
  EXPECT_TRUE(LooksLikeHtml("\xEF\xBB\xBF\r\n <!DOCTYPE HTML PUBLIC"));
  EXPECT_TRUE(LooksLikeHtml("<p>text"));
  EXPECT_TRUE(LooksLikeHtml("<!--x-->"));
  EXPECT_FALSE(LooksLikeHtml("<pre>"));  // not a page opener
  EXPECT_FALSE(LooksLikeHtml("<?xml version=\"1.0\"?>"));
  EXPECT_FALSE(LooksLikeHtml("plain text <html>"));
  EXPECT_FALSE(LooksLikeHtml("<html"));  // cut before the tag ends
}

}  // namespace
}  // namespace talor
