// The Russian stemmer: how many characters at the end of a word form are an
// inflectional ending. It works on Windows-1251 text with fixed ending lists
// and the two tables of text/stem_tables.h.

#ifndef TALOR_TEXT_STEMMER_H_
#define TALOR_TEXT_STEMMER_H_

#include <string_view>

namespace talor {

// The longest word the stemmer looks at; longer texts are not words and get 0.
inline constexpr size_t kMaxStemWordLength = 255;

// The number of characters (0 or more) to cut from the end of `ansiWord`.
// The word is upper-cased with the Windows-1251 rules first; a word of 3
// letters or fewer, or one with any character other than А..Я and the hyphen
// (Ё, Latin letters and digits included), gives 0. A final -СЯ counts 2 and
// the rest of the rules look at the word without it. Never more than the
// word's length minus one; never fails.
int StemCut(std::string_view ansiWord);

}  // namespace talor

#endif  // TALOR_TEXT_STEMMER_H_
