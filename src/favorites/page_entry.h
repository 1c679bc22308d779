// A page that the user can go back to: a favourite or a history entry. Both
// keep what it takes to show the page again as it was made — the address, the
// POST text and the page context — and the title shown for it.

#ifndef TALOR_FAVORITES_PAGE_ENTRY_H_
#define TALOR_FAVORITES_PAGE_ENTRY_H_

#include <string>
#include <string_view>

namespace talor {

struct PageEntry {
  std::string title;     // UTF-8; a favourite's title as typed, cut to the menu length
  std::string url;       // UTF-8: a pseudo-URL, a file or a web address
  std::string postText;  // the POST text; empty for a plain navigation
  std::string context;   // "<marker>,<database>,<server>" for a pseudo-URL, else empty

  bool operator==(const PageEntry&) const = default;
};

// The page context of a pseudo-URL page: the checkbox marker, the database
// and the server address in use when the page was made.
struct PageContext {
  std::string checkNameMarker;
  std::string dbName;
  std::string serverAddress;

  bool operator==(const PageContext&) const = default;
};

// "<marker>,<database>,<server>".
std::string ContextText(const PageContext& context);

// The parts of a context text. The marker is the text before the first
// comma, the database the text between the first and the second, the server
// everything after the second (so an address is never cut). A text with
// fewer commas leaves the missing parts empty.
PageContext ParseContext(std::string_view text);

// The first `count` characters (Unicode code points) of the UTF-8 `text`; a
// negative count keeps the whole text. A byte that does not start a
// character stays with the character before it, so a cut never splits one.
std::string CutToCharacters(std::string_view text, int count);

}  // namespace talor

#endif  // TALOR_FAVORITES_PAGE_ENTRY_H_
