// Resource commands: L (text and binary files) and V (word rectangles of a
// record's page images).

#include <algorithm>

#include "server/return_codes.h"
#include "server/service.h"
#include "text/encoding.h"
#include "text/file_names.h"
#include "text/line_breaks.h"
#include "text/string_list.h"
#include "text/url_coding.h"

namespace talor::server {

namespace {

constexpr char kBinaryMark = '@';
constexpr int32_t kLinkedFileTag = 951;
constexpr int32_t kRecordImageTag = 953;
// Sidecar of an image with its word rectangles: "<image>.words", lines
// "WORD x1 y1 x2 y2" in pixels.
constexpr std::string_view kWordsSuffix = ".words";
// A word line for a word that has no rectangle: both numbers positive.
constexpr std::string_view kNoRectangle = "#1#1";
constexpr int32_t kCoordinateLimit = 0x7FFF;

struct ResourcePath {
  int number = 0;
  std::string database;
  std::string name;
  bool binary = false;
};

// "n.database.name" or "n.database.@name".
std::optional<ResourcePath> ParseResourcePath(std::string_view text) {
  size_t first = text.find('.');
  if (first == std::string_view::npos) return std::nullopt;
  size_t second = text.find('.', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  std::optional<int32_t> number = ParseInt(text.substr(0, first));
  if (!number) return std::nullopt;
  ResourcePath path;
  path.number = *number;
  path.database = std::string(text.substr(first + 1, second - first - 1));
  std::string_view name = text.substr(second + 1);
  if (!name.empty() && name.front() == kBinaryMark) {
    path.binary = true;
    name.remove_prefix(1);
  }
  path.name = std::string(name);
  return path;
}

std::string_view SubfieldValue(std::string_view value, char code) {
  for (size_t pos = value.find('^'); pos != std::string_view::npos && pos + 1 < value.size();
       pos = value.find('^', pos + 1)) {
    if (AnsiUpperChar(value[pos + 1]) == AnsiUpperChar(code)) {
      std::string_view rest = value.substr(pos + 2);
      return rest.substr(0, rest.find('^'));
    }
  }
  return {};
}

// A word as the navigator sends it ("K=WORD$") without prefix and truncation
// mark, upper-cased; `truncated` tells whether it ended with `$`.
std::string BareWord(std::string_view word, bool& truncated) {
  size_t equals = word.find('=');
  if (equals != std::string_view::npos && equals <= 5) word.remove_prefix(equals + 1);
  truncated = !word.empty() && word.back() == '$';
  if (truncated) word.remove_suffix(1);
  return Utf8UpperCase(word);
}

int32_t Pack(int32_t x, int32_t y) {
  x = std::clamp(x, 0, kCoordinateLimit);
  y = std::clamp(y, 0, kCoordinateLimit);
  return x | (y << 16);
}

}  // namespace

// L: one resource path. Text: the file in one line, line breaks encoded (an
// absent file gives an empty line). Binary: 0 and the data after the binary
// marker, or ResourceAbsent without data.
Answer Service::ReadResource(Call& call) {
  std::optional<ResourcePath> path = ParseResourcePath(call.request.Parameter(0));
  if (!path) return CodeAnswer(Code(ReturnCode::BadResourcePath));
  Answer answer;
  if (path->number == kPathRecordResource) {
    // "<MFN>" or "<MFN>_<occurrence>": the data of that occurrence of field 953.
    size_t underscore = path->name.find('_');
    std::optional<int32_t> mfn = ParseInt(std::string_view(path->name).substr(0, underscore));
    std::optional<int32_t> occurrence =
        underscore == std::string::npos
            ? std::optional<int32_t>(1)
            : ParseInt(std::string_view(path->name).substr(underscore + 1));
    if (!mfn || !occurrence) return CodeAnswer(Code(ReturnCode::BadResourcePath));
    std::optional<StoredRecord> record = LoadRecord(path->database, *mfn);
    std::vector<std::string_view> images =
        record ? record->Values(kRecordImageTag) : std::vector<std::string_view>{};
    if (*occurrence < 1 || static_cast<size_t>(*occurrence) > images.size())
      return CodeAnswer(Code(ReturnCode::ResourceAbsent));
    std::string data = UrlDecodeForm(SubfieldValue(images[*occurrence - 1], 'B'));
    if (!path->binary) {
      EncodeLineBreaks(data);
      answer.lines.Add(std::move(data));
      return answer;
    }
    answer = CodeAnswer(Code(ReturnCode::Ok));
    answer.binary = std::move(data);
    return answer;
  }
  if (!files_.Folder(path->number, path->database) || !CatalogueFiles::IsPlainFileName(path->name))
    return CodeAnswer(Code(ReturnCode::BadResourcePath));
  std::optional<std::string> bytes = files_.Read(path->number, path->database, path->name);
  if (path->binary) {
    if (!bytes) return CodeAnswer(Code(ReturnCode::ResourceAbsent));
    answer = CodeAnswer(Code(ReturnCode::Ok));
    answer.binary = std::move(*bytes);
    return answer;
  }
  std::string text = bytes.value_or("");
  EncodeLineBreaks(text);
  answer.lines.Add(std::move(text));
  return answer;
}

// V: database, MFN, then one word a line. Answer: 0, then one line per word
// holding its rectangles on the record's page images, joined by encoded
// line breaks, each "WORD#-p1#-p2" with p1 = x1 | y1 << 16 and
// p2 = x2 | y2 << 16; a word without rectangles gives "WORD#1#1".
Answer Service::ReadWordPositions(Call& call) {
  const Request& request = call.request;
  std::string_view database = request.Parameter(0);
  if (!storage_.HasDatabase(database)) return CodeAnswer(Code(ReturnCode::UnknownDatabase));
  std::optional<int32_t> mfn = ParseInt(request.Parameter(1));
  if (!mfn || *mfn <= 0) return CodeAnswer(Code(ReturnCode::BadMfn));
  std::optional<StoredRecord> record = LoadRecord(database, *mfn);
  if (!record) return CodeAnswer(Code(ReturnCode::RecordAbsent));

  // Every word box of the record's images: (word, x1, y1, x2, y2).
  struct Box {
    std::string word;
    int32_t x1, y1, x2, y2;
  };
  std::vector<Box> boxes;
  for (std::string_view link : record->Values(kLinkedFileTag)) {
    std::string name(SubfieldValue(link, 'A'));
    if (!IsImageFileName(name)) continue;
    std::optional<std::string> words =
        files_.Read(kPathRecordFiles, database, name + std::string(kWordsSuffix));
    if (!words) continue;
    for (std::string_view line : SplitLines(*words)) {
      std::vector<std::string_view> parts;
      while (!line.empty()) {
        size_t blank = line.find(' ');
        if (blank != 0) parts.push_back(line.substr(0, blank));
        if (blank == std::string_view::npos) break;
        line.remove_prefix(blank + 1);
      }
      if (parts.size() != 5) continue;
      std::optional<int32_t> n[4];
      for (int i = 0; i < 4; ++i) n[i] = ParseInt(parts[i + 1]);
      if (!n[0] || !n[1] || !n[2] || !n[3]) continue;
      boxes.push_back({Utf8UpperCase(parts[0]), *n[0], *n[1], *n[2], *n[3]});
    }
  }

  Answer answer = CodeAnswer(Code(ReturnCode::Ok));
  for (size_t i = 2; i < request.parameters.size(); ++i) {
    bool truncated = false;
    std::string word = BareWord(request.parameters[i], truncated);
    std::string line;
    for (const Box& box : boxes) {
      bool match = truncated ? box.word.starts_with(word) : box.word == word;
      if (word.empty() || !match) continue;
      if (!line.empty()) line += "\r\n";
      line += box.word + "#" + std::to_string(-Pack(box.x1, box.y1)) + "#" +
              std::to_string(-Pack(box.x2, box.y2));
    }
    if (line.empty()) line = word + std::string(kNoRectangle);
    EncodeLineBreaks(line);
    answer.lines.Add(std::move(line));
  }
  return answer;
}

}  // namespace talor::server
