// Framing of requests to the catalogue server and of its answers. Every text
// is a byte string and nothing is converted. docs/protocol.md describes the
// wire form in prose; this header is its single definition in code, shared by
// the client's transport, the reference server and the tests.

#ifndef TALOR_CLIENT_FRAMING_H_
#define TALOR_CLIENT_FRAMING_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/result_codes.h"
#include "text/string_list.h"

namespace talor {

// Markers (exact texts).
inline constexpr std::string_view kStartMarker = "TALOR_START_REQUEST";
inline constexpr std::string_view kEndMarker = "TALOR_END_REQUEST";
inline constexpr std::string_view kBinaryMarker = "TALOR_BINARY_DATA";
inline constexpr std::string_view kHttp10Line = "HTTP/1.0";

// The gateway on a web server, used when the port is kTunnelPort.
inline constexpr std::string_view kGatewayPath = "/cgi-bin/wwwtalor.exe";
inline constexpr std::string_view kGatewayUserAgent = "DORNE/Talor64";
inline constexpr std::string_view kTunnelPort = "80";
inline constexpr std::string_view kDefaultHost = "127.0.0.1";
inline constexpr int kDefaultPort = 6666;

// A request's header has nine lines; an answer's has ten.
inline constexpr int kRequestHeaderLines = 9;
inline constexpr int kAnswerHeaderLines = 10;
// The client id is drawn below this bound.
inline constexpr int kClientIdLimit = 1000000;

// Command letters that the framing itself treats specially.
inline constexpr char kRegisterCommand = 'A';
// The header's command line of a stop packet.
inline constexpr std::string_view kStopCommandLine = "4";

// Who the client is for the server. The transport owns one for the whole run.
struct SessionIdentity {
  // Set by the login (and by a change of server).
  std::string host;
  std::string port;             // decimal text; kTunnelPort selects the tunnel
  std::string workstationCode;  // one character
  std::string user;
  std::string password;

  // Drawn once per run, decimal from 0 to kClientIdLimit - 1.
  std::string clientId;

  // Raised for every request built and every resend; "0" before registration.
  std::string sequenceNumber = "0";

  // Valid for one exchange.
  char currentCommand = 0;
  // Set to 1 by every header built; the stop button raises it.
  int stopCounter = 0;
};

// The nine header lines of a new request, each ended by LF: workstation code,
// command letter, client id, sequence number, password, user name and three
// empty lines. Raises the sequence number first (a registration resets it to
// "0" before, so it goes out with 1), remembers the command as the current
// one and sets the stop counter to 1. nullopt, with `identity` unchanged, when
// the sequence number is not a decimal integer or cannot be raised.
std::optional<std::string> BuildRequestHeader(SessionIdentity& identity, char command);

// The plain packet: decimal length of (command LF request) + LF + command +
// LF + request. The length counts every byte after the length line.
std::string FramePlainPacket(char command, std::string_view requestText);

// The tunnel form: an HTTP POST to kGatewayPath whose body is command + LF +
// request + CR LF + kEndMarker.
std::string FrameTunnelRequest(char command, std::string_view requestText, std::string_view host,
                               std::string_view port);

// The stop packet for the request in progress: header lines (with
// kStopCommandLine in place of the command letter) framed like a plain
// packet, then LF and the stop level, "1" when the stop counter is 2 or more
// and "0" otherwise. The length does not count the stop level line.
std::string FrameStopPacket(const SessionIdentity& identity);

// What arrived, split into text lines and binary data.
struct ReceivedAnswer {
  StringList lines;
  // The bytes after kBinaryMarker; nullopt when the marker did not come.
  std::optional<std::string> binary;
  // Whether the text part ended with a line break; a last line that lost its
  // line end makes the length check fail.
  bool lastLineEnded = false;
};

// What arrived, split into text and binary data that view into it.
struct AnswerParts {
  std::string_view text;
  std::optional<std::string_view> binary;  // nullopt when kBinaryMarker did not come
  bool lastLineEnded = false;
};

// Splits the received bytes at the first kBinaryMarker into text and binary
// data. In a tunnelled exchange the text is cut before the first kEndMarker
// and the kEndMarker that closes binary data is dropped from it.
AnswerParts SplitAnswerParts(std::string_view received, bool tunnelled);

// SplitAnswerParts and the split of the text into lines, done while the
// answer arrives: each new stretch of bytes is searched for the markers and
// split into lines while it is still in the cache, so that a large answer
// is not read a second and third time after its last byte came. The parts
// and lines are those that SplitAnswerParts and SplitLines give for the
// whole answer.
class AnswerScanner {
 public:
  // Starts an answer whose text may hold at most `maxBreaks` line breaks.
  void Reset(bool tunnelled, size_t maxBreaks);
  // Takes the bytes that arrived since the last call; `received` is the
  // whole answer so far, from its first byte (it may have moved). Appends
  // the text lines known to be complete. False as soon as the text holds
  // more than maxBreaks line breaks.
  bool Scan(std::string_view received, std::vector<LineSpan>& lines);
  // Ends the answer with `received`: appends the remaining lines and returns
  // its parts; nullopt when the text holds more than maxBreaks line breaks.
  std::optional<AnswerParts> Finish(std::string_view received, std::vector<LineSpan>& lines);

