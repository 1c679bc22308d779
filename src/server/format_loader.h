// Turns the format spec of a request into format text:
//   ""          no format: records are listed without text;
//   "@name"     the file name (".pft" added when it has no point) from the
//               database's folder, each line cut at its first "/*" outside
//               literals, lines joined;
//   "!text"     the text itself, already UTF-8;
//   other text  the text itself.
// File text that does not start with `!` is Windows-1251 and is converted to
// UTF-8. Includes (byte 0x1C, a format name, byte 0x1D) are spliced from
// files, at most kMaxIncludes times; a missing file splices nothing.

#ifndef TALOR_SERVER_FORMAT_LOADER_H_
#define TALOR_SERVER_FORMAT_LOADER_H_

#include <string>
#include <string_view>

#include "server/catalogue_files.h"

namespace talor::server {

inline constexpr int kMaxIncludes = 101;

std::string LoadFormat(const CatalogueFiles& files, std::string_view database,
                       std::string_view spec);

// Cuts `line` at its first "/*" that is not inside a '...' or "..." literal.
std::string_view CutComment(std::string_view line);

}  // namespace talor::server

#endif  // TALOR_SERVER_FORMAT_LOADER_H_
