// Slows down the guessing of passwords, per client address. Every failed
// password check from an address opens a penalty window that grows with the
// number of consecutive failures (the first few are free); while the window
// is open, further attempts from that address are refused without checking
// the password at all, so parallel connections gain an attacker nothing. A
// success forgets the address's failures.
//
// The table is bounded: addresses whose last failure is older than
// `forgetAfter` are dropped, and a full table drops its stalest address.
// Thread-safe; no call waits for anything but the table's own mutex.

#ifndef TALOR_SERVER_LOGIN_THROTTLE_H_
#define TALOR_SERVER_LOGIN_THROTTLE_H_

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace talor::server {

struct ThrottleLimits {
  using Duration = std::chrono::steady_clock::duration;
  int freeFailures = 3;                                  // failures without a window
  Duration firstDelay = std::chrono::milliseconds(250);  // doubles with every further failure
  Duration maxDelay = std::chrono::seconds(30);
  // The longest a worker holds back one refused answer; the window itself
  // may be longer.
  Duration maxHold = std::chrono::seconds(1);
  Duration forgetAfter = std::chrono::minutes(15);
  size_t maxAddresses = 4096;
};

class LoginThrottle {
 public:
  using Clock = std::chrono::steady_clock;

  explicit LoginThrottle(ThrottleLimits limits = {}) : limits_(limits) {}

  // True when an attempt from `address` at `now` may have its password
  // checked; false while the address's penalty window is open.
  bool MayTry(std::string_view address, Clock::time_point now);
  // Counts a failed check and opens the window that follows it.
  void Failed(std::string_view address, Clock::time_point now);
  // Forgets the address's failures.
  void Succeeded(std::string_view address);
  // How long the answer to a refused attempt from `address` should be held
  // back: the rest of its window, at most `maxHold`; zero when none is open.
  Clock::duration Hold(std::string_view address, Clock::time_point now);

  size_t AddressCount();

 private:
  struct Entry {
    int failures = 0;
    Clock::time_point lastFailure;
    Clock::time_point notBefore;  // the end of the penalty window
  };

  Clock::duration WindowAfter(int failures) const;
  void MakeRoom(Clock::time_point now);

  // Constant after construction.
  const ThrottleLimits limits_;
  // Guarded by mutex_.
  std::mutex mutex_;
  std::map<std::string, Entry, std::less<>> entries_;
};

}  // namespace talor::server

#endif  // TALOR_SERVER_LOGIN_THROTTLE_H_
