#include "client/framing.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace talor {
namespace {

SessionIdentity MakeIdentity() {
  SessionIdentity identity;
  identity.host = "127.0.0.1";
  identity.port = "6666";
  identity.workstationCode = "R";
  identity.clientId = "123456";
  identity.sequenceNumber = "4";
  identity.user = "librarian";
  identity.password = "secret";
  return identity;
}

// Splits, checks and strips `bytes` the way the transport will.
struct Outcome {
  AnswerCheck check;
  StringList lines;
  std::optional<std::string> binary;
};
Outcome Receive(std::string_view bytes, const SessionIdentity& identity, bool tunnelled) {
  ReceivedAnswer received = SplitAnswer(bytes, tunnelled);
  if (tunnelled) UnwrapTunnelAnswer(received.lines);
  Outcome outcome{CheckAnswer(received.lines, identity, received), received.lines, received.binary};
  if (outcome.check == AnswerCheck::Good) StripAnswerHeader(outcome.lines);
  return outcome;
}

TEST(RequestHeaderTest, SearchRequestBytes) {
  SessionIdentity identity = MakeIdentity();
  std::optional<std::string> header = BuildRequestHeader(identity, 'K');
  ASSERT_TRUE(header);
  EXPECT_EQ("R\nK\n123456\n5\nsecret\nlibrarian\n\n\n\n", *header);
  EXPECT_EQ("5", identity.sequenceNumber);
  EXPECT_EQ('K', identity.currentCommand);
  EXPECT_EQ(1, identity.stopCounter);

  std::string request = *header + "DEMO\n\"A=SMITH$\"";
  std::string packet = FramePlainPacket('K', request);
  const std::string body = "K\nR\nK\n123456\n5\nsecret\nlibrarian\n\n\n\nDEMO\n\"A=SMITH$\"";
  EXPECT_EQ(std::to_string(body.size()) + "\n" + body, packet);
  EXPECT_EQ("50\n", packet.substr(0, 3));
}

TEST(RequestHeaderTest, RegistrationRestartsSequence) {
  SessionIdentity identity = MakeIdentity();
  identity.sequenceNumber = "77";
  for (char command : {'K', 'C', 'N'}) ASSERT_TRUE(BuildRequestHeader(identity, command));
  EXPECT_EQ("80", identity.sequenceNumber);
  std::optional<std::string> header = BuildRequestHeader(identity, kRegisterCommand);
  ASSERT_TRUE(header);
  EXPECT_EQ("R\nA\n123456\n1\nsecret\nlibrarian\n\n\n\n", *header);
  ASSERT_TRUE(BuildRequestHeader(identity, 'O'));
  EXPECT_EQ("2", identity.sequenceNumber);
}

TEST(RequestHeaderTest, UnusableSequenceLeavesHeaderUnbuilt) {
  for (const char* sequence : {"", "abc", "2147483647", " 3"}) {
    SessionIdentity identity = MakeIdentity();
    identity.sequenceNumber = sequence;
    identity.stopCounter = 3;
    EXPECT_FALSE(BuildRequestHeader(identity, 'K')) << sequence;
    EXPECT_EQ(sequence, identity.sequenceNumber);
    EXPECT_EQ(3, identity.stopCounter);
  }
}

TEST(RequestFramingTest, TunnelForm) {
  std::string body = std::string("N\n") + "R\nN\n1\n2\n\n\n\n\n\n" + "\r\nTALOR_END_REQUEST";
  std::string expected =
      "POST /cgi-bin/wwwtalor.exe HTTP/1.1\r\n"
      "User-Agent: DORNE/Talor64\r\n"
      "Host: example.test:80\r\n"
      "Accept: *.*\r\n"
      "Content-length: " +
      std::to_string(body.size()) + "\r\n\r\n" + body;
  EXPECT_EQ(expected, FrameTunnelRequest('N', "R\nN\n1\n2\n\n\n\n\n\n", "example.test", "80"));
}

TEST(RequestFramingTest, StopPacketLevels) {
  SessionIdentity identity = MakeIdentity();
  ASSERT_TRUE(BuildRequestHeader(identity, 'K'));
  const std::string text = "K\nR\n4\n123456\n5\nsecret\nlibrarian\n\n\n\n";
  const std::string framed = std::to_string(text.size()) + "\n" + text + "\n";
  EXPECT_EQ(framed + "0", FrameStopPacket(identity));
  identity.stopCounter = 2;
  EXPECT_EQ(framed + "1", FrameStopPacket(identity));
  identity.stopCounter = 3;
  EXPECT_EQ(framed + "1", FrameStopPacket(identity));
}

TEST(ResendTest, DiffersInSequenceMarkAndLineEnds) {
  SessionIdentity identity = MakeIdentity();
  std::string request = *BuildRequestHeader(identity, 'C') + "DEMO\n12\n0\n\n";
  ASSERT_TRUE(PrepareResend(identity, request));
  EXPECT_EQ("6", identity.sequenceNumber);
  EXPECT_EQ("R\r\nC\r\n123456\r\n6\r\nsecret\r\nlibrarian\r\n\r\n\r\n1\r\nDEMO\r\n12\r\n0\r\n\r\n",
            request);
  ASSERT_TRUE(PrepareResend(identity, request));
  EXPECT_EQ("R\r\nC\r\n123456\r\n7\r\nsecret\r\nlibrarian\r\n\r\n\r\n1\r\nDEMO\r\n12\r\n0\r\n\r\n",
            request);
}

TEST(ResendTest, ParameterWithoutLineEndGainsOne) {
  SessionIdentity identity = MakeIdentity();
  std::string request = *BuildRequestHeader(identity, 'O') + "DEMO";
  ASSERT_TRUE(PrepareResend(identity, request));
  EXPECT_EQ("R\r\nO\r\n123456\r\n6\r\nsecret\r\nlibrarian\r\n\r\n\r\n1\r\nDEMO\r\n", request);
}

TEST(ResendTest, RefusedWithoutFullHeader) {
  SessionIdentity identity = MakeIdentity();
  std::string request = "R\nK\n123456\n5\n";
  EXPECT_FALSE(PrepareResend(identity, request));
  EXPECT_EQ("R\nK\n123456\n5\n", request);
  EXPECT_EQ("4", identity.sequenceNumber);
}

TEST(AnswerTest, FramedAnswerPassesAndIsStripped) {
  SessionIdentity identity = MakeIdentity();
  StringList proper{{"0"}, {"12#0"}, {"0#3"}, {"200#^aName"}};
  std::string bytes = BuildAnswer({'C', "123456", "4"}, proper);
  Outcome outcome = Receive(bytes, identity, false);
  EXPECT_EQ(AnswerCheck::Good, outcome.check);
  EXPECT_EQ(proper, outcome.lines);
  EXPECT_FALSE(outcome.binary);
}

TEST(AnswerTest, BuiltAnswerBytes) {
  std::string bytes = BuildAnswer({'N', "7", "9"}, StringList{{"0"}});
  // 1+2 "N", 1+2 "7", 1+2 "9", 2 for line 3, 6*2 empty lines, 1+2 "0".
  EXPECT_EQ("N\r\n7\r\n9\r\n26\r\n\r\n\r\n\r\n\r\n\r\n\r\n0\r\n", bytes);
  EXPECT_EQ("N\r\n7\r\n9\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n0\r\n",
            BuildAnswer({'N', "7", "9", false}, StringList{{"0"}}));
}

TEST(AnswerTest, Checks) {
  SessionIdentity identity = MakeIdentity();
  const std::string good = BuildAnswer({'K', "123456", "4"}, StringList{{"0"}, {"3"}});
  const std::string undeclared = BuildAnswer({'K', "123456", "4", false}, StringList{{"0"}});
  struct Row {
    const char* name;
    std::string bytes;
    AnswerCheck check;
  };
  const Row rows[] = {
      {"good", good, AnswerCheck::Good},
      {"LF line ends count as CR LF", "K\n123456\n4\n31\n\n\n\n\n\n\n0\n", AnswerCheck::Good},
      {"no declared length: identity only", undeclared, AnswerCheck::Good},
      {"no declared length, cut short", undeclared.substr(0, 20), AnswerCheck::Good},
      {"lost its last CR LF", good.substr(0, good.size() - 2), AnswerCheck::LengthMismatch},
      // A lone CR still ends the last line: every byte of text arrived.
      {"lost only its last LF", good.substr(0, good.size() - 1), AnswerCheck::Good},
      {"lost a whole line", good.substr(0, good.size() - 3), AnswerCheck::LengthMismatch},
      {"one byte too many", good + "x", AnswerCheck::LengthMismatch},
      {"declared length not a number", "K\r\n123456\r\n4\r\nabc\r\n", AnswerCheck::LengthMismatch},
      {"other client", BuildAnswer({'K', "123457", "4"}, StringList{{"0"}}),
       AnswerCheck::IdentityMismatch},
      {"other sequence", BuildAnswer({'K', "123456", "5"}, StringList{{"0"}}),
       AnswerCheck::IdentityMismatch},
      {"sequence compared as text", BuildAnswer({'K', "123456", "04"}, StringList{{"0"}}),
       AnswerCheck::IdentityMismatch},
      {"too short for identity", "K\r\n123456\r\n", AnswerCheck::IdentityMismatch},
      {"nothing arrived", "", AnswerCheck::IdentityMismatch},
      {"just the identity", "K\r\n123456\r\n4", AnswerCheck::Good},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.check, Receive(row.bytes, identity, false).check) << row.name;
  }
}

