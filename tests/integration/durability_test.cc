// A server killed with SIGKILL in the middle of a stream of writes comes back
// with every acknowledged write and a dictionary that agrees with the records.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "integration/demo_server.h"

namespace talor::server {
namespace {

constexpr int kFirstNumber = 500000;

TEST(DurabilityTest, AcknowledgedWritesSurviveSigkill) {
  ServerProcess server;
  ASSERT_TRUE(server.Start());
  uint16_t port = server.port();

  std::mutex mutex;
  std::vector<std::pair<int, int>> acknowledged;  // (MFN, number written)
  std::atomic<bool> done{false};
  std::thread writer([&] {
    RawClient client(port);
    for (int i = 0; !done.load(); ++i) {
      std::string number = std::to_string(kFirstNumber + i);
      std::string record =
          OneLine({"0#0", "0#0", "200#^AЗапись на прочность", ("610#" + number).c_str()});
      Reply reply = client.Send('D', Params({"DEMO", "0", "1", record}));
      if (!reply.good) break;  // the server is gone
      int mfn = std::atoi(reply.Line(0).c_str());
      if (mfn <= 0) break;
      std::lock_guard lock(mutex);
      acknowledged.emplace_back(mfn, kFirstNumber + i);
    }
  });
  // Let a good number of writes through, then pull the plug mid-stream.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    {
      std::lock_guard lock(mutex);
      if (acknowledged.size() >= 60) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  server.Kill();
  done = true;
  writer.join();
  ASSERT_GE(acknowledged.size(), 10u);

  ASSERT_TRUE(server.Start());
  RawClient client(server.port());
  for (const auto& [mfn, number] : acknowledged) {
    std::string n = std::to_string(number);
    Reply record = client.Send('C', Params({"DEMO", std::to_string(mfn), "0", ""}));
    ASSERT_EQ(record.Line(0), "0") << "MFN " << mfn;
    EXPECT_EQ(record.Line(4), "610#" + n);
    Reply hits = client.Send('K', Params({"DEMO", "\"K=" + n + "\"", "0", "1", ""}));
    EXPECT_EQ(hits.Line(1), "1") << n;
    EXPECT_EQ(hits.Line(2), std::to_string(mfn) + "#");
    Reply term = client.Send('H', Params({"DEMO", "K=" + n, "1", ""}));
    EXPECT_EQ(term.Line(1), "1#K=" + n);
  }
  // Every posting of the stream's common word points at a stored record.
  Reply all = client.Send('K', Params({"DEMO", "\"K=ПРОЧНОСТЬ\"", "0", "1", "v610"}));
  int hits = std::atoi(all.Line(1).c_str());
  EXPECT_GE(hits, static_cast<int>(acknowledged.size()));
  EXPECT_LE(hits, static_cast<int>(acknowledged.size()) + 1);  // at most the one in flight
  for (size_t i = 2; i < all.lines.size(); ++i) {
    std::string line = all.Line(i);
    EXPECT_NE(line.substr(line.find('#') + 1), "") << line;
  }
}

}  // namespace
}  // namespace talor::server
