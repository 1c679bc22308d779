// Line breaks inside one line of a request, an answer or a stored list travel
// as byte 31 (for CR) and byte 30 (for LF).

#ifndef TALOR_TEXT_LINE_BREAKS_H_
#define TALOR_TEXT_LINE_BREAKS_H_

#include <string>

namespace talor {

inline constexpr char kEncodedCr = 31;
inline constexpr char kEncodedLf = 30;

// CR becomes byte 31 and LF byte 30, in place.
void EncodeLineBreaks(std::string& text);
// Byte 31 becomes CR and byte 30 LF, in place.
void DecodeLineBreaks(std::string& text);

}  // namespace talor

#endif  // TALOR_TEXT_LINE_BREAKS_H_
