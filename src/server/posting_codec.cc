#include "server/posting_codec.h"

namespace talor::server {

namespace posting_codec_internal {

std::optional<uint32_t> ReadVarint(std::string_view bytes, size_t& pos) {
  uint32_t value = 0;
  for (int shift = 0; shift < 35; shift += 7) {
    if (pos >= bytes.size()) return std::nullopt;
    auto byte = static_cast<unsigned char>(bytes[pos++]);
    if (shift == 28 && (byte & 0x70) != 0) return std::nullopt;
    value |= static_cast<uint32_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) return value;
  }
  return std::nullopt;
}

}  // namespace posting_codec_internal

namespace {

void PutVarint(std::string& out, uint32_t value) {
  while (value >= 0x80) {
    out += static_cast<char>((value & 0x7F) | 0x80);
    value >>= 7;
  }
  out += static_cast<char>(value);
}

uint32_t Zigzag(int32_t value) {
  return (static_cast<uint32_t>(value) << 1) ^ static_cast<uint32_t>(value >> 31);
}

}  // namespace

std::string EncodePostings(const std::vector<Posting>& postings) {
  std::string out;
  std::string group;
  int32_t previous = 0;
  for (size_t i = 0; i < postings.size();) {
    int32_t mfn = postings[i].mfn;
    group.clear();
    for (; i < postings.size() && postings[i].mfn == mfn; ++i)
      for (int32_t n : {postings[i].tag, postings[i].occurrence, postings[i].position})
        PutVarint(group, Zigzag(n));
    PutVarint(out, static_cast<uint32_t>(mfn - previous));
    PutVarint(out, static_cast<uint32_t>(group.size()));
    out += group;
    previous = mfn;
  }
  return out;
}

bool DecodePostings(std::string_view bytes, std::vector<Posting>& out) {
  return DecodePostings(bytes, out, [](int32_t) { return true; });
}

std::optional<std::vector<int32_t>> DecodePostingMfns(std::string_view bytes) {
  std::vector<int32_t> mfns;
  std::vector<Posting> none;
  bool ok = DecodePostings(bytes, none, [&](int32_t mfn) {
    mfns.push_back(mfn);
    return false;
  });
  if (!ok) return std::nullopt;
  return mfns;
}

}  // namespace talor::server
