// Percent coding of URLs and of the form data that pages post back.

#ifndef TALOR_TEXT_URL_CODING_H_
#define TALOR_TEXT_URL_CODING_H_

#include <string>
#include <string_view>

namespace talor {

// Byte by byte: ASCII letters (either case) and digits stay, a blank becomes
// "%20", every other byte (bytes above 127 and "-_.~" included) becomes `%`
// and two upper-case hexadecimal digits.
std::string UrlEncode(std::string_view text);

// Decodes form data so that its name=value pairs come out one a line: `%` and
// two upper-case hexadecimal digits become that byte; any other `%` sequence
// (lower-case digits, a non-digit, a `%` too near the end) is copied as
// written; `&` becomes CR LF and `+` a blank. An encoded ampersand therefore
// stays inside its value. Never fails.
std::string UrlDecodeForm(std::string_view formData);

}  // namespace talor

#endif  // TALOR_TEXT_URL_CODING_H_
