#include "text/text_search.h"

namespace talor {

bool MaskMatch(std::string_view mask, std::string_view text) {
  for (size_t i = 0; i < mask.size() && mask[i] != '*'; ++i) {
    if (i >= text.size()) return false;
    if (mask[i] != '?' && mask[i] != text[i]) return false;
  }
  return true;
}

int PosFrom(std::string_view substring, std::string_view text, int start) {
  if (substring.empty() || start < 1 || static_cast<size_t>(start) > text.size()) return 0;
  size_t at = text.find(substring, static_cast<size_t>(start - 1));
  return at == std::string_view::npos ? 0 : static_cast<int>(at + 1);
}

int PosOutsideLiterals(std::string_view token, std::string_view text) {
  if (token.empty()) return 0;
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '"' || c == '\'' || c == '|') {
      size_t close = text.find(c, i + 1);
      if (close == std::string_view::npos) return 0;
      i = close + 1;
      continue;
    }
    if (text.substr(i).starts_with(token)) return static_cast<int>(i + 1);
    ++i;
  }
  return 0;
}

std::string FromFirstDigit(std::string_view text) {
  size_t at = text.find_first_of("0123456789");
  return at == std::string_view::npos ? std::string() : std::string(text.substr(at));
}

}  // namespace talor
