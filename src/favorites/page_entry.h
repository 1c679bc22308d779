// A page that the user can go back to: a favourite or a history entry. Both
// keep what it takes to show the page again as it was made — the address, the
// POST text and the page context — and the title shown for it.

#ifndef TALOR_FAVORITES_PAGE_ENTRY_H_
#define TALOR_FAVORITES_PAGE_ENTRY_H_

#include <string>

#include "navigator/page_context.h"
#include "text/utf8_text.h"

namespace talor {

struct PageEntry {
  std::string title;     // UTF-8; a favourite's title as typed, cut to the menu length
  std::string url;       // UTF-8: a pseudo-URL, a file or a web address
  std::string postText;  // the POST text; empty for a plain navigation
  std::string context;   // "<marker>,<database>,<server>" for a pseudo-URL, else empty

  bool operator==(const PageEntry&) const = default;
};

}  // namespace talor

#endif  // TALOR_FAVORITES_PAGE_ENTRY_H_
