// Getting the text of a format: comments, code pages, line joining and the
// splicing of included formats.

#ifndef TALOR_FORMAT_FORMAT_LOADING_H_
#define TALOR_FORMAT_FORMAT_LOADING_H_

#include <string>
#include <string_view>

#include "format/format_services.h"
#include "text/string_list.h"

namespace talor {

// An include is character 28, a format name and character 29.
inline constexpr char kIncludeStart = 28;
inline constexpr char kIncludeEnd = 29;
// At most this many includes are spliced into one format.
inline constexpr int kMaxIncludes = 101;
// Character 26 in a format stands for a separator and becomes a comma.
inline constexpr char kFormatSeparator = 26;

// `line` up to its first "/*" outside literals (`"`, `'`, `|`); the whole
// line when there is none or a literal before it is not closed.
std::string_view CutComment(std::string_view line);

// The lines of `text` (split at CR, LF and CR LF), each cut at its comment,
// joined with nothing between them.
std::string JoinFormatLines(std::string_view text);
std::string JoinFormatLines(const StringList& lines);

// A name without a point gets ".pft".
std::string FormatFileName(std::string_view name);

// Text as stored: a leading `!` is removed and the rest taken as UTF-8;
// anything else is Windows-1251 and converted to UTF-8.
std::string FormatTextToUtf8(std::string_view text);

// Replaces every character 26 and CR by a comma.
void ReplaceSeparators(std::string& text);

// Reads format file `name` of `database` (".pft" added when the name has no
// point) and prepares it: comments cut, lines joined, code page converted,
// separators replaced. Empty when the file cannot be delivered or `reader`
// is nullptr.
std::string ReadFormatFile(FormatFileReader* reader, std::string_view database,
                           std::string_view name);

// Splices the includes of `text`: at most kMaxIncludes of them in all (nested
// ones included); a character 28 without a following 29 becomes a comma; a
// missing file splices nothing. A character 28 left after the limit makes
// the reader ask for the server.
void SpliceIncludes(FormatFileReader* reader, std::string_view database, std::string& text);

// The loaded text of a format spec: "@name" reads a file, anything
// else is the format itself (cut at its first comment). Includes spliced.
std::string LoadFormat(FormatFileReader* reader, std::string_view database,
                       std::string_view formatSpec);

}  // namespace talor

#endif  // TALOR_FORMAT_FORMAT_LOADING_H_
