#include "navigator/parameters.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "text/number_text.h"
#include "text/string_list.h"
#include "text/url_coding.h"

namespace talor {
namespace {

constexpr std::string_view kPseudoScheme = "TALOR:";
constexpr std::string_view kFileScheme = "TALORFILE:";
// The head's fields start after the scheme, which is not checked again here.
constexpr size_t kSchemeLength = kPseudoScheme.size();
// The marker of a form field's name in a Content-Disposition line; the name
// starts after the opening quote that follows it.
constexpr std::string_view kNameMarker = "name=";
constexpr int kCommandUrl = 0;
constexpr int kCommandResource = 3;
constexpr int kPostGroupLines = 4;

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string AsciiUpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = AsciiUpper(c);
  return upper;
}

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// Cuts the text up to the next comma off the front of `rest` and returns it;
// `rest` keeps what follows the comma (nothing when there is no comma).
std::string_view NextField(std::string_view& rest) {
  const size_t comma = rest.find(',');
  std::string_view field = rest.substr(0, comma);
  rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
  return field;
}

void AddIfNotEmpty(ParameterSet& params, const std::string& name, std::string_view value) {
  if (!value.empty()) params.Add(name, std::string(value));
}

// Command 3: the path number selects how the remaining fields name the file.
void ParseResourceHead(std::string_view rest, const NavigatorSettings& settings,
                       std::string_view currentDbName, ParameterSet& params) {
  const int path = DecimalToInt(NextField(rest), -1);
  if (path < 0) return;
  params.Add(settings.Name(Param::PATH), std::to_string(path));
  auto database = [&](std::string_view field) {
    return std::string(field.empty() ? currentDbName : field);
  };
  switch (path) {
    case 0:
    case 1:
      NextField(rest);  // no database for the shared folders
      params.Add(settings.Name(Param::DBNAME), "");
      params.Add(settings.Name(Param::FILENAME), std::string(rest));
      break;
    case 2:
    case 3:
    case 10:
    case 11: {
      std::string db = database(NextField(rest));
      std::string_view fileName = NextField(rest);
      params.Add(settings.Name(Param::DBNAME), std::move(db));
      params.Add(settings.Name(Param::FILENAME), std::string(fileName));
      break;
    }
    case 12:
      // Record images: the file name is `<mfn>,<occurrence>`.
      params.Add(settings.Name(Param::DBNAME), database(NextField(rest)));
      params.Add(settings.Name(Param::FILENAME), std::string(rest));
      break;
    default:
      break;
  }
}

void ParseHead(std::string_view head, const NavigatorSettings& settings,
               std::string_view currentDbName, ParameterSet& params) {
  std::string_view rest = head.substr(std::min(head.size(), kSchemeLength));
  const int command = DecimalToInt(NextField(rest), -1);
  if (command >= 0) params.Add(settings.Name(Param::COMMAND), std::to_string(command));
  if (command == kCommandResource) {
    ParseResourceHead(rest, settings, currentDbName, params);
    return;
  }
  NextField(rest);  // the second field is not used by these commands
  if (command == kCommandUrl) {
    AddIfNotEmpty(params, settings.Name(Param::URL), rest);
    return;
  }
  AddIfNotEmpty(params, settings.Name(Param::DBNAME), NextField(rest));
  AddIfNotEmpty(params, settings.Name(Param::PFTNAME), NextField(rest));
  AddIfNotEmpty(params, settings.Name(Param::KEY), rest);  // a key may hold commas
}

// Each `&`-separated piece is decoded on its own, so that an encoded line
// break or ampersand stays inside its value.
void ParseQuery(std::string_view query, ParameterSet& params) {
  while (!query.empty()) {
    const size_t amp = query.find('&');
    const std::string pair = UrlDecodeForm(query.substr(0, amp));
    query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    const size_t equals = pair.find('=');
    if (equals != std::string::npos) params.Add(pair.substr(0, equals), pair.substr(equals + 1));
  }
}

// Multipart form data whose values are single lines: boundary,
// Content-Disposition with name="...", blank line, value.
void ParsePostText(std::string_view postText, ParameterSet& params) {
  const std::vector<std::string_view> lines = SplitLines(postText);
  for (size_t i = 0; i + kPostGroupLines <= lines.size(); i += kPostGroupLines) {
    const std::string_view disposition = lines[i + 1];
    const size_t marker = disposition.find(kNameMarker);
    if (marker == std::string_view::npos) continue;
    // From after the opening quote up to the closing quote, the last byte.
    const size_t start = marker + kNameMarker.size() + 1;
    const size_t end = disposition.size() - 1;
    std::string name = start < end ? std::string(disposition.substr(start, end - start)) : "";
    params.Add(std::move(name), std::string(lines[i + 3]));
  }
}

}  // namespace

std::string ParameterSet::GetParam(std::string_view name) const {
  for (const Pair& pair : pairs_) {
    if (EqualsIgnoringCase(pair.name, name)) return pair.value;
  }
  return {};
}

void ParameterSet::SetParam(std::string_view name, std::string value) {
  for (Pair& pair : pairs_) {
    if (EqualsIgnoringCase(pair.name, name)) {
      pair.value = std::move(value);
      return;
    }
  }
  Add(std::string(name), std::move(value));
}

ParameterSet::Like ParameterSet::FindParamLike(std::string_view pattern, int n) const {
  int found = 0;
  for (const Pair& pair : pairs_) {
    // ASCII upper-casing keeps every byte in its place, so the position in
    // the upper-cased name is the position in the name.
    const size_t at = AsciiUpperCase(pair.name).find(pattern);
    if (at != std::string::npos && ++found == n) return {pair.value, pair.name.substr(0, at)};
  }
  return {};
}

void ParseNavigationParams(std::string_view url, std::string_view postText,
                           const NavigatorSettings& settings, std::string_view currentDbName,
                           ParameterSet& params) {
  params.Clear();
  const size_t question = url.find('?');
  ParseHead(url.substr(0, question), settings, currentDbName, params);
  if (question != std::string_view::npos) ParseQuery(url.substr(question + 1), params);
  ParsePostText(postText, params);
}

std::string PostDataToText(std::string_view postData) {
  std::string text;
  bool first = true;
  for (std::string_view line : SplitLines(postData)) {
    if (!first) text += "\r\n";
    text += line;
    first = false;
  }
  return text;
}

std::string TextToPostData(std::string_view text) {
  return text.empty() ? std::string() : std::string(text) + "\r\n";
}

bool IsPseudoUrl(std::string_view url) { return StartsWithIgnoringCase(url, kPseudoScheme); }

bool IsTalorFileUrl(std::string_view url) { return StartsWithIgnoringCase(url, kFileScheme); }

}  // namespace talor
