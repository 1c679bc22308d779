// Helpers for the format engine's tests: records from rows, and one call
// that formats a record and returns what the format printed.

#ifndef TALOR_TESTS_FORMAT_FORMAT_TEST_UTIL_H_
#define TALOR_TESTS_FORMAT_FORMAT_TEST_UTIL_H_

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "format/format_engine.h"
#include "text/string_list.h"

namespace talor::testing {

struct Field {
  int32_t tag;
  std::string value;
};

inline StringList MakeRecord(std::initializer_list<Field> fields, int32_t mfn = 12) {
  StringList record;
  record.Add("0");
  record.Add("0", mfn);
  record.Add("1");
  for (const Field& field : fields) record.Add(field.value, field.tag);
  return record;
}

// What a format call gave: the raw output (CR shown as "\r") and the code.
struct Outcome {
  std::string output;
  int32_t code = 0;
  bool operator==(const Outcome&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Outcome& outcome) {
  return out << "{\"" << outcome.output << "\", " << outcome.code << "}";
}

// Runs `format` (already loaded text) over `record` with `engine`.
inline Outcome Apply(FormatEngine& engine, std::string_view format, StringList record) {
  Outcome outcome;
  outcome.code = engine.RunFormat(record, "DEMO", {}, 16, outcome.output, format);
  return outcome;
}

inline Outcome Apply(std::string_view format, StringList record) {
  FormatEngine engine;
  return Apply(engine, format, std::move(record));
}

// Files of a database held in memory; a name not in the map is missing.
class MemoryFiles : public FormatFileReader {
 public:
  std::map<std::string, std::string> files;
  int reads = 0;
  std::optional<std::string> ReadTextFile(int, std::string_view, std::string_view name) override {
    ++reads;
    auto it = files.find(std::string(name));
    if (it == files.end()) return std::nullopt;
    return it->second;
  }
};

}  // namespace talor::testing

#endif  // TALOR_TESTS_FORMAT_FORMAT_TEST_UTIL_H_
