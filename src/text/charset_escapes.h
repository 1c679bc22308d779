// ANSI texts that carry characters of other Windows character sets as
// four-byte escapes.

#ifndef TALOR_TEXT_CHARSET_ESCAPES_H_
#define TALOR_TEXT_CHARSET_ESCAPES_H_

#include <optional>
#include <string>
#include <string_view>

namespace talor {

// Converts an ANSI (Windows-1251) text to UTF-8, decoding the escapes `&&`,
// a font character-set identifier byte and one character byte of that set.
// A `&&` is an escape only when the two bytes after it exist. Control bytes
// of the escaped set become their display glyphs (byte 1 a smiling face and
// so on; byte 0 a blank). Returns nullopt when an escape names a character
// set that is unknown or has no converter.
std::optional<std::string> DecodeCharsetEscapes(std::string_view ansiText);

}  // namespace talor

#endif  // TALOR_TEXT_CHARSET_ESCAPES_H_
