#include "client/framing.h"

#include <algorithm>
#include <limits>

#include "client/decimal.h"

namespace talor {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr size_t kSequenceLine = 3;
constexpr size_t kResendMarkLine = 8;
constexpr size_t kClientIdLine = 1;
constexpr size_t kAnswerSequenceLine = 2;
constexpr size_t kDeclaredLengthLine = 3;
constexpr std::string_view kResendMark = "1";

// The sequence number after `current`, or nullopt when it is not a number
// or cannot grow.
std::optional<std::string> NextSequenceNumber(std::string_view current) {
  std::optional<int32_t> value = ParseDecimal(current);
  if (!value || *value == std::numeric_limits<int32_t>::max()) return std::nullopt;
  return std::to_string(*value + 1);
}

std::string HeaderLines(const SessionIdentity& identity, std::string_view commandLine) {
  std::string header;
  for (std::string_view line :
       {std::string_view(identity.workstationCode), commandLine,
        std::string_view(identity.clientId), std::string_view(identity.sequenceNumber),
        std::string_view(identity.password), std::string_view(identity.user)}) {
    header += line;
    header += '\n';
  }
  header += "\n\n\n";
  return header;
}

std::string WithLengthLine(std::string text) { return std::to_string(text.size()) + '\n' + text; }

bool EndsWithLineBreak(std::string_view text) {
  return !text.empty() && (text.back() == '\n' || text.back() == '\r');
}

// The binary data after the binary marker at `marker`. Only a closing end
// marker that actually arrived is taken off: data cut short keep all their
// bytes.
std::string_view BinaryData(std::string_view received, size_t marker, bool tunnelled) {
  std::string_view data = received.substr(marker + kBinaryMarker.size());
  if (tunnelled && data.ends_with(kEndMarker)) data.remove_suffix(kEndMarker.size());
  return data;
}

// The framing reads answer lines both as owned list lines and as spans of
// the received bytes; a line's text comes through `textOf`, so that one
// definition serves both.
void Blank(ListLine& line) { line.text.clear(); }
void Blank(LineSpan& line) { line.size = 0; }

struct ListLineText {
  std::string_view operator()(const ListLine& line) const { return line.text; }
};

struct SpanText {
  std::string_view bytes;
  std::string_view operator()(const LineSpan& line) const {
    return bytes.substr(line.offset, line.size);
  }
};

template <typename Line, typename TextOf>
void UnwrapLines(std::vector<Line>& lines, TextOf textOf) {
  if (!lines.empty() && textOf(lines[0]) == kHttp10Line) lines.erase(lines.begin());
  for (size_t i = 0; i < lines.size(); ++i) {
    if (textOf(lines[i]) == kStartMarker) {
      lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(i) + 1);
      return;
    }
  }
}

template <typename Line, typename TextOf>
AnswerCheck CheckLines(std::vector<Line>& lines, TextOf textOf, const SessionIdentity& identity,
                       std::optional<size_t> binaryLength, bool lastLineEnded) {
  if (lines.size() <= kAnswerSequenceLine || textOf(lines[kClientIdLine]) != identity.clientId ||
      textOf(lines[kAnswerSequenceLine]) != identity.sequenceNumber) {
    return AnswerCheck::IdentityMismatch;
  }
  if (lines.size() <= kDeclaredLengthLine || textOf(lines[kDeclaredLengthLine]).empty()) {
    return AnswerCheck::Good;
  }
  int64_t declared = DecimalOrZero(textOf(lines[kDeclaredLengthLine]));
  if (binaryLength) declared -= static_cast<int64_t>(*binaryLength + kBinaryMarker.size());
  Blank(lines[kDeclaredLengthLine]);
  int64_t actual = 0;
  for (const Line& line : lines) actual += static_cast<int64_t>(textOf(line).size() + kCrLf.size());
  if (!lastLineEnded) actual -= static_cast<int64_t>(kCrLf.size());
  return declared == actual ? AnswerCheck::Good : AnswerCheck::LengthMismatch;
}

}  // namespace

