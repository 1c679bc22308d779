#include "text/charset_escapes.h"

#include "text/encoding.h"

namespace talor {
namespace {

constexpr std::string_view kEscapeStart = "&&";
constexpr size_t kEscapeLength = 4;
constexpr char16_t kReplacementCharacter = 0xFFFD;
constexpr char16_t kIcuSubstitution = 0x001A;

// The display glyphs of the control bytes 0 to 31, as the console fonts draw
// them; byte 0 is shown as a blank.
constexpr char16_t kControlGlyphs[32] = {
    0x0020, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022, 0x25D8, 0x25CB, 0x25D9,
    0x2642, 0x2640, 0x266A, 0x266B, 0x263C, 0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7,
    0x25AC, 0x21A8, 0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,
};

// The character `byte` of character set `charsetId` as one UTF-16 unit;
// nullopt when the character set cannot be converted at all.
std::optional<char16_t> DecodeEscapedChar(unsigned char charsetId, unsigned char byte) {
  std::optional<int> codePage = CodePageOfCharset(charsetId);
  if (!codePage) return std::nullopt;
  // Probe the converter with a plain letter, so that a byte that is only
  // part of a multi-byte character is told apart from a missing converter.
  if (!CodePageToWide(*codePage, "A")) return std::nullopt;
  if (byte < 32) return kControlGlyphs[byte];
  std::optional<std::u16string> wide = CodePageToWide(*codePage, std::string(1, byte));
  // ICU reports a byte that is no character of its own as the substitution
  // control character; the byte is not a control byte here, so that unit
  // always means "no character".
  if (!wide || wide->size() != 1 || (*wide)[0] == kIcuSubstitution) return kReplacementCharacter;
  return (*wide)[0];
}

}  // namespace

std::optional<std::string> DecodeCharsetEscapes(std::string_view ansiText) {
  std::string result;
  result.reserve(ansiText.size() * 2);
  size_t from = 0;
  size_t at = 0;
  while ((at = ansiText.find(kEscapeStart, from)) != std::string_view::npos &&
         at + kEscapeLength <= ansiText.size()) {
    result += AnsiToUtf8(ansiText.substr(from, at - from));
    std::optional<char16_t> unit = DecodeEscapedChar(static_cast<unsigned char>(ansiText[at + 2]),
                                                     static_cast<unsigned char>(ansiText[at + 3]));
    if (!unit) return std::nullopt;
    result += WideToUtf8(std::u16string_view(&*unit, 1));
    from = at + kEscapeLength;
  }
  result += AnsiToUtf8(ansiText.substr(from));
  return result;
}

}  // namespace talor
