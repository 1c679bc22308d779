// Reads arbitrary bytes as a text exchange file; the records read, written
// again, must read back unchanged and without issues.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "client/text_exchange.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  talor::TextExchangeReader reader(std::string_view(reinterpret_cast<const char*>(data), size));
  std::vector<talor::StringList> records;
  talor::StringList record;
  while (reader.Next(record)) records.push_back(record);

  std::string text;
  for (const talor::StringList& each : records) talor::WriteTextRecord(each, text);
  talor::TextExchangeReader again(text);
  size_t index = 0;
  while (again.Next(record)) {
    if (index >= records.size() || !(record == records[index])) __builtin_trap();
    ++index;
  }
  if (index != records.size() || !again.issues().empty()) __builtin_trap();
  return 0;
}