std::optional<std::string> BuildRequestHeader(SessionIdentity& identity, char command) {
  std::optional<std::string> next =
      NextSequenceNumber(command == kRegisterCommand ? "0" : identity.sequenceNumber);
  if (!next) return std::nullopt;
  identity.sequenceNumber = *next;
  identity.currentCommand = command;
  identity.stopCounter = 1;
  return HeaderLines(identity, std::string_view(&command, 1));
}

std::string FramePlainPacket(char command, std::string_view requestText) {
  std::string text(1, command);
  text += '\n';
  text += requestText;
  return WithLengthLine(std::move(text));
}

std::string FrameTunnelRequest(char command, std::string_view requestText, std::string_view host,
                               std::string_view port) {
  std::string body(1, command);
  body += '\n';
  body += requestText;
  body += kCrLf;
  body += kEndMarker;
  std::string packet;
  packet += "POST ";
  packet += kGatewayPath;
  packet += " HTTP/1.1\r\nUser-Agent: ";
  packet += kGatewayUserAgent;
  packet += "\r\nHost: ";
  packet += host;
  packet += ':';
  packet += port;
  packet += "\r\nAccept: *.*\r\nContent-length: ";
  packet += std::to_string(body.size());
  packet += "\r\n\r\n";
  packet += body;
  return packet;
}

std::string FrameStopPacket(const SessionIdentity& identity) {
  std::string text(1, identity.currentCommand);
  text += '\n';
  text += HeaderLines(identity, kStopCommandLine);
  std::string packet = WithLengthLine(std::move(text));
  packet += '\n';
  packet += identity.stopCounter >= 2 ? '1' : '0';
  return packet;
}

AnswerParts SplitAnswerParts(std::string_view received, bool tunnelled) {
  AnswerParts parts;
  parts.text = received;
  size_t marker = received.find(kBinaryMarker);
  if (marker != std::string_view::npos) {
    parts.text = received.substr(0, marker);
    parts.binary = BinaryData(received, marker, tunnelled);
  }
  if (tunnelled) parts.text = parts.text.substr(0, parts.text.find(kEndMarker));
  parts.lastLineEnded = EndsWithLineBreak(parts.text);
  return parts;
}

void AnswerScanner::Reset(bool tunnelled, size_t maxBreaks) {
  tunnelled_ = tunnelled;
  splitter_ = LineSplitter(maxBreaks);
  binaryAt_.reset();
  endAt_.reset();
  binaryFrom_ = 0;
  endFrom_ = 0;
}

std::optional<size_t> AnswerScanner::Search(std::string_view received, size_t searchEnd,
                                            std::string_view marker, size_t& from) {
  const std::string_view within = received.substr(0, searchEnd);
  const size_t at = within.find(marker, from);
  if (at != std::string_view::npos) return at;
  // Only the last marker.size() - 1 bytes may still begin one.
  if (within.size() >= marker.size()) from = std::max(from, within.size() - marker.size() + 1);
  return std::nullopt;
}

size_t AnswerScanner::KnownTextEnd() const {
  size_t end = binaryAt_.value_or(binaryFrom_);
  if (tunnelled_) end = std::min(end, endAt_.value_or(endFrom_));
  return end;
}

bool AnswerScanner::Scan(std::string_view received, std::vector<LineSpan>& lines) {
  if (!binaryAt_) binaryAt_ = Search(received, received.size(), kBinaryMarker, binaryFrom_);
  // The text ends at the first end marker that lies wholly before the
  // binary marker.
  if (tunnelled_ && !endAt_) {
    endAt_ = Search(received, binaryAt_.value_or(received.size()), kEndMarker, endFrom_);
  }
  return splitter_.Split(received, KnownTextEnd(), lines);
}

