// Splits and checks arbitrary received bytes as an answer (the first byte
// picks the tunnel form and how the bytes arrive in stretches), checks that
// the split made while the answer arrives agrees with the split of the
// whole answer, and that any lines framed by BuildAnswer pass the check and
// come back unchanged.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/framing.h"

namespace {

talor::SessionIdentity Identity() {
  talor::SessionIdentity identity;
  identity.clientId = "123456";
  identity.sequenceNumber = "5";
  return identity;
}

void CheckReceived(std::string_view bytes, bool tunnelled) {
  talor::ReceivedAnswer received = talor::SplitAnswer(bytes, tunnelled);
  if (tunnelled) talor::UnwrapTunnelAnswer(received.lines);
  talor::StringList lines = received.lines;
  if (talor::CheckAnswer(lines, Identity(), received) == talor::AnswerCheck::Good) {
    talor::StripAnswerHeader(lines);
  }
}

// The answer scanned as it arrives, in stretches of `stride` bytes, must
// give what the split of the whole answer gives.
void CheckScannedAsItArrives(std::string_view bytes, bool tunnelled, size_t stride) {
  talor::AnswerScanner scanner;
  scanner.Reset(tunnelled, SIZE_MAX);
  std::vector<talor::LineSpan> spans;
  for (size_t at = stride; at < bytes.size(); at += stride) {
    if (!scanner.Scan(bytes.substr(0, at), spans)) __builtin_trap();
  }
  const std::optional<talor::AnswerParts> parts = scanner.Finish(bytes, spans);
  if (!parts) __builtin_trap();
  const talor::AnswerParts whole = talor::SplitAnswerParts(bytes, tunnelled);
  if (parts->text.data() != whole.text.data() || parts->text.size() != whole.text.size() ||
      parts->binary != whole.binary || parts->lastLineEnded != whole.lastLineEnded) {
    __builtin_trap();
  }
  const std::vector<std::string_view> lines = talor::SplitLines(whole.text);
  if (lines.size() != spans.size()) __builtin_trap();
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].data() != bytes.data() + spans[i].offset || lines[i].size() != spans[i].size) {
      __builtin_trap();
    }
  }
}

void CheckFramedRoundTrip(std::string_view input, bool tunnelled) {
  size_t split = input.size() / 2;
  std::string_view text = input.substr(0, split);
  std::string_view binary = input.substr(split);
  if (text.find(talor::kBinaryMarker) != std::string_view::npos) return;
  if (tunnelled && text.find(talor::kEndMarker) != std::string_view::npos) return;
  talor::StringList lines;
  lines.SetText(text);
  bool withBinary = !binary.empty() && (binary[0] & 1);
  std::string bytes = talor::BuildAnswer({'C', "123456", "5"}, lines,
                                         withBinary ? std::optional(binary) : std::nullopt);
  if (tunnelled) bytes = talor::WrapTunnelAnswer(bytes);
  talor::ReceivedAnswer received = talor::SplitAnswer(bytes, tunnelled);
  if (tunnelled) talor::UnwrapTunnelAnswer(received.lines);
  if (talor::CheckAnswer(received.lines, Identity(), received) != talor::AnswerCheck::Good) {
    __builtin_trap();
  }
  talor::StripAnswerHeader(received.lines);
  if (!(received.lines == lines)) __builtin_trap();
  if (withBinary != received.binary.has_value()) __builtin_trap();
  if (withBinary && *received.binary != binary) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  bool tunnelled = (data[0] & 1) != 0;
  std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  CheckReceived(input, tunnelled);
  CheckScannedAsItArrives(input, tunnelled, 1 + (data[0] >> 1));
  CheckFramedRoundTrip(input, tunnelled);
  return 0;
}
