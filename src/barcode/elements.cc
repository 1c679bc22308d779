#include "barcode/elements.h"

namespace talor {

std::optional<Element> DecodeElement(char code) {
  if (code >= '0' && code <= '3') return Element{ElementKind::kSpace, code - '0'};
  if (code >= '5' && code <= '8') return Element{ElementKind::kBar, code - '5'};
  if (code >= 'A' && code <= 'D') return Element{ElementKind::kShortBar, code - 'A'};
  return std::nullopt;
}

void AppendModules(std::string& elements, std::string_view counts, bool barFirst) {
  bool bar = barFirst;
  for (char count : counts) {
    elements.push_back(static_cast<char>(bar ? count + 4 : count - 1));
    bar = !bar;
  }
}

}  // namespace talor
