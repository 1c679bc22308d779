// Writing JSON text for the window: the page reads directory listings and
// core events as JSON.

#ifndef TALOR_UI_JSON_TEXT_H_
#define TALOR_UI_JSON_TEXT_H_

#include <string>
#include <string_view>

namespace talor {

// Appends `text` to `out` as a quoted JSON string. `text` is UTF-8; control
// characters, quotes and backslashes are escaped, and every byte that is not
// part of a well-formed UTF-8 sequence becomes U+FFFD, so the result is
// always valid JSON whatever the input.
void AppendJsonString(std::string& out, std::string_view text);

// `text` as a quoted JSON string.
std::string JsonString(std::string_view text);

}  // namespace talor

#endif  // TALOR_UI_JSON_TEXT_H_
