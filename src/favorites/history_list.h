// The history of the run: every page shown, once per address and POST text,
// with the number of times it was shown again. It starts empty at every start
// and is never saved.
//
// The list is kept in one of four orders (the sort items of the history
// panel); every change keeps it in the chosen order, time order at start.

#ifndef TALOR_FAVORITES_HISTORY_LIST_H_
#define TALOR_FAVORITES_HISTORY_LIST_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "favorites/page_entry.h"

namespace talor {

struct HistoryEntry {
  PageEntry page;        // the title is the document's title, else the address
  int32_t sequence = 0;  // the number of entries when it was added: 0, 1, 2, ...
  int32_t revisits = 0;  // 0 when the page has been shown once

  bool operator==(const HistoryEntry&) const = default;
};

// The sort items, named after them: SortTimeMenuItem, SortNameMenuItem,
// SortURLMenuItem, SortCountMenuItem.
enum class HistorySort { Time, Name, URL, Count };

class HistoryList {
 public:
  // Counts a page shown. An entry with the same address (letter case aside)
  // and exactly the same POST text gets one more revisit; otherwise a new
  // entry is added with the next sequence number. The list is then put in
  // its order again.
  void Record(const PageEntry& page);

  // Puts the list in `order` and keeps it there. Ties keep time order.
  // Name and address orders compare text without regard to letter case.
  void Sort(HistorySort order);
  HistorySort order() const { return order_; }

  // The position of the first entry whose address and POST text both equal
  // `url` and `postText` exactly; nullopt when there is none.
  std::optional<size_t> Find(std::string_view url, std::string_view postText) const;

  // Removes entry `index`; false, changing nothing, when there is no such
  // entry. The others keep their sequence numbers and revisits.
  bool Delete(size_t index);

  const std::vector<HistoryEntry>& entries() const { return entries_; }
  size_t size() const { return entries_.size(); }

 private:
  std::vector<HistoryEntry> entries_;
  HistorySort order_ = HistorySort::Time;
  int32_t added_ = 0;  // entries added in the run, deleted ones included
};

}  // namespace talor

#endif  // TALOR_FAVORITES_HISTORY_LIST_H_
