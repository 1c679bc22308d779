// Cutting a text into words, with optional stemming and stop words.

#ifndef TALOR_TEXT_WORD_SPLITTER_H_
#define TALOR_TEXT_WORD_SPLITTER_H_

#include <bitset>
#include <string_view>

#include "text/string_list.h"

namespace talor {

// Bit v set: the byte of value v belongs to a word.
using LetterSet = std::bitset<256>;

// ASCII letters and every byte from 128 up (so UTF-8 sequences stay whole
// inside words); digits, blanks, punctuation and control bytes separate.
const LetterSet& DefaultLetterClass();

// Fills `words` (cleared first) with the words of `text`, each with its
// ordinal number in the text (1 for the first word) as its object.
//  - `translation`: a byte v of a word (1 <= v <= size) becomes
//    translation[v - 1]; empty changes nothing.
//  - `stem`: words longer than 4 bytes lose the ending that StemCut finds
//    (the text is UTF-8; the stemmer sees it in Windows-1251).
//  - `stopList`: words in it (compared without regard to case) are not
//    listed but still counted, so ordinals may have gaps; words that
//    stemming makes equal are listed again.
// Never fails: on an internal failure `words` keeps what was found so far.
void SplitWords(std::string_view text, std::string_view translation, const StringList& stopList,
                bool stem, StringList& words, const LetterSet& letters = DefaultLetterClass());

}  // namespace talor

#endif  // TALOR_TEXT_WORD_SPLITTER_H_
