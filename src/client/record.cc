#include "client/record.h"

#include <optional>

#include "client/decimal.h"
#include "text/encoding.h"
#include "text/line_breaks.h"

namespace talor {
namespace {

constexpr char kSubfieldMark = '^';
constexpr char kPartSeparator = '#';
constexpr std::string_view kLineEnd = "\r\n";

size_t FieldLine(int field) { return static_cast<size_t>(field) + 2; }

bool IsFieldNumber(const StringList& record, int field) {
  return field >= 1 && field <= RecordFieldCount(record);
}

// The value of the first subfield `^code`, or nullopt when there is none.
std::optional<std::string_view> FindSubfield(std::string_view value, char code) {
  const char mark[2] = {kSubfieldMark, code};
  size_t start = value.find(std::string_view(mark, 2));
  if (start == std::string_view::npos) return std::nullopt;
  start += 2;
  size_t end = value.find(kSubfieldMark, start);
  if (end == std::string_view::npos) end = value.size();
  return value.substr(start, end - start);
}

bool CanTravelAsLine(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\x1e\x1f", 4)) == std::string_view::npos;
}

// "integer#text" of a list line.
std::string TaggedLine(const ListLine& line) {
  return std::to_string(line.object) + kPartSeparator + line.text;
}

std::string JoinEncoded(const std::vector<std::string>& lines) {
  std::string result;
  for (const std::string& line : lines) {
    result += line;
    result += kLineEnd;
  }
  EncodeLineBreaks(result);
  return result;
}

int ChangeDeletedBit(StringList& record, bool deleted) {
  if (record.size() < 2) return -1;
  std::optional<int32_t> status = ParseDecimal(record[1].text);
  if (!status) return -1;
  if (((*status & kStatusDeleted) != 0) == deleted) return -1;
  int32_t changed = deleted ? (*status | kStatusDeleted) : (*status & ~kStatusDeleted);
  record[1].text = std::to_string(changed);
  return 0;
}

// Line 11 of a read answer: "MFN#part#part..."; the status is the sum of
// the parts (an empty last part adds nothing).
bool ReadMfnAndStatus(std::string_view text, int32_t& mfn, int32_t& status) {
  size_t hash = text.find(kPartSeparator);
  std::optional<int32_t> mfnValue = ParseDecimal(text.substr(0, hash));
  if (!mfnValue) return false;
  mfn = *mfnValue;
  int64_t sum = 0;
  while (hash != std::string_view::npos) {
    text.remove_prefix(hash + 1);
    hash = text.find(kPartSeparator);
    std::string_view part = text.substr(0, hash);
    if (part.empty() && hash == std::string_view::npos) break;
    std::optional<int32_t> value = ParseDecimal(part);
    if (!value) return false;
    sum += *value;
    if (sum > INT32_MAX || sum < INT32_MIN) return false;
  }
  status = static_cast<int32_t>(sum);
  return true;
}

}  // namespace

int RecordNew(StringList& record) {
  record.Clear();
  record.Add("0");
  record.Add("0", 0);
  record.Add("0");
  return 0;
}

int32_t RecordMfn(const StringList& record) {
  if (record.size() <= 2) return -1;
  std::optional<int32_t> status = ParseDecimal(record[1].text);
  if (!status || *status < 0 || record[1].object < 0) return 0;
  return record[1].object;
}

bool RecordIsDeleted(const StringList& record) {
  if (record.size() < 2) return false;
  return (DecimalOrZero(record[1].text) & kStatusDeleted) != 0;
}

int RecordMarkDeleted(StringList& record) { return ChangeDeletedBit(record, true); }

int RecordUndelete(StringList& record) { return ChangeDeletedBit(record, false); }

int RecordFieldCount(const StringList& record) { return record.Count() - kRecordHeaderLines; }

int32_t RecordFieldTag(const StringList& record, int field) {
  if (!IsFieldNumber(record, field)) return -1;
  return record[FieldLine(field)].object;
}

int RecordTagCount(const StringList& record, int32_t tag) {
  if (tag < 0) return 0;
  int count = 0;
  for (size_t i = kRecordHeaderLines; i < record.size(); ++i) {
    if (record[i].object == tag) ++count;
  }
  return count;
}

int RecordFindField(const StringList& record, int32_t tag, int occurrence) {
  if (tag < 0 || occurrence < 1) return -1;
  int seen = 0;
  for (size_t i = kRecordHeaderLines; i < record.size(); ++i) {
    if (record[i].object == tag && ++seen == occurrence) return static_cast<int>(i) - 2;
  }
  return -1;
}

std::string RecordFieldText(const StringList& record, int field, std::string_view spec) {
  if (field < 0 || field > RecordFieldCount(record)) return {};
  std::string_view value = record[FieldLine(field)].text;
  if (spec.empty()) return std::string(value);
  if (spec[0] == '*') return std::string(value.substr(0, value.find(kSubfieldMark)));
  std::string result;
  for (char code : spec) {
    std::optional<std::string_view> found = FindSubfield(value, AnsiUpperChar(code));
    if (!found) found = FindSubfield(value, AnsiLowerChar(code));
    if (found) result += *found;
  }
  return result;
}

int RecordInsertField(StringList& record, int32_t tag, int field, std::string value) {
  if (record.size() < kRecordHeaderLines) return -1;
  size_t line = IsFieldNumber(record, field) ? FieldLine(field) : record.size();
  record.Insert(line, std::move(value), tag);
  return 0;
}

int RecordSetField(StringList& record, int field, std::string value) {
  if (!IsFieldNumber(record, field)) return -1;
  if (value.empty()) {
    record.Delete(FieldLine(field));
  } else {
    record[FieldLine(field)].text = std::move(value);
  }
  return 0;
}

int RecordPutField(StringList& record, int field, std::string value) {
  if (!IsFieldNumber(record, field)) return -1;
  record[FieldLine(field)].text = std::move(value);
  return 0;
}

void RecordTruncate(StringList& record) { record.Truncate(kRecordHeaderLines); }

int CopySubfield(std::string_view value, std::string& destination, char code) {
  std::optional<std::string_view> found = FindSubfield(value, code);
  if (!found) return -1;
  destination.assign(*found);
  return 0;
}

int RecordToWire(StringList& destination, const StringList& record) {
  destination.Clear();
  if (record.size() < kRecordHeaderLines) return -1;
  for (size_t i = 1; i < record.size(); ++i) {
    if (!CanTravelAsLine(record[i].text)) {
      destination.Clear();
      return -1;
    }
    destination.Add(TaggedLine(record[i]));
  }
  return 0;
}

std::string RecordToLine(const StringList& record) {
  StringList wire;
  if (RecordToWire(wire, record) != 0) return {};
  std::vector<std::string> lines;
  lines.reserve(wire.size());
  for (const ListLine& line : wire) lines.push_back(line.text);
  return JoinEncoded(lines);
}

std::string RecordToText(const StringList& record) {
  std::vector<std::string> lines;
  lines.reserve(record.size());
  for (size_t i = 0; i < record.size(); ++i) {
    if (!CanTravelAsLine(record[i].text)) return {};
    lines.push_back(i == 0 ? record[i].text : TaggedLine(record[i]));
  }
  return JoinEncoded(lines);
}

void RecordFromText(std::string_view text, StringList& record) {
  std::string decoded(text);
  DecodeLineBreaks(decoded);
  record.Clear();
  std::vector<std::string_view> lines = SplitLines(decoded);
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    if (i == 0) {
      record.Add(std::string(line));
      continue;
    }
    size_t hash = line.find(kPartSeparator);
    if (hash == std::string_view::npos) {
      record.Add(std::string(), DecimalOrZero(line));
    } else {
      record.Add(std::string(line.substr(hash + 1)), DecimalOrZero(line.substr(0, hash)));
    }
  }
}

