#include "client/server_answer.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "client/receive_buffer.h"
#include "text/string_list.h"

namespace talor {
namespace {

std::vector<std::string> Strings(const std::vector<std::string_view>& views) {
  return {views.begin(), views.end()};
}

std::vector<std::string> Lines(const ServerAnswer& answer) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < answer.size(); ++i) lines.emplace_back(answer[i]);
  return lines;
}

// The splitting rule one byte at a time, to hold the block-wise scan against.
std::vector<std::string> SplitByteByByte(std::string_view text) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.push_back(line);
      line.clear();
      open = false;
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += text[i];
      open = true;
    }
  }
  if (open) lines.push_back(line);
  return lines;
}

// Splits `text` with a LineSplitter fed in stretches that end at `cuts`
// (ascending), then ends it; nullopt when the splitter refuses.
std::optional<std::vector<std::string>> SplitInStretches(std::string_view text,
                                                         const std::vector<size_t>& cuts,
                                                         size_t maxBreaks = SIZE_MAX) {
  LineSplitter splitter(maxBreaks);
  std::vector<LineSpan> spans;
  for (size_t cut : cuts) {
    if (!splitter.Split(text, cut, spans)) return std::nullopt;
  }
  if (!splitter.Finish(text, text.size(), spans)) return std::nullopt;
  std::vector<std::string> lines;
  for (const LineSpan& span : spans) lines.emplace_back(text.substr(span.offset, span.size));
  return lines;
}

TEST(AnswerLineSplitTest, EveryKindOfLineEnd) {
  struct Row {
    std::string text;
    std::vector<std::string> lines;
  };
  const std::vector<Row> rows = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"a\r\n", {"a"}},
      {"\r\n\r\n", {"", ""}},
      {"a\n\r\nb", {"a", "", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"a\n\nb", {"a", "", "b"}},
      {std::string("x\0y\r\n", 5), {std::string("x\0y", 3)}},
      // A CR LF split across the blocks of the scan.
      {std::string(15, 'p') + "\r\n" + std::string(15, 'q'),
       {std::string(15, 'p'), std::string(15, 'q')}},
      {std::string(16, 'p') + "\r\n", {std::string(16, 'p')}},
      {std::string(63, 'p') + "\r\n" + std::string(70, 'q') + "\n",
       {std::string(63, 'p'), std::string(70, 'q')}},
      {std::string(47, 'p') + "\r" + std::string(16, 'q') + "\n\r\n",
       {std::string(47, 'p'), std::string(16, 'q'), ""}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Strings(SplitLines(row.text)), row.lines) << row.text;
    // Fed one byte at a time, every CR LF is split between two stretches.
    std::vector<size_t> everyByte(row.text.size());
    for (size_t i = 0; i < everyByte.size(); ++i) everyByte[i] = i;
    EXPECT_EQ(SplitInStretches(row.text, everyByte), row.lines) << row.text;
  }
}

