// A set of MFNs as a compressed bitmap (roaring: 64K ranges held as sorted
// arrays, bitmaps or runs, whichever is smallest). The search evaluator
// combines term hits with it and the term index stores one per term chunk.

#ifndef TALOR_SERVER_MFN_SET_H_
#define TALOR_SERVER_MFN_SET_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct roaring_bitmap_s;

namespace talor::server {

class MfnSet {
 public:
  MfnSet();
  ~MfnSet();
  MfnSet(MfnSet&& other) noexcept;
  MfnSet& operator=(MfnSet&& other) noexcept;
  MfnSet(const MfnSet&) = delete;
  MfnSet& operator=(const MfnSet&) = delete;

  // A set of the MFNs in `sorted` (ascending; repeats allowed).
  static MfnSet Of(const std::vector<int32_t>& sorted);
  // Reads a set written by Serialize; nullopt when the bytes are not one
  // (truncated or damaged).
  static std::optional<MfnSet> Deserialize(std::string_view bytes);
  std::string Serialize() const;
  MfnSet Copy() const;

  // REQUIRES: mfn > 0 for Add.
  void Add(int32_t mfn);
  bool Contains(int32_t mfn) const;
  bool Empty() const;
  uint64_t Count() const;
  // True when some member lies in [first, last].
  bool Intersects(int32_t first, int32_t last) const;

  void Intersect(const MfnSet& other);
  void Unite(const MfnSet& other);
  void Subtract(const MfnSet& other);
  // Unites many sets at once; cheaper than one Unite per set.
  static MfnSet UnionOf(const std::vector<MfnSet>& sets);

  // The members from the `first`-th (0-based) on, at most `count` of them
  // (count 0: all), in ascending order.
  std::vector<int32_t> Portion(uint64_t first, uint64_t count) const;
  std::vector<int32_t> ToVector() const { return Portion(0, 0); }

 private:
  explicit MfnSet(roaring_bitmap_s* bitmap) : bitmap_(bitmap) {}
  roaring_bitmap_s* bitmap_;
};

}  // namespace talor::server

#endif  // TALOR_SERVER_MFN_SET_H_
