// Loading formats: comments, code pages, includes, the line form, the
// server fallback and the result lists of the entry points.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/format_engine.h"
#include "format/format_loading.h"
#include "format_test_util.h"

namespace talor {
namespace {

using testing::MakeRecord;
using testing::MemoryFiles;

TEST(FormatLoadingTest, CommentsOutsideLiterals) {
  struct Row {
    std::string line;
    std::string cut;
  } rows[] = {
      {"v1/*x", "v1"},
      {"'a/*b'/*c", "'a/*b'"},
      {"\"a/*b\"v1/*c", "\"a/*b\"v1"},
      {"|x/*|v1/*", "|x/*|v1"},
      {"'open /*", "'open /*"},
      {"/*", ""},
      {"v1", "v1"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.cut, CutComment(row.line)) << row.line;
}

TEST(FormatLoadingTest, FileNames) {
  EXPECT_EQ("brief.pft", FormatFileName("brief"));
  EXPECT_EQ("brief.txt", FormatFileName("brief.txt"));
  EXPECT_EQ("a.b.c", FormatFileName("a.b.c"));
}

class FormatByNameTest : public ::testing::Test {
 protected:
  FormatByNameTest() { engine.SetFileReader(&files); }

  // The output lines joined by "|", or "error N".
  std::string Format(std::string_view name) {
    StringList record = MakeRecord({{200, "^aTitle"}, {101, "rus"}});
    StringList result;
    const int32_t code = engine.FormatRecordByName(record, "DEMO", name, result);
    if (code != 0) return "error " + std::to_string(code);
    return result.Join("|");
  }

  FormatEngine engine;
  MemoryFiles files;
};

TEST_F(FormatByNameTest, FilesAreJoinedAndConverted) {
  files.files["brief.pft"] = "'\xCF\xF0'/*comment\r\nv200^a\r\n";
  files.files["utf.pft"] = "!'Пр'";
  files.files["lines.pft"] = "'a'#\r\n'b'";
  files.files["sep.pft"] = "'a'\x1A'b'";
  files.files["crlf.txt"] = "v101";
  EXPECT_EQ("ПрTitle", Format("brief"));
  EXPECT_EQ("Пр", Format("utf"));
  EXPECT_EQ("a|b", Format("lines"));
  EXPECT_EQ("ab", Format("sep"));
  EXPECT_EQ("rus", Format("crlf.txt"));
  EXPECT_EQ("", Format("missing"));
}

TEST_F(FormatByNameTest, IncludesAreSpliced) {
  files.files["main.pft"] = "'<'\x1Cpart\x1D'>'";
  files.files["part.pft"] = "'mid'\x1Cinner\x1D";
  files.files["inner.pft"] = "v101";
  files.files["hole.pft"] = "'<'\x1Cnothing\x1D'>'";
  files.files["open.pft"] = "'<'\x1C'>'";
  files.files["self.pft"] = "'x'\x1Cself\x1D";
  EXPECT_EQ("<midrus>", Format("main"));
  EXPECT_EQ("<>", Format("hole"));
  EXPECT_EQ("<>", Format("open"));
  files.reads = 0;
  EXPECT_EQ("error 999", Format("self"));
  EXPECT_EQ(kMaxIncludes + 1, files.reads);
}

TEST(FormatByTextTest, InlineTextAndLines) {
  FormatEngine engine;
  StringList record = MakeRecord({{101, "rus"}});
  StringList result;
  EXPECT_EQ(0, engine.FormatRecordByText(record, "DEMO", "'a'\x1A'b' /* 'c'", result));
  EXPECT_EQ("ab", result.Join("|"));
  EXPECT_EQ(0, engine.FormatRecordByText(record, "DEMO", "'\xE0'", result));
  EXPECT_EQ("а", result.Join("|"));
  EXPECT_EQ(0, engine.FormatRecordByText(record, "DEMO", "!'а'", result));
  EXPECT_EQ("а", result.Join("|"));
  EXPECT_EQ(0, engine.FormatRecordByLines(record, "DEMO", {{"'a' /* c"}, {"#v101"}}, result));
  EXPECT_EQ("a|rus", result.Join("|"));
  EXPECT_EQ(99, engine.FormatRecordByText(record, "DEMO", "'a' ?", result));
  EXPECT_EQ("a", result.Join("|"));
}

class FakeFormatServer : public FormatServer {
 public:
  std::optional<StringList> FormatOnServer(std::string_view database, std::string_view spec,
                                           const StringList& record) override {
    lastDatabase = database;
    lastSpec = spec;
    lastMfn = record.size() > 1 ? record[1].object : -1;
    return answer;
  }
  std::optional<StringList> answer;
  std::string lastDatabase;
  std::string lastSpec;
  int32_t lastMfn = 0;
};

TEST(ServerFallbackTest, TheServerFormatsWhatTheEngineCannot) {
  FormatEngine engine;
  FakeFormatServer server;
  MemoryFiles files;
  files.files["refs.pft"] = "'local',ref(3,v200)";
  engine.SetServer(&server);
  engine.SetFileReader(&files);
  StringList record = MakeRecord({{200, "x"}}, 12);
  StringList result;

  server.answer = StringList{{"0"}, {"line one"}, {"line two"}};
  EXPECT_EQ(0, engine.FormatRecordByName(record, "DEMO", "refs", result));
  EXPECT_EQ("line one|line two", result.Join("|"));
  EXPECT_EQ("@refs", server.lastSpec);
  EXPECT_EQ("DEMO", server.lastDatabase);
  EXPECT_EQ(12, server.lastMfn);

  EXPECT_EQ(0, engine.FormatRecordByText(record, "DEMO", "'a',ref(3,v200)", result));
  EXPECT_EQ("!'a',ref(3,v200)", server.lastSpec);

  server.answer = StringList{{"-140"}};
  EXPECT_EQ(-140, engine.FormatRecordByName(record, "DEMO", "refs", result));
  EXPECT_EQ("", result.Join("|"));

  server.answer = StringList{{"garbage"}, {"x"}};
  EXPECT_EQ(-2222, engine.FormatRecordByName(record, "DEMO", "refs", result));

  server.answer = StringList{{" -140"}};
  EXPECT_EQ(-140, engine.FormatRecordByName(record, "DEMO", "refs", result));
  // A plus before the minus makes no number: this answer used to pass for
  // the code -140; it is an unreadable answer like any other that is no
  // number.
  server.answer = StringList{{"+-140"}};
  EXPECT_EQ(-2222, engine.FormatRecordByName(record, "DEMO", "refs", result));

  server.answer = std::nullopt;
  EXPECT_EQ(999, engine.FormatRecordByName(record, "DEMO", "refs", result));
}

TEST(PostProcessingTest, MarkerAndMarkupInRunFormat) {
  FormatEngine engine;
  struct Row {
    std::string format;
    std::string output;
  } rows[] = {
      {"'head&&&&&</>[[b]]x[[/b]]'", "</><b>x</b>"},
      {"'head&&&&&plain[[b]]x'", "head&&&&&plain[[b]]x"},
      {"'</>[[b]]x[[/b]] &&&&&</>[[i]]'", "</><i>"},
      {"'</>see [[5]]'", "</>see <TALOR TYPE=\"1\" VALUE=\",12,5\">&nbsp;"},
      {"'text [[5]]'", "text [[5]]"},
  };
  for (const Row& row : rows) {
    std::string output;
    StringList record = MakeRecord({}, 12);
    EXPECT_EQ(0, engine.RunFormat(record, "DEMO", {}, 8, output, row.format)) << row.format;
    EXPECT_EQ(row.output, output) << row.format;
  }
}

TEST(PostProcessingTest, NestedMarkupSuppression) {
  FormatEngine engine;
  engine.suppressMarkup = true;
  std::string output;
  StringList record = MakeRecord({});
  EXPECT_EQ(0, engine.RunFormat(record, "DEMO", {}, 8, output, "'</>[[b]]x'"));
  EXPECT_EQ("</>[[b]]x", output);
}

}  // namespace
}  // namespace talor
