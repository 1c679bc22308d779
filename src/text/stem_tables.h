// The stemmer's two built-in word tables: upper-case Windows-1251 byte
// strings sorted by byte value (tools/stem_tables.py generates them).

#ifndef TALOR_TEXT_STEM_TABLES_H_
#define TALOR_TEXT_STEM_TABLES_H_

#include <cstddef>
#include <span>
#include <string_view>

namespace talor {

// Complete word forms whose last letters look like an inflectional ending
// but belong to the stem, or whose ending must be cut short (3 to 17
// letters).
extern const std::string_view kStemExceptionWords[];
extern const size_t kStemExceptionWordsCount;

// Word endings (3 to 10 letters) after which the endings -ЕМУ, -ИЕ, -ИЙ,
// -ЕЕ and -ЕВ belong to the stem.
extern const std::string_view kStemKeepTails[];
extern const size_t kStemKeepTailsCount;

inline std::span<const std::string_view> StemExceptionWords() {
  return {kStemExceptionWords, kStemExceptionWordsCount};
}
inline std::span<const std::string_view> StemKeepTails() {
  return {kStemKeepTails, kStemKeepTailsCount};
}

// True when `ansiWord` equals an entry of StemExceptionWords (bisection).
bool IsStemException(std::string_view ansiWord);

// True when, for some k from 10 down to 3, the last k letters of `ansiWord`
// equal an entry of StemKeepTails.
bool EndsInKeepTail(std::string_view ansiWord);

}  // namespace talor

#endif  // TALOR_TEXT_STEM_TABLES_H_
