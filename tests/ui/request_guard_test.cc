#include "ui/request_guard.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace talor {
namespace {

constexpr std::string_view kToken = "0123456789abcdef0123456789abcdef";
constexpr int kPort = 43210;

RequestFacts Good() {
  RequestFacts facts;
  facts.peerAddress = "127.0.0.1";
  facts.host = "127.0.0.1:43210";
  facts.queryToken = kToken;
  return facts;
}

GuardVerdict Check(const RequestFacts& facts) {
  return RequestGuard(std::string(kToken), kPort).Check(facts);
}

TEST(LoopbackAddressTest, OnlyLoopbackAddressesPass) {
  struct Row {
    std::string_view address;
    bool loopback;
  };
  const Row rows[] = {
      {"127.0.0.1", true},
      {"127.1.2.3", true},
      {"::1", true},
      {"::ffff:127.0.0.1", true},
      {"10.0.0.1", false},
      {"192.168.1.5", false},
      {"128.0.0.1", false},
      {"::ffff:10.0.0.1", false},
      {"fe80::1", false},
      {"localhost", false},
      {"", false},
      {"127.0.0.1 ", false},
      {std::string_view("127.0.0.1\0x", 11), false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(IsLoopbackAddress(row.address), row.loopback) << row.address;
  }
}

TEST(RequestGuardTest, EveryRuleRefusesOnItsOwn) {
  EXPECT_EQ(Check(Good()), GuardVerdict::kAllowed);

  RequestFacts foreignPeer = Good();
  foreignPeer.peerAddress = "192.168.1.5";
  EXPECT_EQ(Check(foreignPeer), GuardVerdict::kForeignPeer);

  for (std::string_view host :
       {"example.org:43210", "127.0.0.1:43211", "127.0.0.1", "localhost:432100", "LOCALHOST:43210",
        "127.0.0.1:43210.evil", ""}) {
    RequestFacts facts = Good();
    facts.host = host;
    EXPECT_EQ(Check(facts), GuardVerdict::kWrongHost) << host;
  }
  RequestFacts noHost = Good();
  noHost.host.reset();
  EXPECT_EQ(Check(noHost), GuardVerdict::kWrongHost);

  for (std::string_view origin : {"http://example.org", "null", "http://127.0.0.1:43211",
                                  "https://127.0.0.1:43210", "http://127.0.0.1:43210/", ""}) {
    RequestFacts facts = Good();
    facts.origin = origin;
    EXPECT_EQ(Check(facts), GuardVerdict::kForeignOrigin) << origin;
  }

  for (std::string_view site : {"cross-site", "same-site", ""}) {
    RequestFacts facts = Good();
    facts.fetchSite = site;
    EXPECT_EQ(Check(facts), GuardVerdict::kCrossSite) << site;
  }
}

TEST(RequestGuardTest, OwnHostOriginAndFetchSitePass) {
  RequestFacts facts = Good();
  facts.host = "localhost:43210";
  facts.origin = "http://localhost:43210";
  facts.fetchSite = "same-origin";
  EXPECT_EQ(Check(facts), GuardVerdict::kAllowed);
  facts.origin = "http://127.0.0.1:43210";
  facts.fetchSite = "none";
  EXPECT_EQ(Check(facts), GuardVerdict::kAllowed);
}

TEST(RequestGuardTest, TokenComesByQueryHeaderOrCookie) {
  RequestFacts facts = Good();
  facts.queryToken.reset();
  EXPECT_EQ(Check(facts), GuardVerdict::kNoToken);

  facts.queryToken = "0123456789abcdef0123456789abcdee";  // one digit off
  EXPECT_EQ(Check(facts), GuardVerdict::kNoToken);
  facts.queryToken = kToken.substr(1);
  EXPECT_EQ(Check(facts), GuardVerdict::kNoToken);
  facts.queryToken.reset();

  facts.headerToken = kToken;
  EXPECT_EQ(Check(facts), GuardVerdict::kAllowed);
  facts.headerToken.reset();

  std::string carrying = "theme=dark; talor_token=" + std::string(kToken) + "; other=1";
  facts.cookieHeaders = {"theme=dark", carrying};
  EXPECT_EQ(Check(facts), GuardVerdict::kAllowed);

  std::string wrongName = "x_talor_token=" + std::string(kToken);
  std::string wrongValue = "talor_token=" + std::string(kToken) + "0";
  facts.cookieHeaders = {wrongName, wrongValue, "talor_token"};
  EXPECT_EQ(Check(facts), GuardVerdict::kNoToken);
}

TEST(RequestGuardTest, CookieKeepsTheTokenFromScripts) {
  RequestGuard guard(std::string(kToken), kPort);
  std::string cookie = guard.CookieHeader();
  EXPECT_EQ(cookie.find("talor_token=" + std::string(kToken) + ";"), 0u) << cookie;
  EXPECT_NE(cookie.find("HttpOnly"), std::string::npos);
  EXPECT_NE(cookie.find("SameSite=Strict"), std::string::npos);
  EXPECT_EQ(guard.Origin(), "http://127.0.0.1:43210");
}

TEST(SessionTokenTest, TokensAreLongHexAndFresh) {
  std::set<std::string> seen;
  for (int i = 0; i < 20; ++i) {
    std::optional<std::string> token = NewSessionToken();
    ASSERT_TRUE(token.has_value());
    EXPECT_EQ(token->size(), 64u);
    EXPECT_EQ(token->find_first_not_of("0123456789abcdef"), std::string::npos) << *token;
    seen.insert(*token);
  }
  EXPECT_EQ(seen.size(), 20u);
}

}  // namespace
}  // namespace talor
