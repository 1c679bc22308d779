// TIntList: a growable array of 32-bit signed integers with bounds-checked
// access and an in-place sort. The issue-number lists keep their numbers in
// it.
//
// Get and Put throw EIntArrError ("Item out of bounds") for an index outside
// 0 to Count() - 1: that is the class's documented contract, so callers that
// may pass a bad index must catch it (every module boundary catches it and
// turns it into a result code). Add never throws: it reports a failed growth
// by its result.

#ifndef TALOR_TEXT_INT_LIST_H_
#define TALOR_TEXT_INT_LIST_H_

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace talor {

class EIntArrError : public std::out_of_range {
 public:
  EIntArrError() : std::out_of_range("Item out of bounds") {}
};

enum class SortDirection { Descending = 0, Ascending = 1 };

class TIntList {
 public:
  // Places added each time the storage is full; also the initial capacity.
  static constexpr int kDelta = 1000;

  // An empty list whose storage for kDelta integers is allocated now.
  TIntList();

  int Count() const { return count_; }
  int Capacity() const { return static_cast<int>(items_.size()); }

  // Appends `value`, growing the storage by kDelta places when it is full.
  // Returns 0 when stored, -1 when the storage could not grow (the list is
  // then unchanged).
  int Add(int32_t value);

  // The lowest index holding `value`, or -1.
  int IndexOf(int32_t value) const;

  // Throws EIntArrError when `index` is below 0 or not below Count().
  int32_t Get(int index) const;
  void Put(int index, int32_t value);

  // Sets every place of the storage to 0 and the count to 0; the capacity
  // stays for reuse.
  void Clear();

  // Sorts items 0 to Count() - 1 in place; equal values are interchangeable.
  void Sort(SortDirection direction);

 private:
  void CheckIndex(int index) const;

  std::vector<int32_t> items_;  // size() is the capacity
  int count_ = 0;
};

}  // namespace talor

#endif  // TALOR_TEXT_INT_LIST_H_
