// Helpers for the tests of the keyed built-in library: an engine with files
// in memory and a fixed clock, and a table runner.

#ifndef TALOR_TESTS_FORMAT_UF_TEST_UTIL_H_
#define TALOR_TESTS_FORMAT_UF_TEST_UTIL_H_

#include <gtest/gtest.h>

#include <span>
#include <string>

#include "format/format_engine.h"
#include "format_test_util.h"

namespace talor::testing {

// 29 February 2024, 09:05:07.
inline constexpr LocalTime kFixedNow{2024, 2, 29, 9, 5, 7};

class UfEngine {
 public:
  UfEngine() {
    engine.SetFileReader(&files);
    engine.uniforState.clock = [] { return kFixedNow; };
  }
  // Formats `record` with `format`; the output as the format printed it.
  Outcome Run(std::string_view format, StringList record = MakeRecord({})) {
    return Apply(engine, format, std::move(record));
  }
  std::string Out(std::string_view format, StringList record = MakeRecord({})) {
    const Outcome outcome = Run(format, std::move(record));
    return outcome.code == 0 ? outcome.output : "error " + std::to_string(outcome.code);
  }

  FormatEngine engine;
  MemoryFiles files;
};

struct Row {
  std::string format;
  std::string expected;
};

// Every row's format against `record`, on one engine, in order.
inline void ExpectRows(UfEngine& uf, std::span<const Row> rows,
                       const StringList& record = MakeRecord({})) {
  for (const Row& row : rows) EXPECT_EQ(row.expected, uf.Out(row.format, record)) << row.format;
}

}  // namespace talor::testing

#endif  // TALOR_TESTS_FORMAT_UF_TEST_UTIL_H_
