// Keys that work on the engine's global variables (`+1`, `+7`, `+99`) and
// the engine-wide counter of key `S`.

#include <algorithm>

#include "format/uf_library.h"
#include "text/encoding.h"
#include "text/url_coding.h"

namespace talor {
namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kReadSeparator = "\r";
constexpr int64_t kMaxCounterRoman = 15;
constexpr int64_t kCounterLimit = INT64_MAX / 4;

// A variable reference: n, `*`, `*+k` or `*-k`, then `,count`.
struct VariableRef {
  int64_t index = -1;
  int64_t count = 1;
  std::optional<int64_t> countPart;  // the number after the comma, as written
};

VariableRef ParseRef(std::string_view text, int32_t iteration) {
  VariableRef ref;
  size_t used = 0;
  if (text.starts_with('*')) {
    text.remove_prefix(1);
    ref.index = iteration;
    if (text.starts_with('+') || text.starts_with('-')) {
      const bool minus = text.front() == '-';
      text.remove_prefix(1);
      const int64_t k = LeadingNumber(text, &used).value_or(0);
      text.remove_prefix(used);
      ref.index += minus ? -k : k;
    }
  } else {
    const std::optional<int64_t> n = LeadingNumber(text, &used);
    if (!n) return ref;
    ref.index = *n;
    text.remove_prefix(used);
  }
  if (text.starts_with(',')) {
    ref.countPart = LeadingNumber(text.substr(1));
    if (ref.countPart) ref.count = *ref.countPart;
  }
  return ref;
}

std::vector<std::string> ReadRef(const UfCall& call, std::string_view text) {
  const VariableRef ref = ParseRef(text, call.iteration());
  return GlobalLines(call.engine(), ref.index, ref.count);
}

std::pair<std::string_view, std::string_view> SplitHash(std::string_view text) {
  const size_t hash = text.find('#');
  if (hash == std::string_view::npos) return {text, {}};
  return {text.substr(0, hash), text.substr(hash + 1)};
}

// Lines of `a` that also occur in `b`, each line of `b` used once.
std::vector<std::string> Intersection(const std::vector<std::string>& a,
                                      std::vector<std::string> b) {
  std::vector<std::string> common;
  for (const std::string& line : a) {
    auto it = std::find(b.begin(), b.end(), line);
    if (it == b.end()) continue;
    common.push_back(line);
    b.erase(it);
  }
  return common;
}

// Lines of `a` that do not occur in `b` (multiset difference).
std::vector<std::string> Difference(const std::vector<std::string>& a, std::vector<std::string> b) {
  std::vector<std::string> rest;
  for (const std::string& line : a) {
    auto it = std::find(b.begin(), b.end(), line);
    if (it == b.end()) {
      rest.push_back(line);
    } else {
      b.erase(it);
    }
  }
  return rest;
}

// The lines of `b`, then the lines of `a` that are not in `b`.
std::vector<std::string> Union(const std::vector<std::string>& a,
                               const std::vector<std::string>& b) {
  std::vector<std::string> all = b;
  for (const std::string& line : a) {
    if (std::find(b.begin(), b.end(), line) == b.end()) all.push_back(line);
  }
  return all;
}

std::vector<std::string> Distinct(const std::vector<std::string>& lines) {
  std::vector<std::string> distinct;
  for (const std::string& line : lines) {
    if (std::find(distinct.begin(), distinct.end(), line) == distinct.end()) {
      distinct.push_back(line);
    }
  }
  return distinct;
}

std::vector<std::string> Sorted(std::vector<std::string> lines) {
  std::stable_sort(lines.begin(), lines.end(),
                   [](const auto& a, const auto& b) { return CollateUtf8(a, b) < 0; });
  return lines;
}

// `+1K` / `+1O`: ref `#` menu name, the name optionally ending in `!` for a
// comparison without regard to case.
std::vector<std::string> LookUpLines(const UfCall& call, std::string_view text, bool firstOnly) {
  auto [refText, menuName] = SplitHash(text);
  bool ignoreCase = false;
  while (!menuName.empty() &&
         (menuName.back() == '!' || menuName.back() == '|' || menuName.back() == '\\')) {
    ignoreCase = ignoreCase || menuName.back() == '!';
    menuName.remove_suffix(1);
  }
  const std::optional<std::string> file = ReadDatabaseFile(call, menuName);
  if (!file) return {};
  const auto menu = MenuPairs(*file);
  std::vector<std::string> found;
  for (const std::string& line : ReadRef(call, refText)) {
    for (std::string& value : MenuLookup(menu, Utf8ToAnsi(line), ignoreCase, firstOnly)) {
      found.push_back(AnsiToUtf8(value));
    }
  }
  return found;
}

void WriteGlobals(UfCall& call, std::string_view text) {
  auto [refText, value] = SplitHash(text);
  const VariableRef ref = ParseRef(refText, call.iteration());
  if (ref.index < 0) return;
  const std::string written = value == "*" ? std::to_string(call.iteration()) : std::string(value);
  if (!ref.countPart) {
    SetGlobal(call.engine(), ref.index, written);
    return;
  }
  const std::vector<std::string> lines = TextLines(written);
  for (size_t i = 0; i < lines.size() && ref.index + static_cast<int64_t>(i) <= kMaxGlobalVariable;
       ++i) {
    SetGlobal(call.engine(), ref.index + static_cast<int64_t>(i), lines[i]);
  }
  SetGlobal(call.engine(), *ref.countPart, std::to_string(lines.size()));
}

void StoreLines(FormatEngine& engine, int64_t index, const std::vector<std::string>& lines) {
  SetGlobal(engine, index, JoinTexts(lines, kLineBreak));
}

}  // namespace

