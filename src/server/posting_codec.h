// The postings of one term in one chunk of MFNs as the term index stores
// them: for each record, in MFN order, the distance from the previous MFN,
// the byte length of the record's postings, then tag, occurrence and
// position of each posting; all numbers are varints (LEB128), tag,
// occurrence and position zig-zag coded so that negative values stay short.
// The byte length lets a reader step over records it does not want.

#ifndef TALOR_SERVER_POSTING_CODEC_H_
#define TALOR_SERVER_POSTING_CODEC_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/posting.h"

namespace talor::server {

// REQUIRES: `postings` sorted, every MFN > 0.
std::string EncodePostings(const std::vector<Posting>& postings);

// Appends the postings of `bytes` to `out`, only those of records that
// `wanted` accepts (when given). False when the bytes are damaged; `out`
// may then hold part of them.
template <typename Wanted>
bool DecodePostings(std::string_view bytes, std::vector<Posting>& out, const Wanted& wanted);
bool DecodePostings(std::string_view bytes, std::vector<Posting>& out);

// The MFNs of `bytes` in order, nullopt when damaged.
std::optional<std::vector<int32_t>> DecodePostingMfns(std::string_view bytes);

namespace posting_codec_internal {

// Reads one varint from `bytes` at `pos`; nullopt past the end or when
// longer than 32 bits.
std::optional<uint32_t> ReadVarint(std::string_view bytes, size_t& pos);
inline int32_t Unzigzag(uint32_t v) { return static_cast<int32_t>((v >> 1) ^ (~(v & 1) + 1)); }

}  // namespace posting_codec_internal

template <typename Wanted>
bool DecodePostings(std::string_view bytes, std::vector<Posting>& out, const Wanted& wanted) {
  using posting_codec_internal::ReadVarint;
  using posting_codec_internal::Unzigzag;
  size_t pos = 0;
  int64_t mfn = 0;
  while (pos < bytes.size()) {
    std::optional<uint32_t> gap = ReadVarint(bytes, pos);
    std::optional<uint32_t> length = ReadVarint(bytes, pos);
    if (!gap || !length || *gap == 0 || *length > bytes.size() - pos) return false;
    mfn += *gap;
    if (mfn > INT32_MAX) return false;
    size_t end = pos + *length;
    if (!wanted(static_cast<int32_t>(mfn))) {
      pos = end;
      continue;
    }
    std::string_view group = bytes.substr(0, end);
    while (pos < end) {
      std::optional<uint32_t> tag = ReadVarint(group, pos);
      std::optional<uint32_t> occurrence = ReadVarint(group, pos);
      std::optional<uint32_t> position = ReadVarint(group, pos);
      if (!tag || !occurrence || !position) return false;
      out.push_back(
          {static_cast<int32_t>(mfn), Unzigzag(*tag), Unzigzag(*occurrence), Unzigzag(*position)});
    }
  }
  return true;
}

}  // namespace talor::server

#endif  // TALOR_SERVER_POSTING_CODEC_H_
