// Keys that read files of the database's directory: menu lookups, ranges
// and prefixes in menus, issue lists with the month names of the record's
// language, file entries and the program's configuration.

#include <algorithm>

#include "client/record.h"
#include "format/uf_library.h"
#include "text/encoding.h"
#include "text/issue_list.h"

namespace talor {
namespace {

constexpr std::string_view kMonthMenu = "jzmnth.mnu";
constexpr int32_t kLanguageTag = 101;
constexpr uint8_t kAnsiYery = 219;      // Ы
constexpr uint8_t kAnsiShortI = 201;    // Й
constexpr uint8_t kAnsiI = 200;         // И
constexpr uint8_t kAnsiHardSign = 218;  // Ъ
constexpr size_t kMaxPrefixesWritten = 6;
constexpr std::string_view kPrefixLetters = "ABCDFG";

struct MenuCall {
  std::string name;
  char separator = 0;
  std::string key;
};

// Splits "name<sep>key" at the first of `separators`.
std::optional<MenuCall> SplitMenuCall(std::string_view p, std::string_view separators) {
  const size_t at = p.find_first_of(separators);
  if (at == std::string_view::npos) return std::nullopt;
  return MenuCall{std::string(p.substr(0, at)), p[at], std::string(p.substr(at + 1))};
}

std::vector<std::pair<std::string, std::string>> ReadMenu(const UfCall& call,
                                                          std::string_view name) {
  const std::optional<std::string> text = ReadDatabaseFile(call, name);
  return text ? MenuPairs(*text) : std::vector<std::pair<std::string, std::string>>{};
}

std::vector<std::string> MenuValues(const UfCall& call, bool firstOnly) {
  const std::optional<MenuCall> menuCall = SplitMenuCall(call.p, "|\\!");
  if (!menuCall) return {};
  std::vector<std::string> values =
      MenuLookup(ReadMenu(call, menuCall->name), Utf8ToAnsi(menuCall->key),
                 menuCall->separator == '!', firstOnly);
  for (std::string& value : values) value = AnsiToUtf8(value);
  return values;
}

int32_t Issues(UfCall& call, std::string& result, IssueListMode mode) {
  StringList months;
  const StringList& record = call.record();
  const int field = RecordFindField(record, kLanguageTag, 1);
  if (field > 0) {
    const std::string language = Utf8ToAnsi(RecordFieldText(record, field, "*"));
    const std::vector<std::string> names =
        MenuLookup(ReadMenu(call, kMonthMenu), language, true, true);
    if (!names.empty()) {
      std::string list = AnsiToUtf8(names[0]);
      std::replace(list.begin(), list.end(), ';', ',');
      std::string_view rest = list;
      while (!rest.empty()) {
        const size_t comma = rest.find(',');
        std::string_view name = rest.substr(0, comma);
        while (name.starts_with(' ')) name.remove_prefix(1);
        while (name.ends_with(' ')) name.remove_suffix(1);
        if (!name.empty()) months.Add(std::string(name));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
      }
    }
  }
  result = NormalizeIssueList(months, call.p, mode);
  return 0;
}

}  // namespace

std::vector<std::string> MenuLookup(const std::vector<std::pair<std::string, std::string>>& menu,
                                    std::string_view ansiKey, bool ignoreCase, bool firstOnly) {
  std::vector<std::string> values;
  const std::string key = ignoreCase ? AnsiUpperCase(ansiKey) : std::string(ansiKey);
  for (const auto& [code, value] : menu) {
    const bool equal = ignoreCase ? AnsiUpperCase(code) == key : code == key;
    if (!equal) continue;
    values.push_back(value);
    if (firstOnly) break;
  }
  return values;
}

int32_t UfMenuFirst(UfCall& call, std::string& result) {
  const std::vector<std::string> values = MenuValues(call, true);
  if (!values.empty()) result = values[0];
  return 0;
}

int32_t UfMenuAll(UfCall& call, std::string& result) {
  result = JoinTexts(MenuValues(call, false), "\r");
  return 0;
}

int32_t UfMenuRange(UfCall& call, std::string& result) {
  const std::optional<MenuCall> menuCall =
      SplitMenuCall(call.p, call.p.find('|') != std::string_view::npos ? "|" : "\\");
  if (!menuCall) return 0;
  const std::optional<std::string> file = ReadDatabaseFile(call, menuCall->name);
  if (!file || TextLines(*file).size() < 2) return 0;
  std::string text = AnsiUpperCase(Utf8ToAnsi(menuCall->key));
  if (text.empty()) return 0;
  if (static_cast<uint8_t>(text[0]) == kAnsiYery) {
    result = AnsiToUtf8(text.substr(0, 1));
    return 0;
  }
  if (static_cast<uint8_t>(text[0]) == kAnsiShortI) text[0] = static_cast<char>(kAnsiI);
  std::replace(text.begin(), text.end(), '\'', static_cast<char>(kAnsiHardSign));
  const std::vector<std::pair<std::string, std::string>> pairs = MenuPairs(*file);
  const std::string* code = nullptr;
  for (const auto& pair : pairs) {
    if (AnsiUpperCase(pair.second) > text) {
      if (code != nullptr) result = AnsiToUtf8(*code);
      return 0;
    }
    code = &pair.first;
  }
  return 0;  // no value is greater than the text: the walk ran off the menu
}

int32_t UfMenuPrefixes(UfCall& call, std::string& result) {
  const std::optional<MenuCall> menuCall = SplitMenuCall(call.p, "|");
  if (!menuCall) return 0;
  const std::optional<std::string> file = ReadDatabaseFile(call, menuCall->name);
  std::vector<std::string> lines = file ? TextLines(*file) : std::vector<std::string>{};
  if (lines.empty()) {
    result = "^A%";
    return 0;
  }
  lines.pop_back();  // the last line of the menu never counts
  for (std::string& line : lines) line = AnsiUpperCase(line);
  const std::string_view text = menuCall->key;
  std::vector<std::string> retained;  // longest first
  for (size_t count = Utf8Length(text); count >= 2; --count) {
    const std::string_view prefix = Utf8Slice(text, 0, static_cast<int64_t>(count));
    const std::string upper = AnsiUpperCase(Utf8ToAnsi(prefix));
    if (std::find(lines.begin(), lines.end(), upper) != lines.end()) {
      retained.emplace_back(prefix);
    }
  }
  if (retained.empty()) {
    result = "^A" + std::string(text) + "%";
    return 0;
  }
  std::vector<std::string> written(retained.rbegin(), retained.rend());  // shortest first
  if (written.size() > kMaxPrefixesWritten) {
    written.resize(kMaxPrefixesWritten - 1);
    written.push_back(retained.front());
  }
  for (size_t i = 0; i < written.size(); ++i) {
    result += "^";
    result += kPrefixLetters[i];
    result += written[i] + "%";
  }
  return 0;
}

int32_t UfIssuesCumulate(UfCall& call, std::string& result) {
  return Issues(call, result, IssueListMode::Cumulate);
}

int32_t UfIssuesExpand(UfCall& call, std::string& result) {
  return Issues(call, result, IssueListMode::Expand);
}

int32_t UfFileEntries(UfCall& call, std::string& result) {
  if (call.p.size() < 2) return 0;
  const char what = UpperAsciiChar(call.p[0]);
  const std::string_view name = call.p.substr(1);
  const std::optional<std::string> file = ReadDatabaseFile(call, name);
  if (!file) return 0;
  const size_t k = call.iteration() > 0 ? static_cast<size_t>(call.iteration()) : 1;
  std::string upperName(name);
  for (char& c : upperName) c = UpperAsciiChar(c);
  if (upperName.find(".MNU") != std::string::npos) {
    const std::vector<std::pair<std::string, std::string>> pairs = MenuPairs(*file);
    if (k > pairs.size()) return 0;
    if (what == 'T') result = AnsiToUtf8(pairs[k - 1].first);
    if (what == 'F') result = AnsiToUtf8(pairs[k - 1].second);
    return 0;
  }
  const std::vector<std::string> lines = TextLines(*file);
  if (k > lines.size() || (what != 'T' && what != 'F')) return 0;
  result = AnsiToUtf8(lines[k - 1]);
  return 0;
}

int32_t UfConfiguration(UfCall& call, std::string& result) {
  const std::string_view p = call.p;
  const size_t first = p.find(',');
  if (first == std::string_view::npos) return 0;
  const size_t second = p.find(',', first + 1);
  const std::string_view section = p.substr(0, first);
  const std::string_view key = p.substr(
      first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1);
  const std::string_view fallback =
      second == std::string_view::npos ? std::string_view() : p.substr(second + 1);
  const ConfigurationReader& configuration = call.engine().configuration;
  const std::optional<std::string> value =
      configuration ? configuration(section, key) : std::nullopt;
  if (!value) {
    result = fallback;
    return 0;
  }
  result = value->starts_with('!') ? *value : AnsiToUtf8(*value);
  return 0;
}

}  // namespace talor
