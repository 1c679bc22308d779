// Reads arbitrary bytes as an ISO 2709 file; every record read is written
// again and must read back unchanged.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "client/iso2709.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  for (bool keepLeader : {false, true}) {
    talor::IsoReader reader(input);
    talor::StringList record;
    size_t records = 0;
    while (reader.Next(record, keepLeader) == talor::IsoReader::Status::Record) {
      if (++records > size) __builtin_trap();  // every record consumes bytes
      if (keepLeader) continue;
      std::string bytes;
      if (!talor::WriteIsoRecord(record, bytes)) continue;
      talor::IsoReader again(bytes);
      talor::StringList back;
      if (again.Next(back) != talor::IsoReader::Status::Record || !(back == record)) {
        __builtin_trap();
      }
    }
  }
  return 0;
}
