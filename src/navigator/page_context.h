// The context a pseudo-URL page was made in: the checkbox marker of the
// selection, the database and the server address. Back/forward entries and
// favourites keep it as the text "<marker>,<database>,<server>", so that
// showing the page again can restore what it needs.

#ifndef TALOR_NAVIGATOR_PAGE_CONTEXT_H_
#define TALOR_NAVIGATOR_PAGE_CONTEXT_H_

#include <string>
#include <string_view>

namespace talor {

struct PageContext {
  std::string checkNameMarker;
  std::string dbName;
  std::string serverAddress;

  bool operator==(const PageContext&) const = default;
};

// "<marker>,<database>,<server>".
inline std::string ContextText(const PageContext& context) {
  return context.checkNameMarker + "," + context.dbName + "," + context.serverAddress;
}

// The parts of a context text. The marker is the text before the first
// comma, the database the text between the first and the second, the server
// everything after the second (so an address is never cut). A text with
// fewer commas leaves the missing parts empty.
inline PageContext ParseContext(std::string_view text) {
  PageContext context;
  const size_t first = text.find(',');
  context.checkNameMarker = std::string(text.substr(0, first));
  if (first == std::string_view::npos) return context;
  const size_t second = text.find(',', first + 1);
  context.dbName = std::string(text.substr(first + 1, second - first - 1));
  if (second != std::string_view::npos)
    context.serverAddress = std::string(text.substr(second + 1));
  return context;
}

}  // namespace talor

#endif  // TALOR_NAVIGATOR_PAGE_CONTEXT_H_