int RecordFromAnswer(const StringList& answer, StringList& record) {
  constexpr size_t kReturnCodeLine = 10;
  constexpr size_t kMfnLine = 11;
  constexpr size_t kFirstLine = 12;
  record.Clear();
  if (answer.size() <= kReturnCodeLine) {
    record.Add(std::to_string(kUnreadableAnswer));
    return 0;
  }
  const std::string& code = answer[kReturnCodeLine].text;
  std::optional<int32_t> codeValue = ParseDecimal(code);
  if (codeValue && *codeValue != 0 && answer.size() <= kMfnLine) {
    record.Add(code);
    return 0;
  }
  record.Add(code);
  int32_t mfn = 0;
  int32_t status = 0;
  if (!codeValue || answer.size() <= kMfnLine ||
      !ReadMfnAndStatus(answer[kMfnLine].text, mfn, status)) {
    record.Add(std::to_string(kUnreadableAnswer));
    return 0;
  }
  record.Add(std::to_string(status), mfn);
  for (size_t i = kFirstLine; i < answer.size(); ++i) {
    std::string_view line = answer[i].text;
    size_t hash = line.find(kPartSeparator);
    std::optional<int32_t> tag = ParseDecimal(line.substr(0, hash));
    if (!tag) {
      record.Add(std::to_string(kUnreadableAnswer));
      return 0;
    }
    record.Add(hash == std::string_view::npos ? std::string() : std::string(line.substr(hash + 1)),
               *tag);
  }
  return 0;
}

}  // namespace talor
