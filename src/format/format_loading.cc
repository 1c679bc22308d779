#include "format/format_loading.h"

#include "text/encoding.h"
#include "text/text_search.h"

namespace talor {

std::string_view CutComment(std::string_view line) {
  const int position = PosOutsideLiterals("/*", line);
  return position > 0 ? line.substr(0, static_cast<size_t>(position - 1)) : line;
}

std::string JoinFormatLines(std::string_view text) {
  std::string joined;
  joined.reserve(text.size());
  for (std::string_view line : SplitLines(text)) joined += CutComment(line);
  return joined;
}

std::string JoinFormatLines(const StringList& lines) {
  std::string joined;
  for (const ListLine& line : lines) joined += CutComment(line.text);
  return joined;
}

std::string FormatFileName(std::string_view name) {
  std::string file(name);
  if (file.find('.') == std::string::npos) file += ".pft";
  return file;
}

std::string FormatTextToUtf8(std::string_view text) {
  if (!text.empty() && text[0] == '!') return std::string(text.substr(1));
  return AnsiToUtf8(text);
}

void ReplaceSeparators(std::string& text) {
  for (char& c : text) {
    if (c == kFormatSeparator || c == '\r') c = ',';
  }
}

namespace {

std::string ReadPrepared(FormatFileReader* reader, std::string_view database,
                         std::string_view fileName) {
  if (reader == nullptr) return {};
  std::optional<std::string> content = reader->ReadTextFile(kDatabasePath, database, fileName);
  if (!content) return {};
  std::string text = FormatTextToUtf8(JoinFormatLines(*content));
  ReplaceSeparators(text);
  return text;
}

// Splices includes of `text` while `budget` lasts. Each included file has
// its own includes spliced before it goes in.
void Splice(FormatFileReader* reader, std::string_view database, std::string& text, int& budget) {
  size_t from = 0;
  while (budget > 0) {
    const size_t start = text.find(kIncludeStart, from);
    if (start == std::string::npos) return;
    const size_t end = text.find(kIncludeEnd, start + 1);
    if (end == std::string::npos) {
      text[start] = ',';
      from = start + 1;
      continue;
    }
    --budget;
    const std::string name = text.substr(start + 1, end - start - 1);
    std::string included = ReadPrepared(reader, database, name + ".pft");
    Splice(reader, database, included, budget);
    text.replace(start, end - start + 1, included);
    from = start + included.size();
  }
}

}  // namespace

std::string ReadFormatFile(FormatFileReader* reader, std::string_view database,
                           std::string_view name) {
  return ReadPrepared(reader, database, FormatFileName(name));
}

void SpliceIncludes(FormatFileReader* reader, std::string_view database, std::string& text) {
  int budget = kMaxIncludes;
  Splice(reader, database, text, budget);
}

std::string LoadFormat(FormatFileReader* reader, std::string_view database,
                       std::string_view formatSpec) {
  std::string text;
  if (!formatSpec.empty() && formatSpec[0] == '@') {
    text = ReadFormatFile(reader, database, formatSpec.substr(1));
  } else {
    text = FormatTextToUtf8(CutComment(formatSpec));
  }
  SpliceIncludes(reader, database, text);
  return text;
}

}  // namespace talor
