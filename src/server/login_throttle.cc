#include "server/login_throttle.h"

#include <algorithm>

namespace talor::server {

LoginThrottle::Clock::duration LoginThrottle::WindowAfter(int failures) const {
  int doublings = failures - limits_.freeFailures - 1;
  if (doublings < 0) return Clock::duration::zero();
  Clock::duration window = limits_.firstDelay;
  for (int i = 0; i < doublings && window < limits_.maxDelay; ++i) window *= 2;
  return std::min(window, limits_.maxDelay);
}

void LoginThrottle::MakeRoom(Clock::time_point now) {
  std::erase_if(entries_, [&](const auto& item) {
    return now - item.second.lastFailure > limits_.forgetAfter;
  });
  if (entries_.size() < limits_.maxAddresses || entries_.empty()) return;
  auto stalest = std::min_element(entries_.begin(), entries_.end(), [](auto& a, auto& b) {
    return a.second.lastFailure < b.second.lastFailure;
  });
  entries_.erase(stalest);
}

bool LoginThrottle::MayTry(std::string_view address, Clock::time_point now) {
  std::lock_guard lock(mutex_);
  auto it = entries_.find(address);
  return it == entries_.end() || now >= it->second.notBefore;
}

void LoginThrottle::Failed(std::string_view address, Clock::time_point now) {
  std::lock_guard lock(mutex_);
  auto it = entries_.find(address);
  if (it != entries_.end() && now - it->second.lastFailure > limits_.forgetAfter) {
    entries_.erase(it);
    it = entries_.end();
  }
  if (it == entries_.end()) {
    if (entries_.size() >= limits_.maxAddresses) MakeRoom(now);
    it = entries_.emplace(std::string(address), Entry{}).first;
  }
  Entry& entry = it->second;
  entry.failures = std::min(entry.failures + 1, limits_.freeFailures + 64);
  entry.lastFailure = now;
  entry.notBefore = now + WindowAfter(entry.failures);
}

void LoginThrottle::Succeeded(std::string_view address) {
  std::lock_guard lock(mutex_);
  auto it = entries_.find(address);
  if (it != entries_.end()) entries_.erase(it);
}

LoginThrottle::Clock::duration LoginThrottle::Hold(std::string_view address,
                                                   Clock::time_point now) {
  std::lock_guard lock(mutex_);
  auto it = entries_.find(address);
  if (it == entries_.end() || now >= it->second.notBefore) return Clock::duration::zero();
  return std::min(it->second.notBefore - now, limits_.maxHold);
}

size_t LoginThrottle::AddressCount() {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

}  // namespace talor::server
