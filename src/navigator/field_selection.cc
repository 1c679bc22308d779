#include "navigator/field_selection.h"

#include <algorithm>

#include "client/record.h"
#include "format/format_engine.h"
#include "text/encoding.h"
#include "text/number_text.h"

namespace talor {
namespace {

constexpr char kIncludeMark = '@';
constexpr std::string_view kBlanks = " \t";

// The next blank-separated word of `text`, which loses it and the blanks
// before it.
std::string_view TakeWord(std::string_view& text) {
  const size_t start = std::min(text.find_first_not_of(kBlanks), text.size());
  const size_t end = std::min(text.find_first_of(kBlanks, start), text.size());
  std::string_view word = text.substr(start, end - start);
  text.remove_prefix(end);
  return word;
}

}  // namespace

Status FieldSelectionTable::Load(const std::string& fileName, const ReadTable& read,
                                 FieldSelectionTable& table) {
  FieldSelectionTable loaded;
  std::vector<std::string> open;
  Status status = loaded.Include(fileName, read, open);
  if (status.ok()) table = std::move(loaded);
  return status;
}

FieldSelectionTable FieldSelectionTable::FromLines(const StringList& lines) {
  FieldSelectionTable table;
  for (const ListLine& line : lines) table.AddLine(line.text);
  return table;
}

// Adds the lines of `fileName`, following its includes; `open` holds the
// tables being read, innermost last, to catch a table that includes itself.
Status FieldSelectionTable::Include(const std::string& fileName, const ReadTable& read,
                                    std::vector<std::string>& open) {
  const std::string key = AnsiUpperCase(fileName);
  if (std::find(open.begin(), open.end(), key) != open.end())
    return Status::Error("таблица выбора полей " + fileName + " включает сама себя");
  std::optional<StringList> lines = read(fileName);
  if (!lines) return Status::Error("таблица выбора полей " + fileName + " не прочитана");
  open.push_back(key);
  for (const ListLine& line : *lines) {
    if (!line.text.empty() && line.text[0] == kIncludeMark) {
      const std::string included = line.text.substr(1) + std::string(kFieldSelectionExtension);
      if (Status status = Include(included, read, open); !status.ok()) return status;
    } else {
      AddLine(line.text);
    }
  }
  open.pop_back();
  return Status::Ok();
}

void FieldSelectionTable::AddLine(std::string_view text) {
  const int32_t tag = DecimalToInt(TakeWord(text), 0);
  if (tag <= 0) return;
  TakeWord(text);  // the method
  const size_t start = text.find_first_not_of(kBlanks);
  if (start == std::string_view::npos) return;
  lines_.push_back({tag, std::string(text.substr(start))});
}

int32_t FieldSelectionTable::Apply(StringList& record, std::string_view database,
                                   StringList& rebuilt) const {
  RecordNew(rebuilt);
  StringList output;
  for (const Line& line : lines_) {
    output.Clear();
    if (const int32_t error = FormatRecordByText(record, database, line.format, output);
        error != 0) {
      return error;
    }
    for (ListLine& value : output) {
      if (!value.text.empty()) RecordInsertField(rebuilt, line.tag, 0, std::move(value.text));
    }
  }
  return 0;
}

}  // namespace talor
