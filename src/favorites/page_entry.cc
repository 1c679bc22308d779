#include "favorites/page_entry.h"

#include <cstddef>

namespace talor {

std::string ContextText(const PageContext& context) {
  return context.checkNameMarker + "," + context.dbName + "," + context.serverAddress;
}

PageContext ParseContext(std::string_view text) {
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

std::string CutToCharacters(std::string_view text, int count) {
  if (count < 0) return std::string(text);
  int characters = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
    if (!continuation && characters++ == count) return std::string(text.substr(0, i));
  }
  return std::string(text);
}

}  // namespace talor
