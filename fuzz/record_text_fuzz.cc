// Reads arbitrary bytes as a record-text form and runs the record operations
// over the result; the first byte picks a subfield spec length.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "client/record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view spec;
  if (!input.empty()) {
    size_t specLength = static_cast<uint8_t>(input[0]) % 4;
    input.remove_prefix(1);
    spec = input.substr(0, specLength);
  }
  talor::StringList record;
  talor::RecordFromText(input, record);

  // A record read from its text form writes the same text again.
  std::string text = talor::RecordToText(record);
  talor::StringList back;
  talor::RecordFromText(text, back);
  if (!(back == record)) __builtin_trap();

  int count = talor::RecordFieldCount(record);
  for (int field = -1; field <= count + 1; ++field) {
    std::string value = talor::RecordFieldText(record, field, spec);
    std::string copy;
    if (!spec.empty()) (void)talor::CopySubfield(value, copy, spec[0]);
  }
  (void)talor::RecordFindField(record, count > 0 ? talor::RecordFieldTag(record, 1) : 0, 2);
  (void)talor::RecordIsDeleted(record);
  (void)talor::RecordMarkDeleted(record);
  (void)talor::RecordUndelete(record);
  (void)talor::RecordInsertField(record, 7, count / 2, std::string(spec));
  (void)talor::RecordSetField(record, 1, "");
  (void)talor::RecordPutField(record, count, "x");
  talor::StringList wire;
  (void)talor::RecordToWire(wire, record);
  (void)talor::RecordToLine(record);
  talor::RecordTruncate(record);
  if (record.size() > 3) __builtin_trap();
  return 0;
}
