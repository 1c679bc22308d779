// One posting of the dictionary: where a term occurs.

#ifndef TALOR_SERVER_POSTING_H_
#define TALOR_SERVER_POSTING_H_

#include <compare>
#include <cstdint>

namespace talor::server {

struct Posting {
  int32_t mfn = 0;
  int32_t tag = 0;
  int32_t occurrence = 0;  // the field occurrence or output line, from 1
  int32_t position = 0;    // the word in that line, from 1
  auto operator<=>(const Posting&) const = default;
};

}  // namespace talor::server

#endif  // TALOR_SERVER_POSTING_H_
