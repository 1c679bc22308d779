#include "server/sessions.h"

namespace talor::server {

std::string SessionKey(std::string_view user, std::string_view clientId) {
  std::string key(user);
  key += '\x1f';
  key += clientId;
  return key;
}

void Sessions::DropIdle(Clock::time_point now) {
  for (auto it = lastSeen_.begin(); it != lastSeen_.end();) {
    if (now - it->second > idleLimit_)
      it = lastSeen_.erase(it);
    else
      ++it;
  }
}

bool Sessions::Register(const std::string& key) {
  std::lock_guard lock(mutex_);
  Clock::time_point now = Clock::now();
  DropIdle(now);
  auto it = lastSeen_.find(key);
  if (it == lastSeen_.end() && lastSeen_.size() >= maxSessions_) return false;
  lastSeen_[key] = now;
  return true;
}

void Sessions::Unregister(const std::string& key) {
  std::lock_guard lock(mutex_);
  lastSeen_.erase(key);
}

void Sessions::Touch(const std::string& key) {
  std::lock_guard lock(mutex_);
  auto it = lastSeen_.find(key);
  if (it != lastSeen_.end()) it->second = Clock::now();
}

size_t Sessions::Count() {
  std::lock_guard lock(mutex_);
  DropIdle(Clock::now());
  return lastSeen_.size();
}

std::shared_ptr<CancelToken> Sessions::BeginRequest(const std::string& key) {
  auto token = std::make_shared<CancelToken>();
  std::lock_guard lock(mutex_);
  running_.emplace(key, token);
  return token;
}

void Sessions::EndRequest(const std::string& key, const std::shared_ptr<CancelToken>& token) {
  std::lock_guard lock(mutex_);
  auto [first, last] = running_.equal_range(key);
  for (auto it = first; it != last; ++it) {
    if (it->second == token) {
      running_.erase(it);
      return;
    }
  }
}

int Sessions::Cancel(const std::string& key, int level) {
  std::lock_guard lock(mutex_);
  int count = 0;
  auto [first, last] = running_.equal_range(key);
  for (auto it = first; it != last; ++it) {
    int current = it->second->level.load();
    if (level > current) it->second->level.store(level);
    it->second->stop.store(true);
    ++count;
  }
  return count;
}

}  // namespace talor::server
