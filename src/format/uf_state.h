// The engine-wide state of the keyed built-in library (`&uf`): the counter
// of key `S` and the clock of the date keys. It lives in the format engine
// and outlives single format calls.

#ifndef TALOR_FORMAT_UF_STATE_H_
#define TALOR_FORMAT_UF_STATE_H_

#include <cstdint>
#include <functional>

namespace talor {

// A moment of the local calendar, as the date and time keys print it.
struct LocalTime {
  int32_t year = 1;
  int32_t month = 1;  // 1..12
  int32_t day = 1;    // 1..31
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t second = 0;
};

// Where the date and time keys take "now" from; tests inject a fixed time.
using LocalClock = std::function<LocalTime()>;

// The current local time of this machine.
LocalTime SystemLocalTime();

struct UniforState {
  // The counter of key `S`; it survives between format calls.
  int64_t counter = 0;
  // Empty means the system clock.
  LocalClock clock;
};

}  // namespace talor

#endif  // TALOR_FORMAT_UF_STATE_H_