std::optional<AnswerParts> AnswerScanner::Finish(std::string_view received,
                                                 std::vector<LineSpan>& lines) {
  if (!binaryAt_) binaryAt_ = Search(received, received.size(), kBinaryMarker, binaryFrom_);
  size_t textEnd = binaryAt_.value_or(received.size());
  if (tunnelled_) {
    // An end marker found before the binary marker was, but reaching into
    // it, is not in the text; no later one can be either.
    if (!endAt_ || *endAt_ + kEndMarker.size() > textEnd) {
      endAt_ = Search(received, textEnd, kEndMarker, endFrom_);
    }
    if (endAt_) textEnd = *endAt_;
  }
  if (!splitter_.Finish(received, textEnd, lines)) return std::nullopt;
  AnswerParts parts;
  parts.text = received.substr(0, textEnd);
  if (binaryAt_) parts.binary = BinaryData(received, *binaryAt_, tunnelled_);
  parts.lastLineEnded = EndsWithLineBreak(parts.text);
  return parts;
}

ReceivedAnswer SplitAnswer(std::string_view received, bool tunnelled) {
  const AnswerParts parts = SplitAnswerParts(received, tunnelled);
  ReceivedAnswer answer;
  if (parts.binary) answer.binary = std::string(*parts.binary);
  answer.lastLineEnded = parts.lastLineEnded;
  answer.lines.SetText(parts.text);
  return answer;
}

void UnwrapTunnelAnswer(StringList& lines) { UnwrapLines(lines.lines(), ListLineText()); }

void UnwrapTunnelAnswer(std::vector<LineSpan>& lines, std::string_view bytes) {
  UnwrapLines(lines, SpanText{bytes});
}

AnswerCheck CheckAnswer(StringList& lines, const SessionIdentity& identity,
                        const ReceivedAnswer& received) {
  std::optional<size_t> binaryLength;
  if (received.binary) binaryLength = received.binary->size();
  return CheckAnswer(lines, identity, binaryLength, received.lastLineEnded);
}

AnswerCheck CheckAnswer(StringList& lines, const SessionIdentity& identity,
                        std::optional<size_t> binaryLength, bool lastLineEnded) {
  return CheckLines(lines.lines(), ListLineText(), identity, binaryLength, lastLineEnded);
}

AnswerCheck CheckAnswer(std::vector<LineSpan>& lines, std::string_view bytes,
                        const SessionIdentity& identity, std::optional<size_t> binaryLength,
                        bool lastLineEnded) {
  return CheckLines(lines, SpanText{bytes}, identity, binaryLength, lastLineEnded);
}

void StripAnswerHeader(StringList& lines) {
  auto& all = lines.lines();
  size_t count = std::min(all.size(), static_cast<size_t>(kAnswerHeaderLines));
  all.erase(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(count));
}

bool PrepareResend(SessionIdentity& identity, std::string& requestText) {
  std::optional<std::string> next = NextSequenceNumber(identity.sequenceNumber);
  if (!next) return false;
  StringList lines;
  lines.SetText(requestText);
  if (lines.Count() < kRequestHeaderLines) return false;
  lines[kSequenceLine].text = *next;
  lines[kResendMarkLine].text = std::string(kResendMark);
  identity.sequenceNumber = std::move(*next);
  requestText = lines.Text();
  return true;
}

std::string BuildAnswer(const AnswerFrame& frame, const StringList& lines,
                        std::optional<std::string_view> binary) {
  std::string header(1, frame.command);
  header += kCrLf;
  header += frame.clientId;
  header += kCrLf;
  header += frame.sequenceNumber;
  header += kCrLf;
  std::string rest(kCrLf);  // line 3 is counted empty
  for (int i = 4; i < kAnswerHeaderLines; ++i) rest += kCrLf;
  for (const ListLine& line : lines) {
    rest += line.text;
    rest += kCrLf;
  }
  std::string declared;
  if (frame.declareLength) {
    size_t length = header.size() + rest.size();
    if (binary) length += kBinaryMarker.size() + binary->size();
    declared = std::to_string(length);
  }
  std::string answer = header + declared + rest;
  if (binary) {
    answer += kBinaryMarker;
    answer += *binary;
  }
  return answer;
}

std::string WrapTunnelAnswer(std::string_view answer) {
  std::string wrapped =
      "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n\r\n";
  wrapped += kStartMarker;
  wrapped += kCrLf;
  wrapped += answer;
  wrapped += kEndMarker;
  return wrapped;
}

}  // namespace talor