TEST(AnswerTest, CheckBlanksDeclaredLength) {
  SessionIdentity identity = MakeIdentity();
  ReceivedAnswer received = SplitAnswer(BuildAnswer({'K', "123456", "4"}, {{"0"}}), false);
  ASSERT_EQ(AnswerCheck::Good, CheckAnswer(received.lines, identity, received));
  EXPECT_EQ("", received.lines[3].text);
}

TEST(AnswerTest, BinaryData) {
  SessionIdentity identity = MakeIdentity();
  const std::string data("\x89PNG\r\n\x1a\n\0\x01TALOR_END", 18);
  std::string bytes = BuildAnswer({'L', "123456", "4"}, StringList{{"0"}}, data);
  Outcome outcome = Receive(bytes, identity, false);
  EXPECT_EQ(AnswerCheck::Good, outcome.check);
  EXPECT_EQ((StringList{{"0"}}), outcome.lines);
  ASSERT_TRUE(outcome.binary);
  EXPECT_EQ(data, *outcome.binary);

  // The declared length covers the data: a lost byte of them is noticed.
  EXPECT_EQ(AnswerCheck::LengthMismatch,
            Receive(bytes.substr(0, bytes.size() - 1), identity, false).check);

  // Empty binary data still count the marker.
  Outcome empty = Receive(BuildAnswer({'L', "123456", "4"}, {{"0"}}, ""), identity, false);
  EXPECT_EQ(AnswerCheck::Good, empty.check);
  ASSERT_TRUE(empty.binary);
  EXPECT_EQ("", *empty.binary);
}

