#include "text/utf8_text.h"

#include <cstdint>

namespace talor {
namespace {

bool IsContinuation(char c) { return (static_cast<uint8_t>(c) & 0xC0) == 0x80; }

}  // namespace

size_t Utf8Length(std::string_view text) {
  size_t count = 0;
  for (char c : text) count += IsContinuation(c) ? 0 : 1;
  return count;
}

std::string Utf8Prefix(std::string_view text, int count) {
  if (count < 0) return std::string(text);
  int characters = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!IsContinuation(text[i]) && characters++ == count) return std::string(text.substr(0, i));
  }
  return std::string(text);
}

}  // namespace talor
