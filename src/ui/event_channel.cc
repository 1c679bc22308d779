#include "ui/event_channel.h"

#include <algorithm>

namespace talor {

// Every field is guarded by the channel's mutex.
struct EventSubscriber {
  std::string pending;
  bool attached = false;
  bool dropped = false;
  bool released = false;
};

EventChannel::EventChannel(EventChannelLimits limits) : limits_(limits) {}

std::string EventChannel::Format(std::string_view name, std::string_view jsonData) {
  std::string out = "event: ";
  for (char c : name) {
    if (c != '\n' && c != '\r') out += c;
  }
  out += '\n';
  // Each line of the data goes on its own "data:" line; the page's
  // EventSource joins them back with '\n'.
  while (true) {
    std::size_t end = jsonData.find('\n');
    std::string_view line = jsonData.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    out += "data: ";
    out += line;
    out += '\n';
    if (end == std::string_view::npos) break;
    jsonData.remove_prefix(end + 1);
  }
  out += '\n';
  return out;
}

void EventChannel::Push(std::string_view name, std::string_view jsonData) {
  std::string event = Format(name, jsonData);
  std::lock_guard lock(mutex_);
  if (closed_) return;
  for (const auto& stream : streams_) {
    if (stream->attached) Deliver(*stream, event);
  }
  changed_.notify_all();
}

std::shared_ptr<EventSubscriber> EventChannel::Open() {
  std::lock_guard lock(mutex_);
  if (closed_ || streams_.size() >= limits_.maxStreams) return nullptr;
  streams_.push_back(std::make_shared<EventSubscriber>());
  return streams_.back();
}

void EventChannel::Attach(EventSubscriber& subscriber) {
  // The snapshot reads core state; it runs outside the lock, which is safe
  // because pushes come from this same thread.
  std::vector<WindowEvent> snapshot;
  if (snapshot_) snapshot = snapshot_();
  std::lock_guard lock(mutex_);
  if (subscriber.released || subscriber.attached) return;
  subscriber.attached = true;
  for (const WindowEvent& event : snapshot) Deliver(subscriber, Format(event.name, event.data));
  changed_.notify_all();
}

EventChannel::NextResult EventChannel::Next(EventSubscriber& subscriber,
                                            std::chrono::milliseconds wait, std::string& out) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, wait,
                    [&] { return closed_ || subscriber.dropped || !subscriber.pending.empty(); });
  if (closed_ || subscriber.dropped) return NextResult::kClosed;
  if (subscriber.pending.empty()) return NextResult::kIdle;
  out.clear();
  out.swap(subscriber.pending);
  return NextResult::kData;
}

void EventChannel::Release(EventSubscriber& subscriber) {
  std::lock_guard lock(mutex_);
  subscriber.released = true;
  subscriber.pending.clear();
  std::erase_if(streams_, [&](const auto& stream) { return stream.get() == &subscriber; });
}

void EventChannel::Close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  changed_.notify_all();
}

std::size_t EventChannel::streamCount() const {
  std::lock_guard lock(mutex_);
  return streams_.size();
}

void EventChannel::Deliver(EventSubscriber& subscriber, std::string_view bytes) {
  if (subscriber.dropped) return;
  if (subscriber.pending.size() + bytes.size() > limits_.maxPendingBytes) {
    subscriber.dropped = true;
    subscriber.pending.clear();
    subscriber.pending.shrink_to_fit();
    return;
  }
  subscriber.pending += bytes;
}

}  // namespace talor
