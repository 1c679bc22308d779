#include "server/request.h"

#include "text/string_list.h"

namespace talor::server {

namespace {
enum HeaderLine {
  kPacketCommand = 0,
  kWorkstation = 1,
  kHeaderCommand = 2,
  kClientId = 3,
  kSequence = 4,
  kPassword = 5,
  kUser = 6,
  kResendMark = 9,
  kFirstParameter = 10,
};
constexpr std::string_view kStopLine = "4";
}  // namespace

std::optional<size_t> ParseLengthLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.empty() || line.size() > kMaxLengthDigits) return std::nullopt;
  size_t value = 0;
  for (char c : line) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<size_t>(c - '0');
  }
  if (value == 0 || value > kMaxRequestBytes) return std::nullopt;
  return value;
}

std::optional<Request> ParseRequest(std::string_view text) {
  std::vector<std::string_view> lines = SplitLines(text);
  if (lines.size() < kFirstParameter) return std::nullopt;
  if (lines[kPacketCommand].size() != 1) return std::nullopt;
  Request request;
  request.command = lines[kPacketCommand][0];
  request.isStop = lines[kHeaderCommand] == kStopLine;
  if (!request.isStop && lines[kHeaderCommand] != lines[kPacketCommand]) return std::nullopt;
  request.workstation = std::string(lines[kWorkstation]);
  request.clientId = std::string(lines[kClientId]);
  request.sequence = std::string(lines[kSequence]);
  request.password = std::string(lines[kPassword]);
  request.user = std::string(lines[kUser]);
  request.resent = lines[kResendMark] == "1";
  for (size_t i = kFirstParameter; i < lines.size(); ++i) request.parameters.emplace_back(lines[i]);
  return request;
}

}  // namespace talor::server
