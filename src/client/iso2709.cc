#include "client/iso2709.h"

#include <optional>

#include "client/record.h"

namespace talor {
namespace {

constexpr size_t kLengthStart = 0;  // leader positions 1-5
constexpr size_t kLengthDigits = 5;
constexpr size_t kBaseStart = 12;  // leader positions 13-17
constexpr size_t kBaseDigits = 5;
constexpr size_t kSourceFirstStart = 5;  // positions 6-10 from bytes 1-5
constexpr size_t kSourceFirstLength = 5;
constexpr size_t kSourceSecondStart = 17;  // positions 18-20 from bytes 6-8
constexpr size_t kSourceSecondLength = 3;
constexpr size_t kTagDigits = 3;
constexpr size_t kFieldLengthDigits = 4;
constexpr size_t kFieldStartDigits = 5;
constexpr size_t kEntryLength = kTagDigits + kFieldLengthDigits + kFieldStartDigits;
constexpr int32_t kMaxTag = 999;
constexpr size_t kMaxFieldLength = 9999;
constexpr size_t kMaxRecordLength = 99999;
static_assert(kIsoLeaderTemplate.size() == kIsoLeaderLength);

void PutNumber(std::string& out, size_t number, size_t digits) {
  std::string text = std::to_string(number);
  out.append(digits - text.size(), '0');
  out += text;
}

void PutNumberAt(std::string& leader, size_t start, size_t number, size_t digits) {
  std::string text;
  PutNumber(text, number, digits);
  leader.replace(start, digits, text);
}

// The decimal value of exactly `digits` bytes at `start`, all of them digits.
std::optional<size_t> ReadNumber(std::string_view bytes, size_t start, size_t digits) {
  if (start + digits > bytes.size()) return std::nullopt;
  size_t value = 0;
  for (char c : bytes.substr(start, digits)) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<size_t>(c - '0');
  }
  return value;
}

void PutLeaderSource(std::string& leader, std::string_view source) {
  std::string_view first = source.substr(0, kSourceFirstLength);
  leader.replace(kSourceFirstStart, first.size(), first);
  if (source.size() > kSourceFirstLength) {
    std::string_view second = source.substr(kSourceFirstLength, kSourceSecondLength);
    leader.replace(kSourceSecondStart, second.size(), second);
  }
}

}  // namespace

bool WriteIsoRecord(const StringList& record, std::string& out,
                    std::optional<std::string_view> leaderSource) {
  std::string directory;
  std::string data;
  for (size_t i = kRecordHeaderLines; i < record.size(); ++i) {
    const ListLine& field = record[i];
    size_t length = field.text.size() + 1;
    if (field.object < 0 || field.object > kMaxTag || length > kMaxFieldLength ||
        data.size() > kMaxRecordLength) {
      return false;
    }
    PutNumber(directory, static_cast<size_t>(field.object), kTagDigits);
    PutNumber(directory, length, kFieldLengthDigits);
    PutNumber(directory, data.size(), kFieldStartDigits);
    data += field.text;
    data += kIsoFieldSeparator;
  }
  directory += kIsoFieldSeparator;
  data += kIsoRecordSeparator;
  size_t base = kIsoLeaderLength + directory.size();
  size_t total = base + data.size();
  if (total > kMaxRecordLength) return false;
  std::string leader(kIsoLeaderTemplate);
  PutNumberAt(leader, kLengthStart, total, kLengthDigits);
  PutNumberAt(leader, kBaseStart, base, kBaseDigits);
  if (leaderSource) PutLeaderSource(leader, *leaderSource);
  out.reserve(out.size() + total);
  out += leader;
  out += directory;
  out += data;
  return true;
}

std::optional<std::string> TakeLeaderSource(StringList& record) {
  int field = RecordFindField(record, kLeaderSourceTag, 1);
  if (field < 1) return std::nullopt;
  std::string value = RecordFieldText(record, field, "");
  record.Delete(static_cast<size_t>(field) + 2);
  return value;
}

void ReplaceInFields(StringList& record, char from, char to) {
  for (size_t i = kRecordHeaderLines; i < record.size(); ++i) {
    for (char& c : record[i].text) {
      if (c == from) c = to;
    }
  }
}

IsoReader::Status IsoReader::Fail(std::string message) {
  error_ = "запись ISO 2709 со смещения " + std::to_string(input_.offset()) + ": " + message;
  return Status::Malformed;
}

void IsoReader::SkipLineBreaks() {
  while (true) {
    std::string_view next = input_.Peek(1);
    if (next.empty() || (next[0] != '\r' && next[0] != '\n')) return;
    input_.Skip(1);
  }
}

IsoReader::Status IsoReader::Next(StringList& record, bool keepLeader) {
  if (!error_.empty()) return Status::Malformed;
  SkipLineBreaks();
  std::string_view leader = input_.Peek(kIsoLeaderLength);
  if (leader.size() < kIsoLeaderLength) {
    return input_.failed() ? Fail("ошибка чтения файла") : Status::End;
  }
  std::optional<size_t> length = ReadNumber(leader, kLengthStart, kLengthDigits);
  std::optional<size_t> base = ReadNumber(leader, kBaseStart, kBaseDigits);
  if (!length || !base) return Fail("длина записи или адрес данных в маркере не число");
  if (*base < kIsoLeaderLength + 1 || *base > *length) {
    return Fail("адрес данных " + std::to_string(*base) + " вне записи");
  }
  std::string_view bytes = input_.Peek(*length);
  if (bytes.size() < *length) {
    if (input_.failed()) return Fail("ошибка чтения файла");
    return Fail("запись обрывается: в маркере " + std::to_string(*length) + " байт, в файле " +
                std::to_string(bytes.size()));
  }
  std::string_view data = bytes.substr(*base);
  size_t entries = (*base - kIsoLeaderLength - 1) / kEntryLength;
  StringList fields;
  RecordNew(fields);
  if (keepLeader) fields.Add(std::string(bytes.substr(0, kIsoLeaderLength)), kLeaderFieldTag);
  for (size_t e = 0; e < entries; ++e) {
    size_t at = kIsoLeaderLength + e * kEntryLength;
    std::optional<size_t> tag = ReadNumber(bytes, at, kTagDigits);
    std::optional<size_t> fieldLength = ReadNumber(bytes, at + kTagDigits, kFieldLengthDigits);
    std::optional<size_t> start =
        ReadNumber(bytes, at + kTagDigits + kFieldLengthDigits, kFieldStartDigits);
    if (!tag || !fieldLength || !start) {
      return Fail("элемент справочника " + std::to_string(e + 1) + " не из цифр");
    }
    if (*fieldLength < 1 || *start > data.size() || *fieldLength > data.size() - *start) {
      return Fail("поле " + std::to_string(*tag) + " выходит за пределы записи");
    }
    // The length counts the field separator, which is not part of the value.
    fields.Add(std::string(data.substr(*start, *fieldLength - 1)), static_cast<int32_t>(*tag));
  }
  input_.Skip(*length);
  record = std::move(fields);
  return Status::Record;
}

}  // namespace talor
