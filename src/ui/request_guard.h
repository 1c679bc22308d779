// Who may talk to the window's server. The server listens on 127.0.0.1, but
// any local program and any web page open in a local browser can reach that
// address, so every request must also prove that it comes from the window:
//
//   - the peer address is a loopback address;
//   - the Host header is exactly "127.0.0.1:<port>" or "localhost:<port>"
//     (a page on another name that resolves to 127.0.0.1 is refused);
//   - an Origin header, when present, is the server's own origin;
//   - a Sec-Fetch-Site header, when present, is "same-origin" or "none"
//     (cookies are not kept apart by port, so a page served by another local
//     program would otherwise send ours along with its requests);
//   - the per-run token comes with it: the `token` query parameter (the URL
//     the window is opened with), the cookie `talor_token` that the answer to
//     such a request sets (HttpOnly, SameSite=Strict), so that the page's
//     own assets, frames, forms and event stream need nothing more, or the
//     header `X-Talor-Token`.
//
// A RequestGuard is immutable after construction and safe to use from any
// number of threads.

#ifndef TALOR_UI_REQUEST_GUARD_H_
#define TALOR_UI_REQUEST_GUARD_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talor {

inline constexpr std::string_view kTokenParameter = "token";
inline constexpr std::string_view kTokenCookie = "talor_token";
inline constexpr std::string_view kTokenHeader = "X-Talor-Token";

// The parts of a request the guard looks at. An absent header is nullopt.
struct RequestFacts {
  std::string_view peerAddress;  // numeric, as accept() reported it
  std::optional<std::string_view> host;
  std::optional<std::string_view> origin;
  std::optional<std::string_view> fetchSite;  // Sec-Fetch-Site
  std::optional<std::string_view> queryToken;
  std::optional<std::string_view> headerToken;
  std::vector<std::string_view> cookieHeaders;
};

enum class GuardVerdict {
  kAllowed,
  kForeignPeer,
  kWrongHost,
  kForeignOrigin,
  kCrossSite,
  kNoToken,
};

class RequestGuard {
 public:
  // REQUIRES: `token` is non-empty; `port` is the port the server listens on.
  RequestGuard(std::string token, int port);

  // The first rule above that `request` breaks, else kAllowed.
  GuardVerdict Check(const RequestFacts& request) const;

  // True when `candidate` is the token. Takes the same time for every
  // candidate of the token's length.
  bool TokenMatches(std::string_view candidate) const;

  // The value of the Set-Cookie header that hands the token to the page.
  std::string CookieHeader() const;

  // "http://127.0.0.1:<port>".
  std::string Origin() const;

  const std::string& token() const { return token_; }

 private:
  bool HostAllowed(std::string_view host) const;
  bool OriginAllowed(std::string_view origin) const;
  bool CookieCarriesToken(std::string_view cookieHeader) const;

  const std::string token_;
  const std::string portSuffix_;  // ":<port>"
};

// A fresh token from the kernel's random source: 32 bytes (256 bits) as 64
// lower-case hex digits. nullopt when the kernel gives no random bytes.
std::optional<std::string> NewSessionToken();

// True for the IPv4 loopback network 127.0.0.0/8, "::1" and IPv4-mapped
// loopback addresses ("::ffff:127.0.0.1"). Anything else, including names
// and malformed text, is false.
bool IsLoopbackAddress(std::string_view address);

}  // namespace talor

#endif  // TALOR_UI_REQUEST_GUARD_H_
