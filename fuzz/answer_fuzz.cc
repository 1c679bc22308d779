// Splits and checks arbitrary received bytes as an answer (the first byte
// picks the tunnel form), and checks that any lines framed by BuildAnswer
// pass the check and come back unchanged.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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
  CheckFramedRoundTrip(input, tunnelled);
  return 0;
}
