// Subfields inside a field value: a subfield starts with `^` and a
// one-character code, and its value runs to the next `^` or to the end of the
// field value. Codes are matched upper case first, then lower case (the
// Windows-1251 case rules), so a code finds its subfield in either case and
// the upper-case marker wins when both are present.

#ifndef TALOR_TEXT_SUBFIELDS_H_
#define TALOR_TEXT_SUBFIELDS_H_

#include <string>
#include <string_view>

namespace talor {

inline constexpr char kSubfieldMarker = '^';

// The value of the first subfield with `code`; empty when there is none (or
// when its value is empty).
std::string GetSubfield(std::string_view fieldValue, char code);

// The field value without the first subfield with `code` (marker and value);
// unchanged when there is none.
std::string DeleteSubfield(std::string_view fieldValue, char code);

}  // namespace talor

#endif  // TALOR_TEXT_SUBFIELDS_H_