int32_t UfGlobals(UfCall& call, std::string& result) {
  if (call.p.empty()) {
    call.engine().globalVariables.Clear();
    return 0;
  }
  const std::string_view rest = call.p.substr(1);
  std::vector<std::string> lines;
  switch (UpperAsciiChar(call.p[0])) {
    case 'R':
      lines = ReadRef(call, rest);
      break;
    case 'W':
      WriteGlobals(call, rest);
      return 0;
    case 'M': {
      auto [a, b] = SplitHash(rest);
      lines = Intersection(ReadRef(call, a), ReadRef(call, b));
      break;
    }
    case 'S': {
      auto [a, b] = SplitHash(rest);
      lines = Difference(ReadRef(call, a), ReadRef(call, b));
      break;
    }
    case 'A': {
      auto [a, b] = SplitHash(rest);
      lines = Union(ReadRef(call, a), ReadRef(call, b));
      break;
    }
    case 'G':
    case 'I':
      lines = Distinct(ReadRef(call, rest));
      break;
    case 'T':
    case 'V':
      lines = Sorted(ReadRef(call, rest));
      break;
    case 'K':
      lines = LookUpLines(call, rest, true);
      break;
    case 'O':
      lines = LookUpLines(call, rest, false);
      break;
    default:
      return 0;
  }
  result = JoinTexts(lines, kReadSeparator);
  return 0;
}

int32_t UfGlobalsByNumber(UfCall& call, std::string& result) {
  FormatEngine& engine = call.engine();
  if (call.p.empty()) {
    engine.globalVariables.Clear();
    return 0;
  }
  const std::string_view rest = call.p.substr(1);
  auto [first, second] = SplitHash(rest);
  const int64_t n = LeadingNumber(first).value_or(-1);
  const int64_t m = LeadingNumber(second).value_or(-1);
  if (n < 0) return 0;
  switch (UpperAsciiChar(call.p[0])) {
    case 'R':
      result += JoinTexts(GlobalLines(engine, n, 1), kReadSeparator);
      break;
    case 'W':
      SetGlobal(engine, n, std::string(second));
      break;
    case 'U': {
      std::vector<std::string> lines = GlobalLines(engine, n, 1);
      lines.emplace_back(second);
      StoreLines(engine, n, lines);
      break;
    }
    case 'M':
      StoreLines(engine, n, Intersection(GlobalLines(engine, n, 1), GlobalLines(engine, m, 1)));
      break;
    case 'S':
      StoreLines(engine, n, Difference(GlobalLines(engine, n, 1), GlobalLines(engine, m, 1)));
      break;
    case 'A':
      StoreLines(engine, n, Union(GlobalLines(engine, m, 1), GlobalLines(engine, n, 1)));
      break;
    case 'G':
      StoreLines(engine, n, Distinct(GlobalLines(engine, n, 1)));
      break;
    case 'T':
      StoreLines(engine, n, Sorted(GlobalLines(engine, n, 1)));
      break;
    case 'I': {
      const std::string needle = Utf8UpperCase(second);
      const std::vector<std::string> lines = GlobalLines(engine, n, 1);
      size_t found = 0;
      for (size_t i = 0; i < lines.size() && found == 0; ++i) {
        if (Utf8UpperCase(lines[i]).find(needle) != std::string::npos) found = i + 1;
      }
      result = std::to_string(found);
      break;
    }
    default:
      break;
  }
  return 0;
}

int32_t UfCounter(UfCall& call, std::string& result) {
  const std::string upper = UpperAscii(call.engine().tables, call.p);
  int64_t& counter = call.engine().uniforState.counter;
  size_t used = 0;
  const std::optional<int64_t> number = LeadingNumber(upper, &used);
  if (!number) return 0;
  if (upper.substr(0, used) == "0") {
    counter = 0;
  } else {
    counter = std::min(counter + *number, kCounterLimit);
  }
  for (char c : std::string_view(upper).substr(used)) {
    if (c == '0') {
      counter = 0;
    } else if (c == 'A') {
      result = std::to_string(counter);
    } else if (c == 'X') {
      result = counter >= 1 && counter <= kMaxCounterRoman ? RomanFromInt(counter) : "";
    } else {
      counter = std::min(counter + (c >= '1' && c <= '9' ? c - '0' : 0), kCounterLimit);
    }
  }
  return 0;
}

int32_t UfAppendGlobals(UfCall& call, std::string& result) {
  (void)result;
  for (const std::string& line : TextLines(UrlDecodeForm(call.p))) {
    auto [number, text] = SplitHash(line);
    const std::optional<int64_t> n = WholeNumber(number);
    if (!n || *n < 1 || *n > kMaxGlobalVariable || line.find('#') == std::string::npos) continue;
    std::vector<std::string> lines = GlobalLines(call.engine(), *n, 1);
    lines.emplace_back(text);
    StoreLines(call.engine(), *n, lines);
  }
  return 0;
}

}  // namespace talor
