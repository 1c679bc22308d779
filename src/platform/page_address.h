// Addresses as the HTML page view handles them: the scheme, the local path
// of a file: URL, relative references resolved against a page's address,
// and the query of a form's action replaced.
//
// Pseudo-URLs (`TALOR:1,,DEMO,,K=a^b`) pass through every function here
// unchanged in their bytes: nothing is normalised, encoded or decoded except
// the path of a file: URL, which is percent-decoded to name the file.

#ifndef TALOR_PLATFORM_PAGE_ADDRESS_H_
#define TALOR_PLATFORM_PAGE_ADDRESS_H_

#include <optional>
#include <string>
#include <string_view>

namespace talor {

// The scheme of an absolute address in lower case ("file", "talor",
// "about"); empty when `url` has none. A scheme is a letter followed by
// letters, digits, `+`, `-` or `.`, then `:`.
std::string UrlScheme(std::string_view url);

// The local path named by a file: URL: `file:///dir/a.html`,
// `file://localhost/dir/a.html` or `file:/dir/a.html` give "/dir/a.html";
// the query and the fragment are dropped, `%XX` is decoded and repeated
// leading slashes are read as one (`file:////tmp/x` names "/tmp/x").
// nullopt for another scheme, another host or a path with a NUL byte. With
// `decode` false the path keeps its `%XX` as written (for a file whose name
// really holds a percent sign).
std::optional<std::string> FileUrlPath(std::string_view url, bool decode = true);

// Decodes each `%` followed by two hexadecimal digits; leaves any other `%`
// as it is. `+` stays a plus sign.
std::string PercentDecode(std::string_view text);

// `reference` resolved against the address `base`, as a browser does for a
// link: an absolute reference is returned as it is; `#x`, `?x`, `/x`, `//x`
// and relative paths (with `.` and `..`) are resolved against a
// hierarchical base (`file:`, `http:`, ...). Against a base that has no
// path (`about:blank`, a pseudo-URL) only `#x` and the empty reference
// resolve; any other reference comes back as it is.
std::string ResolveUrl(std::string_view base, std::string_view reference);

// `url` with its query (from `?` to the fragment) replaced by `?` + `query`;
// the fragment stays at the end.
std::string ReplaceQuery(std::string_view url, std::string_view query);

}  // namespace talor

#endif  // TALOR_PLATFORM_PAGE_ADDRESS_H_