 private:
  // Searches received[*from, searchEnd) for `marker`; when it is not there,
  // advances *from past every position that can no longer start it.
  static std::optional<size_t> Search(std::string_view received, size_t searchEnd,
                                      std::string_view marker, size_t& from);
  // How far the text is known to reach, as far as the markers found so far
  // tell.
  size_t KnownTextEnd() const;

  bool tunnelled_ = false;
  LineSplitter splitter_;
  // The first binary marker, and (tunnelled) the first end marker; until
  // found, the position from which the search goes on.
  std::optional<size_t> binaryAt_;
  std::optional<size_t> endAt_;
  size_t binaryFrom_ = 0;
  size_t endFrom_ = 0;
};

// SplitAnswerParts, then the text split into lines (CR, LF and CR LF end a
// line), with the binary data copied.
ReceivedAnswer SplitAnswer(std::string_view received, bool tunnelled);

// Removes the HTTP part of a tunnelled answer: a first line that is exactly
// kHttp10Line, then, when a line equal to kStartMarker exists, it and every
// line before it.
void UnwrapTunnelAnswer(StringList& lines);
// `lines` are spans of `bytes`.
void UnwrapTunnelAnswer(std::vector<LineSpan>& lines, std::string_view bytes);

enum class AnswerCheck {
  Good,
  IdentityMismatch,  // line 1 or 2 is not the session's client id or sequence
  LengthMismatch,    // the declared length in line 3 is not what arrived
};

// Checks an answer against the request it answers: line 1 must equal the
// client id and line 2 the sequence number (exact texts). When line 3 is not
// empty it is the declared length (0 when not a decimal integer), which must
// equal the byte count of the text lines each followed by CR LF, line 3
// counted empty, less 2 when the last line did not end, plus 17 and the
// binary length when binary data came. Blanks line 3.
AnswerCheck CheckAnswer(StringList& lines, const SessionIdentity& identity,
                        const ReceivedAnswer& received);
AnswerCheck CheckAnswer(StringList& lines, const SessionIdentity& identity,
                        std::optional<size_t> binaryLength, bool lastLineEnded);
AnswerCheck CheckAnswer(std::vector<LineSpan>& lines, std::string_view bytes,
                        const SessionIdentity& identity, std::optional<size_t> binaryLength,
                        bool lastLineEnded);

// Deletes the ten header lines, so that line 0 is the answer's line 10 (for
// most commands the server's return code). Fewer lines leave the list empty.
void StripAnswerHeader(StringList& lines);

// Prepares the last request text for another attempt: raises the sequence
// number, puts it in line 3, puts "1" in line 8 and joins the lines again with
// CR LF after every line. False, with both arguments unchanged, when the text
// has fewer than nine lines or the sequence number cannot be raised. The
// caller frames the result again.
bool PrepareResend(SessionIdentity& identity, std::string& requestText);

// The bytes of an answer exactly as CheckAnswer verifies them, for the server
// side and for tests: the ten header lines (command letter, client id,
// sequence number, declared length, six empty lines) and then `lines`, every
// line followed by CR LF; with `binary`, kBinaryMarker and the data follow.
// `declareLength` false leaves line 3 empty (no length check).
struct AnswerFrame {
  char command = 0;
  std::string_view clientId;
  std::string_view sequenceNumber;
  bool declareLength = true;
};
std::string BuildAnswer(const AnswerFrame& frame, const StringList& lines,
                        std::optional<std::string_view> binary = std::nullopt);

// A framed answer as a gateway on a web server sends it back: an HTTP/1.0
// status line and headers, a kStartMarker line, the answer, and kEndMarker.
std::string WrapTunnelAnswer(std::string_view answer);

}  // namespace talor

#endif  // TALOR_CLIENT_FRAMING_H_
