// Keys that reach outside the record: nested formats, server resources,
// local files, external libraries.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "uf_test_util.h"

namespace talor {
namespace {

using testing::MakeRecord;
using testing::Outcome;
using testing::Row;
using testing::UfEngine;

class UfFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ =
        std::filesystem::temp_directory_path() / ("uf_files_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(directory_);
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }
  std::string Path(std::string_view name) const { return (directory_ / name).string(); }

  std::filesystem::path directory_;
};

TEST_F(UfFilesTest, NestedFormatFile) {
  UfEngine uf;
  uf.files.files["brief.pft"] = "v200^a,' [[b]]x[[/b]]',&uf('S2'),/";
  uf.files.files["broken.pft"] = "v200^a,if";
  const StringList record = MakeRecord({{200, "^aTitle"}});
  const Row rows[] = {
      // The nested output loses its final line break and keeps its markup.
      {"'<',&uf('6brief'),'>'", "<Title [[b]]x[[/b]]>"},
      {"&uf('6missing'),'|'", "|"},
      {"&uf('6'),'|'", "|"},
  };
  testing::ExpectRows(uf, rows, record);
  EXPECT_NE(0, uf.Run("&uf('6broken')", record).code);
  // A format file that calls itself ends with an error, not a crash.
  uf.files.files["self.pft"] = "'x',&uf('6self')";
  EXPECT_EQ(99, uf.Run("&uf('6self')", record).code);
}

TEST_F(UfFilesTest, CounterIsRestoredAroundNestedFormat) {
  UfEngine uf;
  uf.files.files["count.pft"] = "&uf('S7A')";
  // The nested format counts on from the caller's value; the caller then
  // continues from its own.
  EXPECT_EQ("12|6", uf.Out("&uf('S0'),&uf('S5'),&uf('6count'),'|',&uf('S1A')"));
}

TEST_F(UfFilesTest, ServerResourceLinesInAGroup) {
  UfEngine uf;
  uf.files.files["res.txt"] = "\xCF\xE5\xF0\xE2\xE0\xFF\r\nsecond\r\n";
  const Row rows[] = {
      {"&uf('+9C10,,res.txt')", "Первая\r\nsecond\r\n"},
      {"(v10,'=',&uf('+9C10,,res.txt'),';')", "a=Первая;b=second;=;"},
      {"&uf('+9C10,,missing.txt'),'|'", "|"},
      {"&uf('+9Cx,,res.txt'),'|'", "|"},
  };
  testing::ExpectRows(uf, rows, MakeRecord({{10, "a"}, {10, "b"}}));
}

TEST_F(UfFilesTest, ResourceWrittenAndReadBack) {
  UfEngine uf;
  const StringList record = MakeRecord({{953, "^AJPG^B%FF%D8%00a%26b"}, {953, "^Atxt^Bhello"}});
  EXPECT_EQ("", uf.Out("&uf('+9D1#" + Path("image") + "')", record));
  std::ifstream image(Path("image.JPG"), std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(image), {}};
  EXPECT_EQ(std::string("\xFF\xD8\x00"
                        "a&b",
                        6),
            bytes);
  EXPECT_EQ("^AJPG^B%FF%D8%00a%26b", uf.Out("&uf('+9J" + Path("*.JPG") + "')"));
  // An extension given by the path is kept; `*` is the iteration number.
  uf.Out("(v953,&uf('+9D*#" + Path("copy") + "'))", record);
  EXPECT_TRUE(std::filesystem::exists(Path("copy.JPG")));
  EXPECT_TRUE(std::filesystem::exists(Path("copy.txt")));
  EXPECT_EQ("", uf.Out("&uf('+9D2#" + Path("named.bin") + "')", record));
  EXPECT_EQ("^Abin^Bhello", uf.Out("&uf('+9J" + Path("named.*") + "')"));
  // Nothing to write: no such occurrence.
  EXPECT_EQ("", uf.Out("&uf('+9D3#" + Path("none") + "')", record));
  EXPECT_FALSE(std::filesystem::exists(Path("none.")));
  // A file that cannot be written says so.
  EXPECT_EQ("Format error &uf('+9D...",
            uf.Out("&uf('+9D1#" + Path("no/such/dir/file") + "')", record));
  // Deleting by mask.
  EXPECT_EQ("", uf.Out("&uf('+9K" + Path("*.JPG") + "')"));
  EXPECT_FALSE(std::filesystem::exists(Path("image.JPG")));
  EXPECT_TRUE(std::filesystem::exists(Path("named.bin")));
  EXPECT_EQ("", uf.Out("&uf('+9J" + Path("*.JPG") + "')"));
}

TEST_F(UfFilesTest, ExternalLibraryThatCannotBeFound) {
  UfEngine uf;
  const Row rows[] = {
      {"&uf('+8/no/such/library.so,Fn,text'),'|'", "|"},
      {"&uf('+8*/no/such/library.so,Fn,text'),'|'", "|"},
      {"&uf('+8libc.so.6,no_such_function_here,text'),'|'", "|"},
      {"&uf('+8libc.so.6'),'|'", "|"},
      {"&uf('+8'),'|'", "|"},
  };
  testing::ExpectRows(uf, rows);
}

TEST_F(UfFilesTest, ExternalLibraryIsCalledWithTextAndBuffer) {
  UfEngine uf;
  // realpath(text, buffer) of the C library writes its answer into the
  // buffer, as an external function of this kind does.
  EXPECT_EQ("/usr", uf.Out("&uf('+8libc.so.6,realpath,/usr/../usr/.')"));
  EXPECT_EQ("/usr", uf.Out("&uf('+8*libc.so.6,realpath,/usr/./')"));
}

TEST_F(UfFilesTest, StartProgramWritesNothing) {
  UfEngine uf;
  EXPECT_EQ((Outcome{"|", 0}), uf.Run("&uf('+2/no/such/program/anywhere'),'|'"));
  EXPECT_EQ((Outcome{"|", 0}), uf.Run("&uf('+2'),'|'"));
}

}  // namespace
}  // namespace talor
