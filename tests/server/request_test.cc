#include "server/request.h"

#include <gtest/gtest.h>

namespace talor::server {
namespace {

TEST(ParseRequestTest, SplitsHeaderAndParameters) {
  std::optional<Request> request =
      ParseRequest("K\nR\nK\n123456\n5\npassword\nuser\n\n\n\nDEMO\n\"K=WAR\"\n10\n1\n@brief");
  ASSERT_TRUE(request);
  EXPECT_EQ(request->command, 'K');
  EXPECT_EQ(request->workstation, "R");
  EXPECT_EQ(request->clientId, "123456");
  EXPECT_EQ(request->sequence, "5");
  EXPECT_EQ(request->password, "password");
  EXPECT_EQ(request->user, "user");
  EXPECT_FALSE(request->resent);
  EXPECT_FALSE(request->isStop);
  std::vector<std::string> expected = {"DEMO", "\"K=WAR\"", "10", "1", "@brief"};
  EXPECT_EQ(request->parameters, expected);
}

TEST(ParseRequestTest, ResentRequestWithCrLfLineEnds) {
  std::optional<Request> request =
      ParseRequest("C\nR\r\nC\r\n1\r\n6\r\npw\r\nu\r\n\r\n\r\n1\r\nDEMO\r\n5\r\n0\r\n\r\n");
  ASSERT_TRUE(request);
  EXPECT_TRUE(request->resent);
  EXPECT_EQ(request->sequence, "6");
  std::vector<std::string> expected = {"DEMO", "5", "0", ""};
  EXPECT_EQ(request->parameters, expected);
}

TEST(ParseRequestTest, StopPacketAndMalformedHeaders) {
  std::optional<Request> stop = ParseRequest("K\nR\n4\n123\n5\npw\nu\n\n\n\n");
  ASSERT_TRUE(stop);
  EXPECT_TRUE(stop->isStop);
  EXPECT_EQ(stop->command, 'K');
  EXPECT_TRUE(stop->parameters.empty());

  const char* broken[] = {
      "",                                // nothing
      "K\nR\nK\n1\n2\npw\nu\n\n",        // header cut short
      "K\nR\nC\n1\n2\npw\nu\n\n\n\n",    // the two command lines disagree
      "KK\nR\nKK\n1\n2\npw\nu\n\n\n\n",  // command is not one letter
  };
  for (const char* text : broken) EXPECT_FALSE(ParseRequest(text)) << text;
}

TEST(ParseLengthLineTest, BoundsTheDeclaredLength) {
  EXPECT_EQ(ParseLengthLine("123"), 123u);
  EXPECT_EQ(ParseLengthLine("123\r"), 123u);
  EXPECT_FALSE(ParseLengthLine(""));
  EXPECT_FALSE(ParseLengthLine("0"));
  EXPECT_FALSE(ParseLengthLine("-5"));
  EXPECT_FALSE(ParseLengthLine("12x"));
  EXPECT_FALSE(ParseLengthLine("99999999999"));
  EXPECT_FALSE(ParseLengthLine(std::to_string(kMaxRequestBytes + 1)));
}

}  // namespace
}  // namespace talor::server
