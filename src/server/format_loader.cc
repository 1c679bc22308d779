#include "server/format_loader.h"

#include <optional>

#include "text/encoding.h"
#include "text/string_list.h"

namespace talor::server {

namespace {

constexpr char kIncludeStart = 0x1C;
constexpr char kIncludeEnd = 0x1D;
constexpr char kEndOfFile = 0x1A;

std::string FileFormat(const CatalogueFiles& files, std::string_view database,
                       std::string_view name) {
  std::string fileName(name);
  if (fileName.find('.') == std::string::npos) fileName += ".pft";
  std::optional<std::string> bytes = files.Read(kPathDatabase, database, fileName);
  if (!bytes) return {};
  std::string joined;
  for (std::string_view line : SplitLines(*bytes)) joined += CutComment(line);
  for (char& c : joined)
    if (c == kEndOfFile) c = ',';
  if (!joined.empty() && joined.front() == '!') return joined.substr(1);
  return AnsiToUtf8(joined);
}

}  // namespace

std::string_view CutComment(std::string_view line) {
  char quote = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '*') {
      return line.substr(0, i);
    }
  }
  return line;
}

std::string LoadFormat(const CatalogueFiles& files, std::string_view database,
                       std::string_view spec) {
  std::string text;
  if (spec.empty()) return text;
  if (spec.front() == '@') {
    text = FileFormat(files, database, spec.substr(1));
  } else if (spec.front() == '!') {
    text = std::string(CutComment(spec.substr(1)));
  } else {
    text = std::string(CutComment(spec));
  }
  for (int splices = 0; splices < kMaxIncludes; ++splices) {
    size_t start = text.find(kIncludeStart);
    if (start == std::string::npos) break;
    size_t end = text.find(kIncludeEnd, start + 1);
    if (end == std::string::npos) {
      text[start] = ',';
      continue;
    }
    std::string included = FileFormat(files, database, text.substr(start + 1, end - start - 1));
    text.replace(start, end - start + 1, included);
  }
  return text;
}

}  // namespace talor::server
