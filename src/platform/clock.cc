#include "platform/clock.h"

#include <chrono>

namespace talor {

int64_t SystemClock::NowMilliseconds() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace talor
