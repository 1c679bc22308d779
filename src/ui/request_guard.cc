#include "ui/request_guard.h"

#include <arpa/inet.h>
#include <sys/random.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace talor {
namespace {

constexpr std::size_t kTokenBytes = 32;

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool FillRandom(std::uint8_t* data, std::size_t size) {
  std::size_t filled = 0;
  while (filled < size) {
    ssize_t got = getrandom(data + filled, size - filled, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    filled += static_cast<std::size_t>(got);
  }
  return true;
}

}  // namespace

RequestGuard::RequestGuard(std::string token, int port)
    : token_(std::move(token)), portSuffix_(":" + std::to_string(port)) {}

GuardVerdict RequestGuard::Check(const RequestFacts& request) const {
  if (!IsLoopbackAddress(request.peerAddress)) return GuardVerdict::kForeignPeer;
  if (!request.host || !HostAllowed(*request.host)) return GuardVerdict::kWrongHost;
  if (request.origin && !OriginAllowed(*request.origin)) return GuardVerdict::kForeignOrigin;
  if (request.fetchSite && *request.fetchSite != "same-origin" && *request.fetchSite != "none") {
    return GuardVerdict::kCrossSite;
  }
  if (request.queryToken && TokenMatches(*request.queryToken)) return GuardVerdict::kAllowed;
  if (request.headerToken && TokenMatches(*request.headerToken)) return GuardVerdict::kAllowed;
  for (std::string_view cookieHeader : request.cookieHeaders) {
    if (CookieCarriesToken(cookieHeader)) return GuardVerdict::kAllowed;
  }
  return GuardVerdict::kNoToken;
}

bool RequestGuard::TokenMatches(std::string_view candidate) const {
  if (candidate.size() != token_.size()) return false;
  unsigned char difference = 0;
  for (std::size_t i = 0; i < token_.size(); ++i) {
    difference |= static_cast<unsigned char>(candidate[i] ^ token_[i]);
  }
  return difference == 0;
}

std::string RequestGuard::CookieHeader() const {
  return std::string(kTokenCookie) + "=" + token_ + "; Path=/; HttpOnly; SameSite=Strict";
}

std::string RequestGuard::Origin() const { return "http://127.0.0.1" + portSuffix_; }

bool RequestGuard::HostAllowed(std::string_view host) const {
  for (std::string_view name : {"127.0.0.1", "localhost"}) {
    if (StartsWith(host, name) && host.substr(name.size()) == portSuffix_) return true;
  }
  return false;
}

bool RequestGuard::OriginAllowed(std::string_view origin) const {
  constexpr std::string_view kScheme = "http://";
  return StartsWith(origin, kScheme) && HostAllowed(origin.substr(kScheme.size()));
}

bool RequestGuard::CookieCarriesToken(std::string_view cookieHeader) const {
  while (!cookieHeader.empty()) {
    std::size_t end = cookieHeader.find(';');
    std::string_view pair = TrimSpaces(cookieHeader.substr(0, end));
    cookieHeader =
        end == std::string_view::npos ? std::string_view() : cookieHeader.substr(end + 1);
    std::size_t equals = pair.find('=');
    if (equals == std::string_view::npos || pair.substr(0, equals) != kTokenCookie) continue;
    if (TokenMatches(pair.substr(equals + 1))) return true;
  }
  return false;
}

std::optional<std::string> NewSessionToken() {
  std::array<std::uint8_t, kTokenBytes> bytes;
  if (!FillRandom(bytes.data(), bytes.size())) return std::nullopt;
  static constexpr char kHex[] = "0123456789abcdef";
  std::string token;
  for (std::uint8_t byte : bytes) {
    token += kHex[byte >> 4];
    token += kHex[byte & 0xF];
  }
  return token;
}

bool IsLoopbackAddress(std::string_view address) {
  if (address.find('\0') != std::string_view::npos) return false;
  std::string text(address);
  in_addr v4;
  if (inet_pton(AF_INET, text.c_str(), &v4) == 1) {
    return (ntohl(v4.s_addr) >> 24) == 127;
  }
  in6_addr v6;
  if (inet_pton(AF_INET6, text.c_str(), &v6) != 1) return false;
  if (IN6_IS_ADDR_LOOPBACK(&v6)) return true;
  return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;
}

}  // namespace talor
