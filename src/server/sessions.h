// Who is registered, and which requests are running so that a stop packet
// can reach them. Both are keyed by the client's session key: the user name
// and the client id of the request header.

#ifndef TALOR_SERVER_SESSIONS_H_
#define TALOR_SERVER_SESSIONS_H_

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace talor::server {

// Stop levels of a stop packet.
inline constexpr int kStopGently = 0;  // end early, answer what is ready
inline constexpr int kStopAbort = 1;   // give up, answer Interrupted

struct CancelToken {
  std::atomic<bool> stop{false};
  std::atomic<int> level{kStopGently};
};

std::string SessionKey(std::string_view user, std::string_view clientId);

class Sessions {
 public:
  using Clock = std::chrono::steady_clock;
  Sessions(size_t maxSessions, Clock::duration idleLimit)
      : maxSessions_(maxSessions), idleLimit_(idleLimit) {}

  // Registers (or renews) a session; false when the limit is reached.
  bool Register(const std::string& key);
  void Unregister(const std::string& key);
  // Marks the session as active again.
  void Touch(const std::string& key);
  size_t Count();

  // A token for a request that starts now; EndRequest forgets it.
  std::shared_ptr<CancelToken> BeginRequest(const std::string& key);
  void EndRequest(const std::string& key, const std::shared_ptr<CancelToken>& token);
  // Signals every running request of the key; the number signalled.
  int Cancel(const std::string& key, int level);

 private:
  void DropIdle(Clock::time_point now);

  // Constant after construction.
  const size_t maxSessions_;
  const Clock::duration idleLimit_;
  // Guarded by mutex_.
  std::mutex mutex_;
  std::map<std::string, Clock::time_point> lastSeen_;
  std::multimap<std::string, std::shared_ptr<CancelToken>> running_;
};

}  // namespace talor::server

#endif  // TALOR_SERVER_SESSIONS_H_
