// Upper-case Cyrillic string constants written readably in UTF-8 source and
// turned into Windows-1251 bytes at compile time.

#ifndef TALOR_TEXT_ANSI_LITERAL_H_
#define TALOR_TEXT_ANSI_LITERAL_H_

#include <cstddef>
#include <string_view>

namespace talor {

// Accepts ASCII and the capital letters А..Я (U+0410..U+042F, which are
// 0xC0..0xDF in Windows-1251); any other character does not compile.
template <size_t N>
struct AnsiLiteral {
  char bytes[N] = {};
  size_t size = 0;

  consteval AnsiLiteral(const char (&utf8)[N]) {  // NOLINT: implicit by design
    for (size_t i = 0; i + 1 < N; ++i) {
      auto byte = static_cast<unsigned char>(utf8[i]);
      if (byte < 0x80) {
        bytes[size++] = utf8[i];
        continue;
      }
      auto next = static_cast<unsigned char>(utf8[i + 1]);
      if (byte != 0xD0 || next < 0x90 || next > 0xAF) throw "not a capital Cyrillic letter";
      bytes[size++] = static_cast<char>(next + 0x30);
      ++i;
    }
  }

  constexpr std::string_view view() const { return {bytes, size}; }
};

}  // namespace talor

#endif  // TALOR_TEXT_ANSI_LITERAL_H_
