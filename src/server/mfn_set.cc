#include "server/mfn_set.h"

#include <roaring/roaring.h>

#include <utility>

namespace talor::server {

MfnSet::MfnSet() : bitmap_(roaring_bitmap_create()) {}

MfnSet::~MfnSet() {
  if (bitmap_ != nullptr) roaring_bitmap_free(bitmap_);
}

MfnSet::MfnSet(MfnSet&& other) noexcept : bitmap_(std::exchange(other.bitmap_, nullptr)) {}

MfnSet& MfnSet::operator=(MfnSet&& other) noexcept {
  if (this != &other) {
    if (bitmap_ != nullptr) roaring_bitmap_free(bitmap_);
    bitmap_ = std::exchange(other.bitmap_, nullptr);
  }
  return *this;
}

MfnSet MfnSet::Of(const std::vector<int32_t>& sorted) {
  MfnSet set;
  // MFNs are positive, so their bits read the same as unsigned values.
  roaring_bitmap_add_many(set.bitmap_, sorted.size(),
                          reinterpret_cast<const uint32_t*>(sorted.data()));
  roaring_bitmap_run_optimize(set.bitmap_);
  return set;
}

std::optional<MfnSet> MfnSet::Deserialize(std::string_view bytes) {
  if (bytes.empty()) return std::nullopt;
  // The size check first: the reader trusts the counts it finds.
  if (roaring_bitmap_portable_deserialize_size(bytes.data(), bytes.size()) != bytes.size())
    return std::nullopt;
  roaring_bitmap_t* bitmap = roaring_bitmap_portable_deserialize_safe(bytes.data(), bytes.size());
  if (bitmap == nullptr) return std::nullopt;
  return MfnSet(bitmap);
}

std::string MfnSet::Serialize() const {
  std::string bytes(roaring_bitmap_portable_size_in_bytes(bitmap_), '\0');
  bytes.resize(roaring_bitmap_portable_serialize(bitmap_, bytes.data()));
  return bytes;
}

MfnSet MfnSet::Copy() const { return MfnSet(roaring_bitmap_copy(bitmap_)); }

void MfnSet::Add(int32_t mfn) { roaring_bitmap_add(bitmap_, static_cast<uint32_t>(mfn)); }

bool MfnSet::Contains(int32_t mfn) const {
  return mfn > 0 && roaring_bitmap_contains(bitmap_, static_cast<uint32_t>(mfn));
}

bool MfnSet::Empty() const { return roaring_bitmap_is_empty(bitmap_); }

uint64_t MfnSet::Count() const { return roaring_bitmap_get_cardinality(bitmap_); }

bool MfnSet::Intersects(int32_t first, int32_t last) const {
  if (last < first) return false;
  return roaring_bitmap_range_cardinality(bitmap_, static_cast<uint32_t>(first),
                                          static_cast<uint64_t>(last) + 1) > 0;
}

void MfnSet::Intersect(const MfnSet& other) { roaring_bitmap_and_inplace(bitmap_, other.bitmap_); }

void MfnSet::Unite(const MfnSet& other) { roaring_bitmap_or_inplace(bitmap_, other.bitmap_); }

void MfnSet::Subtract(const MfnSet& other) {
  roaring_bitmap_andnot_inplace(bitmap_, other.bitmap_);
}

MfnSet MfnSet::UnionOf(const std::vector<MfnSet>& sets) {
  if (sets.empty()) return MfnSet();
  std::vector<const roaring_bitmap_t*> bitmaps;
  bitmaps.reserve(sets.size());
  for (const MfnSet& set : sets) bitmaps.push_back(set.bitmap_);
  return MfnSet(roaring_bitmap_or_many(bitmaps.size(), bitmaps.data()));
}

std::vector<int32_t> MfnSet::Portion(uint64_t first, uint64_t count) const {
  uint64_t size = Count();
  if (first >= size) return {};
  uint64_t n = size - first;
  if (count > 0 && count < n) n = count;
  std::vector<int32_t> mfns(n);
  roaring_bitmap_range_uint32_array(bitmap_, first, n, reinterpret_cast<uint32_t*>(mfns.data()));
  return mfns;
}

}  // namespace talor::server
