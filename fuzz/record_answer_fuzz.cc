// Reads arbitrary bytes as the lines of a record-read answer, then checks that
// the record survives its own record-text form.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "client/record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  talor::StringList answer;
  answer.SetText(std::string_view(reinterpret_cast<const char*>(data), size));
  talor::StringList record;
  talor::RecordFromAnswer(answer, record);
  if (record.empty()) __builtin_trap();
  std::string text = talor::RecordToText(record);
  if (!text.empty()) {
    talor::StringList back;
    talor::RecordFromText(text, back);
    if (!(back == record)) __builtin_trap();
  }
  (void)talor::RecordToLine(record);
  (void)talor::RecordMfn(record);
  for (int field = -1; field <= talor::RecordFieldCount(record) + 1; ++field) {
    (void)talor::RecordFieldText(record, field, "a*");
    (void)talor::RecordFieldTag(record, field);
  }
  return 0;
}
