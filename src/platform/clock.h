// The time source of the core, an interface so that tests can fix it.

#ifndef TALOR_PLATFORM_CLOCK_H_
#define TALOR_PLATFORM_CLOCK_H_

#include <cstdint>

namespace talor {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since the Unix epoch.
  virtual int64_t NowMilliseconds() const = 0;
};

class SystemClock final : public Clock {
 public:
  int64_t NowMilliseconds() const override;
};

// A clock that shows the time it is set to.
class FixedClock final : public Clock {
 public:
  explicit FixedClock(int64_t milliseconds) : now_(milliseconds) {}
  int64_t NowMilliseconds() const override { return now_; }
  void Set(int64_t milliseconds) { now_ = milliseconds; }

 private:
  int64_t now_;
};

}  // namespace talor

#endif  // TALOR_PLATFORM_CLOCK_H_
