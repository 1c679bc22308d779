#include "server/stored_record.h"

#include "client/decimal.h"
#include "text/line_breaks.h"
#include "text/string_list.h"

namespace talor::server {

std::vector<std::string_view> StoredRecord::Values(int32_t tag) const {
  std::vector<std::string_view> values;
  for (const Field& field : fields)
    if (field.tag == tag) values.push_back(field.value);
  return values;
}

std::optional<int32_t> ParseInt(std::string_view text) { return ParseDecimal(text); }

std::optional<StoredRecord> ParseOneLineRecord(std::string_view oneLine) {
  std::string decoded(oneLine);
  DecodeLineBreaks(decoded);
  StoredRecord record;
  bool haveMfn = false;
  for (std::string_view line : SplitLines(decoded)) {
    if (line.empty()) continue;
    size_t hash = line.find('#');
    std::string_view head = line.substr(0, hash);
    std::string_view rest = hash == std::string_view::npos ? "" : line.substr(hash + 1);
    std::optional<int32_t> number = ParseInt(head);
    if (!number) return std::nullopt;
    if (!haveMfn) {
      record.mfn = *number;
      int64_t status = 0;
      while (hash != std::string_view::npos) {
        size_t next = rest.find('#');
        std::string_view part = rest.substr(0, next);
        if (!part.empty()) {
          std::optional<int32_t> bits = ParseInt(part);
          if (!bits) return std::nullopt;
          status += *bits;
        }
        if (next == std::string_view::npos) break;
        rest.remove_prefix(next + 1);
      }
      record.status = static_cast<int32_t>(status);
      haveMfn = true;
    } else if (*number == 0) {
      std::optional<int32_t> version = ParseInt(rest);
      record.version = version.value_or(0);
    } else if (*number < 0) {
      return std::nullopt;
    } else {
      record.fields.push_back({*number, std::string(rest)});
    }
  }
  if (!haveMfn) return std::nullopt;
  return record;
}

std::vector<std::string> ToWireLines(const StoredRecord& record) {
  std::vector<std::string> lines;
  lines.reserve(record.fields.size() + 2);
  lines.push_back(std::to_string(record.mfn) + "#" + std::to_string(record.status));
  lines.push_back("0#" + std::to_string(record.version));
  for (const Field& field : record.fields)
    lines.push_back(std::to_string(field.tag) + "#" + field.value);
  return lines;
}

namespace {
std::string JoinEncoded(const std::vector<std::string>& lines, size_t first) {
  std::string text;
  for (size_t i = first; i < lines.size(); ++i) {
    text += lines[i];
    text += "\r\n";
  }
  EncodeLineBreaks(text);
  return text;
}
}  // namespace

std::string ToOneLine(const StoredRecord& record) { return JoinEncoded(ToWireLines(record), 0); }

std::string ToOneLineWithoutMfn(const StoredRecord& record) {
  return JoinEncoded(ToWireLines(record), 1);
}

std::string EncodeFields(const std::vector<Field>& fields) {
  std::string text;
  for (const Field& field : fields) {
    if (!text.empty()) text += '\n';
    text += std::to_string(field.tag);
    text += '#';
    text += field.value;
  }
  return text;
}

std::vector<Field> DecodeFields(std::string_view text) {
  std::vector<Field> fields;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    size_t hash = line.find('#');
    if (hash != std::string_view::npos) {
      std::optional<int32_t> tag = ParseInt(line.substr(0, hash));
      if (tag) fields.push_back({*tag, std::string(line.substr(hash + 1))});
    }
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return fields;
}

std::string CleanValue(std::string_view value) {
  std::string clean;
  clean.reserve(value.size());
  for (char c : value)
    if (c != '\r' && c != '\n') clean += c;
  return clean;
}

}  // namespace talor::server
