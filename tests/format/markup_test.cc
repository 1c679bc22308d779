// Markup conversion, record-number links and the optional output passes.

#include "format/markup.h"

#include <gtest/gtest.h>

#include <string>

namespace talor {
namespace {

constexpr std::string_view kColourTable =
    "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red0\\green255\\blue255;"
    "\\red0\\green255\\blue0;\\red255\\green0\\blue255;\\red255\\green0\\blue0;"
    "\\red255\\green255\\blue0;\\red255\\green255\\blue255;\\red0\\green0\\blue128;"
    "\\red0\\green128\\blue128;\\red0\\green128\\blue0;\\red128\\green0\\blue128;"
    "\\red128\\green0\\blue0;\\red128\\green128\\blue0;\\red128\\green128\\blue128;"
    "\\red192\\green192\\blue192;}";

std::string Converted(std::string text) {
  ConvertMarkup(text);
  return text;
}

TEST(MarkupTest, HtmlTags) {
  struct Row {
    std::string in;
    std::string out;
  } rows[] = {
      {"</>[[b]]word[[/b]]", "</><b>word</b>"},
      {"</>[[i]]a[[/i]][[u]]b[[/u]]", "</><i>a</i><u>b</u>"},
      {"</>x[[p]]2[[/p]][[d]]i[[/d]]", "</>x<sup>2</sup><sub>i</sub>"},
      {"</>[[c2]]x[[/c]]", "</><font style=\"color: #0000FF\">x</font>"},
      {"</>[[c99]]x", "</><font style=\"color: #000000\">x"},
      {"</>[[s10]]x[[/s]]", "</><font style=\"font-size: 10pt\">x</font>"},
      {"</>[[q]]x[[B]]", "</>[[q]]x[[B]]"},
      {"</>[[5]] [[]]", "</>[[5]] [[]]"},
      {"</>ab[[b", "</>ab[[b"},
      {"</>[[b]]a]]", "</><b>a]]"},
      {"pre&&&&&</>[[b]]", "</><b>"},
      {"pre&&&&&</>x", "pre&&&&&</>x"},
      {"plain [[b]]x", "plain [[b]]x"},
      {"</>[[", "</>[["},
  };
  for (const Row& row : rows) EXPECT_EQ(row.out, Converted(row.in)) << row.in;
}

TEST(MarkupTest, RtfTagsAndColourTable) {
  EXPECT_EQ("{" + std::string(kColourTable) + "\\rtf1 \\cf2 x\\cf0 }",
            Converted("{\\rtf1 [[c2]]x[[/c]]}"));
  EXPECT_EQ("{\\rtf1 \\fs20 x\\fs16 }", Converted("{\\rtf1 [[s10]]x[[/s]]}"));
  EXPECT_EQ("{\\rtf1 \\b x\\b0 \\ul u\\ul0 }", Converted("{\\rtf1 [[b]]x[[/b]][[u]]u[[/u]]}"));
  EXPECT_EQ("{\\rtf1 [[z]]}", Converted("{\\rtf1 [[z]]}"));
}

TEST(MarkupTest, DetectsKindAfterMarker) {
  EXPECT_EQ(OutputKind::kRtf, DetectOutputKind("{\\rtf1"));
  EXPECT_EQ(OutputKind::kHtml, DetectOutputKind("</>ab"));
  EXPECT_EQ(OutputKind::kNone, DetectOutputKind("</>a"));
  EXPECT_EQ(OutputKind::kNone, DetectOutputKind("<html>"));
  EXPECT_EQ(OutputKind::kHtml, DetectOutputKind("{rtf&&&&&</>abc"));
  EXPECT_EQ(OutputKind::kNone, DetectOutputKind("</>abc&&&&&text"));
}

TEST(MarkupTest, RecordNumberLinks) {
  struct Row {
    std::string in;
    std::string out;
  } rows[] = {
      {"</>see [[5]]", "</>see <TALOR TYPE=\"1\" VALUE=\",12,5\">&nbsp;"},
      {"</>[[0]] [[x]] [[-3]]", "</>[[0]] [[x]] [[-3]]"},
      {"</>[[1]][[2]]",
       "</><TALOR TYPE=\"1\" VALUE=\",12,1\">&nbsp;<TALOR TYPE=\"1\" "
       "VALUE=\",12,2\">&nbsp;"},
      {"{\\rtf x [[7]]}", "{\\rtf x  ... }"},
      {"plain [[5]]", "plain [[5]]"},
      {"[[5]]&&&&&</>[[6]", "[[5]]&&&&&</>[[6]"},
  };
  for (const Row& row : rows) {
    std::string text = row.in;
    LinkRecordNumbers(text, 12);
    EXPECT_EQ(row.out, text) << row.in;
  }
}

TEST(OutputPassTest, RemoveRtf) {
  EXPECT_EQ("bold text", RemoveRtf("{\\b bold\\b0  text}!"));
  EXPECT_EQ("a{b}\\c", RemoveRtf("a\\{b\\}\\\\c."));
  EXPECT_EQ("xy", RemoveRtf("x\\par\\tab y."));
  EXPECT_EQ("", RemoveRtf(""));
}

TEST(OutputPassTest, TidyPunctuation) {
  struct Row {
    std::string in;
    std::string out;
  } rows[] = {
      {"a..b", "a.b"},          {"a...b", "a...b"},      {"a....b", "a....b"},
      {"a.....b", "a....b"},    {"x.</b>.y", "x.</b>y"}, {"x.\\b0 .y", "x.\\b0 y"},
      {"a. - . - b", "a. - b"}, {"a. - <br>", "a<br>"},  {"a. - \\par", "a\\par"},
      {"a. - \r", "a\r"},       {"a. - b", "a. - b"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.out, TidyPunctuation(row.in)) << row.in;
}

TEST(OutputPassTest, RemoveDoubleBrackets) {
  EXPECT_EQ("ab[[y", RemoveDoubleBrackets("a[[x]]b[[y"));
  EXPECT_EQ("", RemoveDoubleBrackets("[[a]][[b]]"));
  EXPECT_EQ("a]]b", RemoveDoubleBrackets("a]]b"));
}

}  // namespace
}  // namespace talor
