// Records shared by the exchange-file tests.

#ifndef TALOR_TESTS_CLIENT_EXCHANGE_TEST_RECORDS_H_
#define TALOR_TESTS_CLIENT_EXCHANGE_TEST_RECORDS_H_

#include <string>
#include <utility>
#include <vector>

#include "client/record.h"

namespace talor::testing {

// A new record with the (tag, value) fields, as the readers return it.
inline StringList FieldsRecord(std::vector<std::pair<int32_t, std::string>> fields) {
  StringList record;
  RecordNew(record);
  for (auto& [tag, value] : fields) record.Add(std::move(value), tag);
  return record;
}

inline std::vector<StringList> SampleRecords() {
  return {
      FieldsRecord({{200, "^AВойна и мир^FЛ. Н. Толстой"},
                    {700, "^AТолстой^BЛ. Н."},
                    {910, "^A0^B12345^DФБ"},
                    {910, "^A0^B12346^DЧЗ"}}),
      FieldsRecord({{10, "^A5-02-013850-9^D15.00"}, {101, "rus"}, {920, "PAZK"}, {200, ""}}),
      FieldsRecord({{1, "x"}}),
  };
}

}  // namespace talor::testing

#endif  // TALOR_TESTS_CLIENT_EXCHANGE_TEST_RECORDS_H_
