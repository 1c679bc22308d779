// The keyed built-in library over arbitrary arguments. The input's lines
// become occurrences of field 1 of a small record, and a format calls
// `&uf(v1)` on every occurrence inside a repeat group (so that keys see
// iteration numbers and the state that earlier calls left: global
// variables, the counter, the rewritten record), then `&umarci` on each.
// Keys that start programs, load libraries or write, read or delete local
// files are left out: they would act on the machine, not on the engine.
// Nothing may crash, hang or touch memory outside a buffer.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "format/format_engine.h"
#include "text/string_list.h"

namespace {

// The input is cut into at most this many arguments.
constexpr size_t kMaxArguments = 16;

class FuzzFiles : public talor::FormatFileReader {
 public:
  std::optional<std::string> ReadTextFile(int, std::string_view, std::string_view name) override {
    if (name == "self.pft") return std::string("'y',&uf('6self'),&uf('S1')");
    if (name.find(".pft") != std::string_view::npos || name == "nested") {
      return std::string("v200^a,&uf('S1A'),&uf('+1W3#x'),/");
    }
    if (name == "jzmnth.mnu") return std::string("rus\r\n\xFF\xED\xE2,\xF4\xE5\xE2\r\n");
    if (name.empty()) return std::nullopt;
    // Any other name is a menu of a few pairs in ascending order.
    return std::string("1\r\nA\r\n2\r\nK\r\n3\r\n\xD1\r\n4\r\nZZ\r\n*****\r\n");
  }
};

bool Harmful(std::string_view argument) {
  if (argument.size() < 2 || argument[0] != '+') return false;
  const char second = argument[1];
  if (second == '2' || second == '8') return true;
  if (second != '9' || argument.size() < 3) return false;
  const char third = static_cast<char>(argument[2] & ~0x20);
  return third == 'D' || third == 'J' || third == 'K';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  talor::StringList record{{"0", 0},           {"0", 12},
                           {"1", 0},           {"rus", 101},
                           {"^aTitle", 200},   {"^AR^B3/X07^H2", 910},
                           {"^A0^DK^C1", 910}, {"^1200^aT^1700^aA", 461}};
  size_t begin = 0;
  size_t count = 0;
  while (begin <= input.size() && count < kMaxArguments) {
    size_t end = input.find('\n', begin);
    if (end == std::string_view::npos) end = input.size();
    std::string argument(input.substr(begin, end - begin));
    begin = end + 1;
    if (argument.empty()) continue;
    if (Harmful(argument)) continue;
    record.Add(argument, 1);
    ++count;
  }
  talor::FormatEngine engine;
  FuzzFiles files;
  engine.SetFileReader(&files);
  engine.maxOutput = 1 << 20;
  engine.uniforState.clock = [] { return talor::LocalTime{2024, 2, 29, 12, 0, 0}; };
  std::string output;
  engine.RunFormat(record, "DEMO", {}, 64, output, "(&uf(v1),'|',&umarci(v1),'|',v910,/)");
  engine.RunFormat(record, "DEMO", {}, 64, output, "(v1,&uf('AV1#*'),&uf('+4F1'),/)");
  return 0;
}