TEST(AnswerLineSplitTest, StretchesAgreeWithTheByteByByteRuleOnRandomTexts) {
  std::mt19937 random(20261208);
  // Dense line breaks, and sparse ones that leave whole blocks without any.
  const std::string alphabets[] = {"\r\n\r\nabc", "\r\n" + std::string(60, 'x')};
  for (int round = 0; round < 1000; ++round) {
    const std::string& alphabet = alphabets[round % 2];
    std::string text(random() % 300, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    std::vector<size_t> cuts;
    for (size_t at = 0; at < text.size(); at += random() % 20) cuts.push_back(at);
    ASSERT_EQ(Strings(SplitLines(text)), SplitByteByByte(text)) << round;
    ASSERT_EQ(SplitInStretches(text, cuts), SplitByteByByte(text)) << round;
  }
}

TEST(AnswerLineSplitTest, BreakLimitCountsEveryCrAndLf) {
  EXPECT_EQ(SplitInStretches("a\r\nb\r\n", {}, 4), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(SplitInStretches("a\r\nb\r\n", {2}, 3), std::nullopt);
  const std::string breaks(100, '\n');
  EXPECT_EQ(SplitInStretches(breaks, {50}, 100)->size(), 100u);
  EXPECT_EQ(SplitInStretches(breaks, {50}, 99), std::nullopt);
}

TEST(AnswerLineSplitTest, SetTextMayReadOneOfTheListsOwnLines) {
  StringList list{{"first line of a long text\r\nsecond line of a long text", 3}, {"x", 4}};
  list.SetText(list[0].text);
  EXPECT_EQ(list,
            (StringList{{"first line of a long text", 0}, {"second line of a long text", 0}}));
}

TEST(ReceiveBufferTest, GrowsKeepingItsBytesAndViewsSurviveAMove) {
  ReceiveBuffer buffer;
  std::string expected;
  for (int i = 0; i < 1000; ++i) {
    const std::string piece = std::to_string(i) + ";";
    std::span<char> room = buffer.Space(piece.size() + 7);
    ASSERT_EQ(room.size(), piece.size() + 7);
    piece.copy(room.data(), piece.size());
    buffer.Commit(piece.size());
    expected += piece;
  }
  EXPECT_EQ(buffer.view(), expected);
  const std::string_view view = buffer.view();
  ReceiveBuffer moved = std::move(buffer);
  EXPECT_EQ(moved.view().data(), view.data());
  EXPECT_EQ(moved.view(), expected);
  EXPECT_EQ(buffer.size(), 0u);
  EXPECT_EQ(buffer.capacity(), 0u);

  const size_t capacity = moved.capacity();
  moved.Clear();
  EXPECT_TRUE(moved.view().empty());
  EXPECT_EQ(moved.capacity(), capacity);
}

TEST(ReceiveBufferTest, DoublingStopsAtTheMostCapacityButRoomIsAlwaysGiven) {
  ReceiveBuffer buffer;
  buffer.Space(1000, 1500);
  buffer.Commit(1000);
  EXPECT_EQ(buffer.capacity(), 1000u);
  buffer.Space(100, 1500);  // doubling would give 2000
  EXPECT_EQ(buffer.capacity(), 1500u);
  buffer.Commit(100);
  buffer.Space(1000, 1500);  // more than the most: exactly what is needed
  EXPECT_EQ(buffer.capacity(), 2100u);
  EXPECT_THROW(buffer.Space(SIZE_MAX), std::bad_alloc);
  EXPECT_EQ(buffer.size(), 1100u);
}

TEST(ServerAnswerTest, SingleLineDropFrontAndCopies) {
  ServerAnswer answer = ServerAnswer::SingleLine("-2222");
  ASSERT_EQ(answer.size(), 1u);
  EXPECT_EQ(answer[0], "-2222");
  ServerAnswer copy = answer;
  answer.DropFront(5);
  EXPECT_TRUE(answer.empty());
  // The copy keeps the store and so its lines.
  ASSERT_EQ(copy.size(), 1u);
  EXPECT_EQ(copy[0], "-2222");
  copy.Clear();
  EXPECT_TRUE(copy.empty());
  EXPECT_TRUE(ServerAnswer::SingleLine("")[0].empty());
}

TEST(ServerAnswerTest, CopyToReplacesTheListWithOwnedLinesOfTheVisiblePart) {
  auto store = std::make_shared<AnswerStore>();
  store->bytes.Append("K\r\nheader\r\n0\r\nfirst\r\n\r\nlast");
  LineSplitter().Finish(store->bytes.view(), store->bytes.size(), store->lines);
  ServerAnswer answer(store);
  store.reset();
  answer.DropFront(2);
  EXPECT_EQ(Lines(answer), (std::vector<std::string>{"0", "first", "", "last"}));

  StringList list{{"old", 7}, {"lines", 8}, {"to", 9}, {"go", 1}, {"away", 2}};
  answer.CopyTo(list);
  answer.Clear();
  EXPECT_EQ(list, (StringList{{"0", 0}, {"first", 0}, {"", 0}, {"last", 0}}));
  ServerAnswer().CopyTo(list);
  EXPECT_TRUE(list.empty());
}

}  // namespace
}  // namespace talor
