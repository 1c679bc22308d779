// Checks a user's name and password, for a registration and for every later
// request (each request carries both in its header). The user is read from
// the storage at every check, so a user added, changed or removed with
// `talor-server user` counts from the next request on, without a restart.
//
// A full check of a password hash costs tens of milliseconds: too much for
// every request of a session. A password that passed it is remembered as a
// keyed digest (the key is random for each run, so no password is kept in
// memory) beside the hash it matched; a later request whose password gives
// the same digest against the same stored hash passes at once. A changed
// password changes the stored hash, and the memory no longer matches.
//
// Failed checks are slowed down per client address by a LoginThrottle.
// Thread-safe.

#ifndef TALOR_SERVER_AUTHENTICATOR_H_
#define TALOR_SERVER_AUTHENTICATOR_H_

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "server/login_throttle.h"
#include "server/storage.h"

namespace talor::server {

// Most passwords remembered at once; the memory starts afresh when full.
inline constexpr size_t kMaxRememberedPasswords = 1024;
// Most threads held back by refusals at once, so that refusals never take
// more than a few of the server's workers.
inline constexpr int kMaxHeldRefusals = 2;

struct CheckOutcome {
  std::optional<User> user;  // set when the name and the password match
  // How long the refusal should be held back before it is answered.
  std::chrono::steady_clock::duration hold{};
};

class Authenticator {
 public:
  Authenticator(Storage& storage, ThrottleLimits limits);

  // Checks `password` for the user `name`, for a client at `address` (may
  // be empty when unknown: such clients share one throttle entry).
  CheckOutcome Check(std::string_view name, std::string_view password, std::string_view address);

  // Waits `hold` on the calling thread, holding no lock; returns at once
  // when kMaxHeldRefusals threads are waiting already.
  void Hold(std::chrono::steady_clock::duration hold);

 private:
  struct Remembered {
    std::string hash;    // the stored hash that the password matched
    std::string digest;  // keyed digest of the password
  };

  std::string Digest(std::string_view password) const;
  bool IsRemembered(const User& user, std::string_view password);
  void Remember(const User& user, std::string_view password);

  // Constant after construction.
  Storage& storage_;
  std::string digestKey_;
  // Internally synchronised.
  LoginThrottle throttle_;
  std::atomic<int> holding_{0};
  // Guarded by mutex_.
  std::mutex mutex_;
  std::map<std::string, Remembered, std::less<>> remembered_;  // by user name
};

}  // namespace talor::server

#endif  // TALOR_SERVER_AUTHENTICATOR_H_
