// Hexadecimal coding of byte strings.

#ifndef TALOR_TEXT_HEX_CODING_H_
#define TALOR_TEXT_HEX_CODING_H_

#include <string>
#include <string_view>

namespace talor {

// Every byte becomes two upper-case hexadecimal digits.
std::string HexEncode(std::string_view bytes);

// Reads the text in pairs from the start; a pair of hexadecimal digits
// (either case) becomes its byte, any other pair becomes `?`. An odd last
// character is ignored. HexDecode(HexEncode(b)) == b for all bytes b.
std::string HexDecode(std::string_view hexText);

}  // namespace talor

#endif  // TALOR_TEXT_HEX_CODING_H_
