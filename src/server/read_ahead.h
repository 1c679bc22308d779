// Runs a producer on a second thread ahead of its consumer: the items come
// out in the order made, at most a bounded backlog ahead. The bulk loads
// use it so that the format engine makes a record's terms on one core while
// SQLite writes the records before it on the other.

#ifndef TALOR_SERVER_READ_AHEAD_H_
#define TALOR_SERVER_READ_AHEAD_H_

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace talor::server {

template <typename Item>
class ReadAhead {
 public:
  // Gives the next item, or nullopt at the end. Called on the helper thread
  // only, one call at a time.
  using Producer = std::function<std::optional<Item>()>;

  // Items move between the threads in batches of `batch`; at most
  // `batches` of them wait.
  ReadAhead(Producer produce, size_t batch, size_t batches)
      : produce_(std::move(produce)),
        batch_(batch),
        batches_(batches),
        thread_([this] { Run(); }) {}
  // Stops the producer after the item it is making and waits for it.
  ~ReadAhead() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The next item in order; nullopt once the producer has given its last.
  std::optional<Item> Next() {
    if (taken_ == current_.size()) {
      current_.clear();
      taken_ = 0;
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return !ready_.empty() || finished_; });
      if (ready_.empty()) return std::nullopt;
      current_ = std::move(ready_.front());
      ready_.pop_front();
      changed_.notify_all();
    }
    return std::move(current_[taken_++]);
  }

 private:
  void Run() {
    bool more = true;
    while (more) {
      std::vector<Item> batch;
      batch.reserve(batch_);
      while (batch.size() < batch_) {
        std::optional<Item> item = produce_();
        if (!item) {
          more = false;
          break;
        }
        batch.push_back(std::move(*item));
      }
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return ready_.size() < batches_ || stopping_; });
      if (stopping_) break;
      if (!batch.empty()) ready_.push_back(std::move(batch));
      changed_.notify_all();
    }
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
  }

  // Constant after construction.
  Producer produce_;
  const size_t batch_;
  const size_t batches_;
  // The consumer's own.
  std::vector<Item> current_;
  size_t taken_ = 0;
  // Guarded by mutex_.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::vector<Item>> ready_;
  bool finished_ = false;
  bool stopping_ = false;
  // Last, so that it starts when everything above is ready.
  std::thread thread_;
};

}  // namespace talor::server

#endif  // TALOR_SERVER_READ_AHEAD_H_
