// A request as the server receives it: the packet text after the length
// line, split into the header and the parameter lines. docs/protocol.md
// gives the wire form.

#ifndef TALOR_SERVER_REQUEST_H_
#define TALOR_SERVER_REQUEST_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talor::server {

// The largest request the server accepts (a batch of imported records).
inline constexpr size_t kMaxRequestBytes = 64u << 20;
// The longest length line, in digits.
inline constexpr size_t kMaxLengthDigits = 10;

struct Request {
  char command = 0;
  std::string workstation;
  std::string clientId;
  std::string sequence;
  std::string password;
  std::string user;
  bool resent = false;
  bool isStop = false;  // a stop packet: the header's command line reads "4"
  int stopLevel = 0;
  std::vector<std::string> parameters;
  // The client's address as the network front saw it, in numeric form
  // ("127.0.0.1", "::1"); not part of the packet. Failed logins are slowed
  // down per address; requests with an empty address share one entry.
  std::string peerAddress;

  // Parameter `index` (from 0), empty when absent.
  std::string_view Parameter(size_t index) const {
    return index < parameters.size() ? std::string_view(parameters[index]) : std::string_view();
  }
};

// Parses the packet text: command letter, workstation code, command letter
// (or "4" in a stop packet), client id, sequence number, password, user
// name, three more header lines, then the parameters. Lines end with LF or
// CR LF (a resent request). Nullopt when the header is incomplete or the
// two command lines disagree.
std::optional<Request> ParseRequest(std::string_view text);

// Reads the decimal length line; nullopt when it is not 1 to
// kMaxLengthDigits digits or exceeds kMaxRequestBytes.
std::optional<size_t> ParseLengthLine(std::string_view line);

}  // namespace talor::server

#endif  // TALOR_SERVER_REQUEST_H_
