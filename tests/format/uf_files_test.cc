// Keys that reach outside the record: nested formats, server resources,
// local files, external libraries.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "format/safety_policy.h"
#include "uf_test_util.h"

namespace talor {
namespace {

using testing::MakeRecord;
using testing::Outcome;
using testing::Row;
using testing::UfEngine;

// The directory of the demo library of external functions.
constexpr std::string_view kLibraryDir = TALOR_BINARY_DIR "/src/app";

class UfFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ =
        std::filesystem::temp_directory_path() / ("uf_files_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(directory_);
    SafetyRules rules;
    rules.libraryDirectories = {std::string(kLibraryDir)};
    rules.writeDirectories = {directory_.string()};
    rules.startPrograms = true;
    allowing_ = SafetyPolicy(rules);
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }
  std::string Path(std::string_view name) const { return (directory_ / name).string(); }
  // An engine whose safety rules allow the test directory, the demo library
  // and starting programs.
  void Allow(UfEngine& uf) const { uf.engine.SetSafetyPolicy(&allowing_); }

  std::filesystem::path directory_;
  SafetyPolicy allowing_;
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
  Allow(uf);
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
  Allow(uf);
  const Row rows[] = {
      {"&uf('+8talor-demo-action,no_such_function_here,text'),'|'", "|"},
      {"&uf('+8no-such-library,Fn,text'),'|'", "|"},
      // A bare name is looked up in the allowed directories only, never
      // along the system's library path.
      {"&uf('+8libc.so.6,realpath,/usr/../usr/.'),'|'", "|"},
      {"&uf('+8talor-demo-action'),'|'", "|"},
      {"&uf('+8'),'|'", "|"},
  };
  testing::ExpectRows(uf, rows);
}

TEST_F(UfFilesTest, ExternalLibraryIsCalledWithTextAndBuffer) {
  UfEngine uf;
  Allow(uf);
  const std::string search = "TALOR:?C21COM=2&I21DBN=DEMO&PFTNAME=brief&S21CNR=5&1S21STR=";
  EXPECT_EQ(search + "war&1S21P03=K%3D&1S21P02=1",
            uf.Out("&uf('+8talor-demo-action,TalorDemoSearch,war')"));
  EXPECT_EQ(search + "peace&1S21P03=K%3D&1S21P02=1",
            uf.Out("&uf('+8*talor-demo-action.so,TalorDemoSearch,peace')"));
  EXPECT_EQ(
      search + "x&1S21P03=K%3D&1S21P02=1",
      uf.Out("&uf('+8" + std::string(kLibraryDir) + "/talor-demo-action.so,TalorDemoSearch,x')"));
  // A function that fills the buffer without ending the text gets ended
  // after the buffer.
  EXPECT_EQ(std::string(32000, 'x'), uf.Out("&uf('+8talor-demo-action,TalorDemoFill,')"));
}

TEST_F(UfFilesTest, StartProgramWritesNothing) {
  UfEngine uf;
  Allow(uf);
  EXPECT_EQ((Outcome{"|", 0}), uf.Run("&uf('+2/no/such/program/anywhere'),'|'"));
  EXPECT_EQ((Outcome{"|", 0}), uf.Run("&uf('+2'),'|'"));
}

// Without rules that allow them (the reference server, the tools), formats
// neither start programs, nor load libraries, nor write or delete files;
// the result says why instead.
TEST_F(UfFilesTest, LocalActionsRefusedByDefault) {
  UfEngine uf;
  const std::string marker = Path("started");
  EXPECT_EQ(ProgramRefusedText("touch " + marker), uf.Out("&uf('+2touch " + marker + "')"));
  EXPECT_EQ(
      LibraryRefusedText(std::string(kLibraryDir) + "/talor-demo-action.so"),
      uf.Out("&uf('+8" + std::string(kLibraryDir) + "/talor-demo-action.so,TalorDemoSearch,x')"));
  EXPECT_EQ("|", uf.Out("&uf('+8talor-demo-action,TalorDemoSearch,x'),'|'"));
  std::ofstream(Path("keep.JPG")) << "x";
  EXPECT_EQ(WriteRefusedText(Path("*.JPG")), uf.Out("&uf('+9K" + Path("*.JPG") + "')"));
  EXPECT_TRUE(std::filesystem::exists(Path("keep.JPG")));
  const StringList record = MakeRecord({{953, "^Atxt^Bhello"}});
  EXPECT_EQ(WriteRefusedText(Path("out.txt")), uf.Out("&uf('+9D1#" + Path("out") + "')", record));
  EXPECT_FALSE(std::filesystem::exists(Path("out.txt")));
}

TEST_F(UfFilesTest, WritesOutsideTheAllowedDirectoriesAreRefused) {
  UfEngine uf;
  Allow(uf);
  const std::filesystem::path outside = directory_.string() + "-outside";
  std::filesystem::create_directories(outside);
  std::ofstream((outside / "keep.JPG").string()) << "x";
  const std::string escape = Path("../" + outside.filename().string() + "/*.JPG");
  EXPECT_EQ(WriteRefusedText(escape), uf.Out("&uf('+9K" + escape + "')"));
  EXPECT_TRUE(std::filesystem::exists(outside / "keep.JPG"));
  // An extension taken from the record cannot lead the file elsewhere.
  const StringList record = MakeRecord({{953, "^A/../../x^Bhello"}});
  EXPECT_NE("", uf.Out("&uf('+9D1#" + Path("out") + "')", record));
  std::filesystem::remove_all(outside);
}

}  // namespace
}  // namespace talor
