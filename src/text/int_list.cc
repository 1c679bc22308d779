#include "text/int_list.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <new>

namespace talor {

TIntList::TIntList() : items_(kDelta, 0) {}

int TIntList::Add(int32_t value) {
  if (count_ == Capacity()) {
    if (Capacity() > std::numeric_limits<int>::max() - kDelta) return -1;
    try {
      items_.resize(items_.size() + kDelta, 0);
    } catch (const std::bad_alloc&) {
      return -1;
    } catch (const std::length_error&) {
      return -1;
    }
  }
  items_[static_cast<size_t>(count_++)] = value;
  return 0;
}

int TIntList::IndexOf(int32_t value) const {
  auto end = items_.begin() + count_;
  auto it = std::find(items_.begin(), end, value);
  return it == end ? -1 : static_cast<int>(it - items_.begin());
}

int32_t TIntList::Get(int index) const {
  CheckIndex(index);
  return items_[static_cast<size_t>(index)];
}

void TIntList::Put(int index, int32_t value) {
  CheckIndex(index);
  items_[static_cast<size_t>(index)] = value;
}

void TIntList::Clear() {
  std::fill(items_.begin(), items_.end(), 0);
  count_ = 0;
}

void TIntList::Sort(SortDirection direction) {
  // Integers that compare equal are indistinguishable, so any correct sort
  // gives the same list; an introsort also has no worst case of deep
  // recursion on awkward inputs.
  auto end = items_.begin() + count_;
  if (direction == SortDirection::Ascending) {
    std::sort(items_.begin(), end);
  } else {
    std::sort(items_.begin(), end, std::greater<int32_t>());
  }
}

void TIntList::CheckIndex(int index) const {
  if (index < 0 || index >= count_) throw EIntArrError();
}

}  // namespace talor
