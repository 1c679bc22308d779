// Events from the core to the window: the core pushes named events with JSON
// data; every connected event stream (Server-Sent Events) delivers them in
// the order they were pushed.
//
// Threads: Push and Attach run on the core loop's thread; Open, Next and
// Release run on the web server's threads; Close on the owner's thread. All
// are safe to call concurrently. Nothing here blocks the core: a stream whose
// reader falls behind by more than the pending limit is dropped instead.

#ifndef TALOR_UI_EVENT_CHANNEL_H_
#define TALOR_UI_EVENT_CHANNEL_H_

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace talor {

struct WindowEvent {
  std::string name;  // the SSE event type the page listens for
  std::string data;  // JSON text
};

struct EventChannelLimits {
  std::size_t maxStreams = 4;             // open streams at once
  std::size_t maxPendingBytes = 1 << 20;  // undelivered bytes per stream
};

// One connected stream. Opaque to everyone but the channel.
struct EventSubscriber;

class EventChannel {
 public:
  using Snapshot = std::function<std::vector<WindowEvent>()>;

  explicit EventChannel(EventChannelLimits limits = {});
  EventChannel(const EventChannel&) = delete;
  EventChannel& operator=(const EventChannel&) = delete;

  // The events that bring a newly connected page up to date with the core's
  // state. Called on the core loop's thread once per stream, just before the
  // stream starts receiving pushes, so a page sees no gap and no repeat.
  // REQUIRES: before the first Open.
  void SetSnapshot(Snapshot snapshot) { snapshot_ = std::move(snapshot); }

  // Queues an event for every attached stream and returns at once. Newlines
  // in `name` are removed; `jsonData` may span several lines.
  void Push(std::string_view name, std::string_view jsonData);

  // Registers a new stream, not yet receiving pushes. nullptr when the
  // channel is closed or maxStreams streams are open.
  std::shared_ptr<EventSubscriber> Open();

  // On the core loop's thread: queues the snapshot for `subscriber` and
  // starts delivering pushes to it. Does nothing for a released stream.
  void Attach(EventSubscriber& subscriber);

  enum class NextResult {
    kData,    // `out` holds the next bytes of the stream
    kIdle,    // nothing arrived within the wait; time for a keep-alive
    kClosed,  // the channel closed or the stream was dropped: end it
  };

  // Waits up to `wait` for bytes for `subscriber` and moves them into `out`.
  NextResult Next(EventSubscriber& subscriber, std::chrono::milliseconds wait, std::string& out);

  // Forgets a stream whose connection ended. Idempotent.
  void Release(EventSubscriber& subscriber);

  // Ends every stream (Next returns kClosed) and refuses new ones. Idempotent.
  void Close();

  // The number of streams opened and not yet released.
  std::size_t streamCount() const;

  // The event as it travels on the wire: "event: name\ndata: ...\n\n".
  static std::string Format(std::string_view name, std::string_view jsonData);

 private:
  // Appends `bytes` to the stream, or drops the stream when that would pass
  // the pending limit. REQUIRES: mutex_ held.
  void Deliver(EventSubscriber& subscriber, std::string_view bytes);

  // Constant after construction
  const EventChannelLimits limits_;
  Snapshot snapshot_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::shared_ptr<EventSubscriber>> streams_;  // guarded by mutex_
  bool closed_ = false;                                    // guarded by mutex_
};

}  // namespace talor

#endif  // TALOR_UI_EVENT_CHANNEL_H_
