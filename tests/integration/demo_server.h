// One server with the demo catalogue shared by the tests of a suite.

#ifndef TALOR_TESTS_INTEGRATION_DEMO_SERVER_H_
#define TALOR_TESTS_INTEGRATION_DEMO_SERVER_H_

#include <gtest/gtest.h>

#include <memory>

#include "integration/server_process.h"

namespace talor::server {

class DemoServerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = std::make_unique<ServerProcess>();
    started_ = server_->Start();
  }
  static void TearDownTestSuite() { server_.reset(); }
  void SetUp() override { ASSERT_TRUE(started_) << "talor-server did not start"; }

  static uint16_t Port() { return server_->port(); }
  static RawClient Librarian() { return RawClient(Port()); }

  static inline std::unique_ptr<ServerProcess> server_;
  static inline bool started_ = false;
};

// Parameter lines joined by LF.
inline std::string Params(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    if (!text.empty()) text += '\n';
    text += line;
  }
  return text;
}

// The one-line form of wire lines.
inline std::string OneLine(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    text += line;
    text += "\x1f\x1e";
  }
  return text;
}

}  // namespace talor::server

#endif  // TALOR_TESTS_INTEGRATION_DEMO_SERVER_H_
