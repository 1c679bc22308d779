// Searches within a text. Positions are 1-based; 0 means "not found".

#ifndef TALOR_TEXT_TEXT_SEARCH_H_
#define TALOR_TEXT_TEXT_SEARCH_H_

#include <string>
#include <string_view>

namespace talor {

// A prefix pattern: the mask is walked up to its end or its first `*`; at
// each position the text must have a character and the mask character must
// be `?` or equal to it (case-sensitive). So "ab" matches every text that
// begins with "ab", "?" needs at least one character, and the empty mask
// matches everything.
bool MaskMatch(std::string_view mask, std::string_view text);

// Position of the first occurrence of `substring` at or after `start`; 0
// when there is none, when `start` is below 1 or beyond the text, or when
// `substring` is empty.
int PosFrom(std::string_view substring, std::string_view text, int start);

// Position of the first occurrence of `token` outside literals: a `"`, `'`
// or `|` opens a literal that the next occurrence of the same character
// closes. 0 when the token is not found, when it is empty, or when a
// literal before it is not closed.
int PosOutsideLiterals(std::string_view token, std::string_view text);

// The text from its first byte '0'..'9' to the end; empty when it has no
// digit.
std::string FromFirstDigit(std::string_view text);

}  // namespace talor

#endif  // TALOR_TEXT_TEXT_SEARCH_H_
