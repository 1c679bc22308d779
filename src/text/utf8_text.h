// Counting and cutting UTF-8 text by characters (code points) rather than
// bytes, so that a cut never splits a character.

#ifndef TALOR_TEXT_UTF8_TEXT_H_
#define TALOR_TEXT_UTF8_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace talor {

// The number of characters of `text`: every byte that does not continue a
// sequence counts once, so malformed text never counts more than its bytes.
size_t Utf8Length(std::string_view text);

// The first `count` characters of `text`; a negative count keeps the whole
// text. A byte that does not start a character stays with the character
// before it.
std::string Utf8Prefix(std::string_view text, int count);

}  // namespace talor

#endif  // TALOR_TEXT_UTF8_TEXT_H_
