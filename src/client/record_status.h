// The status bits of a catalogue record: line 1 of a record in the client,
// the part after "MFN#" on the wire, the status column of the server's
// storage. Bits other than these pass through unchanged.

#ifndef TALOR_CLIENT_RECORD_STATUS_H_
#define TALOR_CLIENT_RECORD_STATUS_H_

#include <cstdint>

namespace talor {

inline constexpr int32_t kStatusDeleted = 1;  // logically deleted
inline constexpr int32_t kStatusLocked = 64;  // locked by a reader

}  // namespace talor

#endif  // TALOR_CLIENT_RECORD_STATUS_H_
