#include "server/authenticator.h"

#include <sodium.h>

#include <thread>

#include "server/password_hash.h"

namespace talor::server {

namespace {

// A hash that no password is checked against in earnest: an unknown user
// costs the same time as a wrong password, so the answer's timing does not
// tell which names exist.
const std::string& StandInHash() {
  static const std::string hash = HashPassword("talor-server stand-in").value_or("");
  return hash;
}

}  // namespace

Authenticator::Authenticator(Storage& storage, ThrottleLimits limits)
    : storage_(storage), digestKey_(crypto_generichash_KEYBYTES, '\0'), throttle_(limits) {
  if (sodium_init() >= 0) randombytes_buf(digestKey_.data(), digestKey_.size());
}

std::string Authenticator::Digest(std::string_view password) const {
  std::string digest(crypto_generichash_BYTES, '\0');
  crypto_generichash(reinterpret_cast<unsigned char*>(digest.data()), digest.size(),
                     reinterpret_cast<const unsigned char*>(password.data()), password.size(),
                     reinterpret_cast<const unsigned char*>(digestKey_.data()), digestKey_.size());
  return digest;
}

bool Authenticator::IsRemembered(const User& user, std::string_view password) {
  std::string digest = Digest(password);
  std::lock_guard lock(mutex_);
  auto it = remembered_.find(user.name);
  return it != remembered_.end() && it->second.hash == user.passwordHash &&
         sodium_memcmp(it->second.digest.data(), digest.data(), digest.size()) == 0;
}

void Authenticator::Remember(const User& user, std::string_view password) {
  std::string digest = Digest(password);
  std::lock_guard lock(mutex_);
  if (remembered_.size() >= kMaxRememberedPasswords) remembered_.clear();
  remembered_[user.name] = {user.passwordHash, std::move(digest)};
}

CheckOutcome Authenticator::Check(std::string_view name, std::string_view password,
                                  std::string_view address) {
  std::optional<User> user = storage_.FindUser(name);
  // A password already proven right cannot help a guesser, so it passes
  // even while the address is being slowed down by someone else's failures.
  if (user && IsRemembered(*user, password)) {
    throttle_.Succeeded(address);
    return {std::move(user), {}};
  }
  LoginThrottle::Clock::time_point now = LoginThrottle::Clock::now();
  if (!throttle_.MayTry(address, now)) return {std::nullopt, throttle_.Hold(address, now)};
  bool match = false;
  if (user)
    match = VerifyPassword(user->passwordHash, password);
  else
    VerifyPassword(StandInHash(), password);
  if (!match) {
    now = LoginThrottle::Clock::now();
    throttle_.Failed(address, now);
    return {std::nullopt, throttle_.Hold(address, now)};
  }
  throttle_.Succeeded(address);
  Remember(*user, password);
  return {std::move(user), {}};
}

void Authenticator::Hold(std::chrono::steady_clock::duration hold) {
  if (hold <= std::chrono::steady_clock::duration::zero()) return;
  if (holding_.fetch_add(1) < kMaxHeldRefusals) std::this_thread::sleep_for(hold);
  holding_.fetch_sub(1);
}

}  // namespace talor::server
