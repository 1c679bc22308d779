// Escaping of the four characters that HTML attributes and text cannot carry.

#ifndef TALOR_TEXT_HTML_CODING_H_
#define TALOR_TEXT_HTML_CODING_H_

#include <string>
#include <string_view>

namespace talor {

// `&` becomes "&amp;" (an ampersand already escaped is escaped again), `"`
// "&quot;", `<` "&lt;" and `>` "&gt;".
std::string HtmlEscape(std::string_view text);

// Replaces "&amp;", then "&quot;", "&lt;" and "&gt;" by their characters, each
// until none is left, so that "&amp;lt;" comes out as `<`. For any text
// without entities of its own, HtmlUnescape(HtmlEscape(t)) == t.
std::string HtmlUnescape(std::string_view text);

}  // namespace talor

#endif  // TALOR_TEXT_HTML_CODING_H_