TEST(TunnelAnswerTest, UnwrapsAndStripsEndMarker) {
  SessionIdentity identity = MakeIdentity();
  StringList proper{{"0"}, {"line"}};
  std::string bytes = WrapTunnelAnswer(BuildAnswer({'K', "123456", "4"}, proper));
  Outcome outcome = Receive(bytes, identity, true);
  EXPECT_EQ(AnswerCheck::Good, outcome.check);
  EXPECT_EQ(proper, outcome.lines);

  const std::string data = "GIF89a\x01\x02";
  bytes = WrapTunnelAnswer(BuildAnswer({'L', "123456", "4"}, {{"0"}}, data));
  outcome = Receive(bytes, identity, true);
  EXPECT_EQ(AnswerCheck::Good, outcome.check);
  ASSERT_TRUE(outcome.binary);
  EXPECT_EQ(data, *outcome.binary);
}

TEST(TunnelAnswerTest, BinaryDataWithoutClosingMarkerKeepAllBytes) {
  ReceivedAnswer received = SplitAnswer("L\r\nTALOR_BINARY_DATAabc", true);
  ASSERT_TRUE(received.binary);
  EXPECT_EQ("abc", *received.binary);
}

TEST(TunnelAnswerTest, Unwrap) {
  struct Row {
    const char* name;
    StringList lines;
    StringList unwrapped;
  };
  const Row rows[] = {
      {"no start line keeps all but HTTP/1.0", {{"HTTP/1.0"}, {"K"}, {"1"}}, {{"K"}, {"1"}}},
      {"only an exact HTTP/1.0 line is dropped",
       {{"HTTP/1.0 200 OK"}, {"K"}},
       {{"HTTP/1.0 200 OK"}, {"K"}}},
      {"start line and all before it go",
       {{"HTTP/1.0 200 OK"}, {"X: y"}, {""}, {"TALOR_START_REQUEST"}, {"K"}, {"1"}},
       {{"K"}, {"1"}}},
      {"only the first start line counts",
       {{"TALOR_START_REQUEST"}, {"K"}, {"TALOR_START_REQUEST"}},
       {{"K"}, {"TALOR_START_REQUEST"}}},
      {"empty", {}, {}},
  };
  for (const Row& row : rows) {
    StringList lines = row.lines;
    UnwrapTunnelAnswer(lines);
    EXPECT_EQ(row.unwrapped, lines) << row.name;
  }
}

TEST(TunnelAnswerTest, TextIsCutAtEndMarker) {
  ReceivedAnswer received = SplitAnswer("a\r\nb\r\nTALOR_END_REQUEST\r\nc\r\n", true);
  EXPECT_EQ((StringList{{"a"}, {"b"}}), received.lines);
  received = SplitAnswer("a\r\nb\r\nTALOR_END_REQUEST\r\nc\r\n", false);
  EXPECT_EQ(4u, received.lines.size());
}

