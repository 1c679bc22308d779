// The format engine over arbitrary input. The first byte chooses what the
// rest is: a format text run against a fixed record, or a record (lines
// "tag#value") run through fixed formats. Nothing may crash, hang or touch
// memory outside a buffer.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "format/format_engine.h"
#include "text/string_list.h"

namespace {

class FuzzFiles : public talor::FormatFileReader {
 public:
  std::optional<std::string> ReadTextFile(int, std::string_view, std::string_view name) override {
    if (name == "self.pft") return std::string("'x'\x1Cself\x1D");
    if (name == "part.pft") return std::string("v200^a,| - |+v700/* note\r\n#v10");
    return std::nullopt;
  }
};

class FuzzServer : public talor::FormatServer {
 public:
  std::optional<int32_t> LookupTerm(std::string_view, std::string_view term) override {
    return static_cast<int32_t>(term.size());
  }
  std::optional<talor::StringList> ReadRecord(std::string_view, int32_t mfn) override {
    if (mfn % 2 == 0) return std::nullopt;
    return talor::StringList{{"0", 0}, {"0", mfn}, {"1", 0}, {"^aOther^bRecord", 200}};
  }
};

talor::StringList FixedRecord() {
  return talor::StringList{
      {"0", 0},
      {"0", 12},
      {"3", 0},
      {"^aTitle^bSub", 200},
      {"Ivanov", 700},
      {"Petrov", 700},
      {"<The> end=x?", 300},
      {"12.5 7 -3", 900},
      {"Пушкин", 500},
      {"^a^b^", 10},
  };
}

constexpr std::string_view kFixedFormats[] = {
    "mhl,v200^a,| : |v200^b,(|; |+v700),/,v300,'. ',mfn(3)",
    "mdu,(\"Authors: \"v700+|, |\".\"),if p(v10) then v10^a else 'none' fi",
    "f(rsum(v900),10,2),s(v200*1.3),if v200:'ti' and v700<>'' then 'y' fi",
    "(if a(v700) then break fi,v200^*(2,4)),n300'no',d300'yes',&uf('+0'),x3,c20,%,#",
    "'</>[[b]]',v200,'[[/b]] [[12]]&&&&&{[[c3]]x[[/c]]}'",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static FuzzFiles files;
  static FuzzServer server;
  talor::FormatEngine engine;
  engine.maxOutput = 1 << 20;
  engine.SetFileReader(&files);
  engine.SetServer(&server);
  engine.globalVariables.Add("g0");
  engine.globalVariables.Add("a\r\nb\r\n\r\nc");
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  talor::StringList result;
  if (data[0] % 2 == 0) {
    talor::StringList record = FixedRecord();
    engine.FormatRecordByText(record, "DEMO", rest, result);
    return 0;
  }
  talor::StringList record{{"0", 0}, {"0", 7}, {"1", 0}};
  for (std::string_view line : talor::SplitLines(rest)) {
    const size_t hash = line.find('#');
    int32_t tag = 0;
    for (char c : line.substr(0, hash == std::string_view::npos ? 0 : hash)) {
      tag = (tag * 10 + (c & 15)) % 100000;
    }
    record.Add(std::string(hash == std::string_view::npos ? line : line.substr(hash + 1)), tag);
  }
  for (std::string_view format : kFixedFormats) {
    engine.FormatRecordByText(record, "DEMO", format, result);
  }
  return 0;
}
