#include "favorites/history_list.h"

#include <unicode/coll.h>
#include <unicode/stringpiece.h>

#include <algorithm>
#include <memory>
#include <string>

#include "text/encoding.h"

namespace talor {
namespace {

bool SameUrl(std::string_view a, std::string_view b) {
  return a == b || Utf8LowerCase(a) == Utf8LowerCase(b);
}

// Compares UTF-8 texts in the Unicode collation order with letter case
// ignored; byte order when no collator can be made.
int CompareIgnoringCase(std::string_view a, std::string_view b) {
  thread_local std::unique_ptr<icu::Collator> collator = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> made(
        icu::Collator::createInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) return std::unique_ptr<icu::Collator>();
    made->setStrength(icu::Collator::SECONDARY);
    return made;
  }();
  if (collator) {
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult order =
        collator->compareUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
                              icu::StringPiece(b.data(), static_cast<int32_t>(b.size())), status);
    if (U_SUCCESS(status)) return order == UCOL_LESS ? -1 : order == UCOL_GREATER ? 1 : 0;
  }
  const std::string lowerA = Utf8LowerCase(a);
  const std::string lowerB = Utf8LowerCase(b);
  return lowerA < lowerB ? -1 : lowerA == lowerB ? 0 : 1;
}

// The order's own comparison: negative, 0 or positive. Counts and sequence
// numbers compare as numbers, so no count is too large to sort right.
int CompareBy(HistorySort order, const HistoryEntry& a, const HistoryEntry& b) {
  switch (order) {
    case HistorySort::Time:
      return 0;  // the tie-break below is time order
    case HistorySort::Name:
      return CompareIgnoringCase(a.page.title, b.page.title);
    case HistorySort::URL:
      return CompareIgnoringCase(a.page.url, b.page.url);
    case HistorySort::Count:
      return a.revisits < b.revisits ? -1 : a.revisits > b.revisits ? 1 : 0;
  }
  return 0;
}

}  // namespace

void HistoryList::Record(const PageEntry& page) {
  auto same = std::find_if(entries_.begin(), entries_.end(), [&](const HistoryEntry& entry) {
    return entry.page.postText == page.postText && SameUrl(entry.page.url, page.url);
  });
  if (same != entries_.end()) {
    ++same->revisits;
  } else {
    entries_.push_back(HistoryEntry{page, added_++, 0});
  }
  Sort(order_);
}

void HistoryList::Sort(HistorySort order) {
  order_ = order;
  std::sort(entries_.begin(), entries_.end(),
            [order](const HistoryEntry& a, const HistoryEntry& b) {
              const int compared = CompareBy(order, a, b);
              return compared != 0 ? compared < 0 : a.sequence < b.sequence;
            });
}

std::optional<size_t> HistoryList::Find(std::string_view url, std::string_view postText) const {
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].page.url == url && entries_[i].page.postText == postText) return i;
  }
  return std::nullopt;
}

bool HistoryList::Delete(size_t index) {
  if (index >= entries_.size()) return false;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

}  // namespace talor
