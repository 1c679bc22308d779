// The full-ASCII rewriting shared by Code 39 extended and Code 93 extended:
// every character below 128 becomes one or two characters of the basic set,
// where a leading '$', '%', '/' or '+' of a pair is the shift character.

#ifndef TALOR_BARCODE_FULL_ASCII_H_
#define TALOR_BARCODE_FULL_ASCII_H_

#include <string>

namespace talor {

// The one or two characters that stand for `c`; empty for bytes from 128 up.
std::string FullAsciiPair(unsigned char c);

}  // namespace talor

#endif  // TALOR_BARCODE_FULL_ASCII_H_
