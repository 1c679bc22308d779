// Result codes of the server client: the exchange results that every server
// operation returns, the codes that the client puts in place of an answer it
// cannot use, and the server's codes that the client itself reacts to.
// The bare numbers cross the wire and the record layout, so they are fixed.

#ifndef TALOR_CLIENT_RESULT_CODES_H_
#define TALOR_CLIENT_RESULT_CODES_H_

#include <cstdint>

namespace talor {

// What a server operation reports.
enum class ExchangeResult : int {
  Good = 1,    // an answer arrived and passed the checks
  Failed = 2,  // no connection, broken connection, corrupt answer, user gave up
  Busy = 7,    // refused: another exchange is still running
};

// The answer failed the length check (or, on the blocking path, the identity
// check).
inline constexpr int32_t kCorruptAnswer = -1112;
// An answer line that should have held a decimal integer did not; also the
// non-blocking path's mark of an identity mismatch.
inline constexpr int32_t kUnreadableAnswer = -2222;

// Server return codes that the client acts on.
inline constexpr int32_t kRecordAbsent = -605;     // no record with that MFN
inline constexpr int32_t kVersionConflict = -608;  // record changed meanwhile

}  // namespace talor

#endif  // TALOR_CLIENT_RESULT_CODES_H_