// The parts and lines of an answer as one text, to compare splits by.
std::string Describe(const AnswerParts& parts, const std::vector<std::string_view>& lines) {
  std::string described = "text[" + std::string(parts.text) + "] binary[";
  if (parts.binary) described += *parts.binary;
  described += parts.binary ? "] ended " : "none] ended ";
  described += parts.lastLineEnded ? "1 lines" : "0 lines";
  for (std::string_view line : lines) described += "|" + std::string(line);
  return described;
}

// Scans `bytes` in stretches ending at `cuts` (ascending) and describes
// the parts and lines found, or "refused".
std::string ScanInStretches(std::string_view bytes, bool tunnelled, const std::vector<size_t>& cuts,
                            size_t maxBreaks = SIZE_MAX) {
  AnswerScanner scanner;
  scanner.Reset(tunnelled, maxBreaks);
  std::vector<LineSpan> spans;
  for (size_t cut : cuts) {
    if (!scanner.Scan(bytes.substr(0, cut), spans)) return "refused";
  }
  const std::optional<AnswerParts> parts = scanner.Finish(bytes, spans);
  if (!parts) return "refused";
  std::vector<std::string_view> lines;
  for (const LineSpan& span : spans) lines.push_back(bytes.substr(span.offset, span.size));
  return Describe(*parts, lines);
}

// The same description from the split of the whole answer at once.
std::string SplitWhole(std::string_view bytes, bool tunnelled) {
  const AnswerParts parts = SplitAnswerParts(bytes, tunnelled);
  return Describe(parts, SplitLines(parts.text));
}

TEST(AnswerScannerTest, StretchesAgreeWithTheWholeAnswerSplit) {
  // Pieces that make markers appear whole, cut, overlapping and repeated.
  const std::vector<std::string> pieces = {
      "a",  "b\r",  "\n",         "\r\n", "TALOR_BINARY_DATA", "TALOR_END_REQUEST",
      "TA", "LOR_", "END_REQUES", "T",    "BINARY_DATA",       "TALOR_END_REQUESTALOR_BINARY_DATA"};
  std::mt19937 random(81208);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes;
    const size_t count = random() % 12;
    for (size_t i = 0; i < count; ++i) bytes += pieces[random() % pieces.size()];
    std::vector<size_t> cuts;
    for (size_t at = random() % 8; at < bytes.size(); at += 1 + random() % 9) cuts.push_back(at);
    for (bool tunnelled : {false, true}) {
      ASSERT_EQ(ScanInStretches(bytes, tunnelled, cuts), SplitWhole(bytes, tunnelled))
          << "round " << round << " tunnelled " << tunnelled << ": " << bytes;
    }
  }
}

TEST(AnswerScannerTest, EndMarkerReachingIntoTheBinaryMarkerDoesNotEndTheText) {
  const std::string bytes = "a\r\nTALOR_END_REQUESTALOR_BINARY_DATAxyz";
  // The end marker is whole in the second stretch, the binary marker only in
  // the third.
  const std::string scanned = ScanInStretches(bytes, true, {8, 24, 30});
  EXPECT_EQ(scanned, "text[a\r\nTALOR_END_REQUES] binary[xyz] ended 0 lines|a|TALOR_END_REQUES");
  EXPECT_EQ(scanned, SplitWhole(bytes, true));
}

TEST(AnswerScannerTest, TooManyLineBreaksAreRefusedBeforeTheAnswerEnds) {
  AnswerScanner scanner;
  scanner.Reset(false, 3);
  std::vector<LineSpan> spans;
  // The last bytes may still begin a marker, so they wait for more.
  const std::string bytes = "a\r\nb\r\nc\n" + std::string(kBinaryMarker.size(), 'x');
  EXPECT_TRUE(scanner.Scan(std::string_view(bytes).substr(0, 3), spans));
  EXPECT_FALSE(scanner.Scan(bytes, spans));
  // Breaks in the binary data do not count.
  EXPECT_EQ(ScanInStretches("a\r\nTALOR_BINARY_DATA\n\n\n\n", false, {5, 25}, 2),
            "text[a\r\n] binary[\n\n\n\n] ended 1 lines|a");
}

TEST(AnswerTest, StripKeepsLinesFromTen) {
  StringList lines;
  for (int i = 0; i < 12; ++i) lines.Add(std::to_string(i));
  StripAnswerHeader(lines);
  EXPECT_EQ((StringList{{"10"}, {"11"}}), lines);
  StringList shortList{{"a"}, {"b"}};
  StripAnswerHeader(shortList);
  EXPECT_TRUE(shortList.empty());
}

}  // namespace
}  // namespace talor
