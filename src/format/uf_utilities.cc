// Key `+9`: text and file-name utilities, Roman numerals and the keys that
// read, write or delete files (those live in uf_files.cc).

#include <array>

#include "format/uf_library.h"
#include "text/encoding.h"
#include "text/word_splitter.h"

namespace talor {
namespace {

constexpr int64_t kQuestionMark = 63;
constexpr std::string_view kWordLimit = "64";

int32_t Iteration(UfCall& call, std::string& result) {
  result = std::to_string(call.iteration());
  return 0;
}

size_t LastSeparator(std::string_view path) { return path.find_last_of("/\\"); }

int32_t FileName(UfCall& call, std::string& result) {
  const size_t at = LastSeparator(call.p);
  result = at == std::string_view::npos ? call.p : call.p.substr(at + 1);
  if (at == std::string_view::npos && call.p.size() >= 2 && call.p[1] == ':') {
    result = call.p.substr(2);
  }
  return 0;
}

int32_t DirectoryPath(UfCall& call, std::string& result) {
  const size_t at = LastSeparator(call.p);
  if (at != std::string_view::npos) {
    result = call.p.substr(0, at + 1);
  } else if (call.p.size() >= 2 && call.p[1] == ':') {
    result = call.p.substr(0, 2);
  }
  return 0;
}

int32_t Extension(UfCall& call, std::string& result) {
  const size_t point = call.p.rfind('.');
  const size_t separator = LastSeparator(call.p);
  if (point != std::string_view::npos &&
      (separator == std::string_view::npos || point > separator)) {
    result = call.p.substr(point);
  }
  return 0;
}

int32_t Drive(UfCall& call, std::string& result) {
  if (call.p.size() >= 2 && call.p[1] == ':') result = call.p.substr(0, 2);
  return 0;
}

int32_t Length(UfCall& call, std::string& result) {
  result = std::to_string(Utf8Length(call.p));
  return 0;
}

int32_t Substring(UfCall& call, std::string& result) {
  if (call.p.empty()) return 0;
  const bool fromStart = call.p[0] == '0';
  std::string_view spec = call.p.substr(1);
  const size_t hash = spec.find('#');
  if (hash == std::string_view::npos) {
    result = spec;
    return 0;
  }
  const std::string_view text = spec.substr(hash + 1);
  spec = spec.substr(0, hash);
  int64_t offset = 0;
  int64_t length = -1;
  size_t used = 0;
  while (!spec.empty()) {
    const char mark = spec.front();
    spec.remove_prefix(1);
    if (mark != '*' && mark != '.') continue;
    const int64_t value = LeadingNumber(spec, &used).value_or(0);
    spec.remove_prefix(used);
    (mark == '*' ? offset : length) = value;
  }
  if (fromStart) {
    result = Utf8Slice(text, offset, length);
    return 0;
  }
  const int64_t size = static_cast<int64_t>(Utf8Length(text));
  const int64_t end = std::max<int64_t>(size - offset, 0);
  const int64_t begin = length < 0 ? 0 : std::max<int64_t>(end - length, 0);
  result = Utf8Slice(text, begin, end - begin);
  return 0;
}

int32_t UpperCase(UfCall& call, std::string& result) {
  result = Utf8UpperCase(call.p);
  return 0;
}

int32_t ReplaceChar(UfCall& call, std::string& result) {
  const std::string_view x = Utf8Slice(call.p, 0, 1);
  const std::string_view y = Utf8Slice(call.p, 1, 1);
  if (x.empty() || y.empty()) return 0;
  std::string_view rest = call.p.substr(x.size() + y.size());
  while (!rest.empty()) {
    if (rest.starts_with(x)) {
      result += y;
      rest.remove_prefix(x.size());
    } else {
      result += rest.front();
      rest.remove_prefix(1);
    }
  }
  return 0;
}

int32_t CharacterOfCode(UfCall& call, std::string& result) {
  int64_t code = WholeNumber(call.p).value_or(kQuestionMark);
  if (code < 1 || code > 255) code = kQuestionMark;
  const char c = static_cast<char>(code);
  result = AnsiToUtf8(std::string_view(&c, 1));
  return 0;
}

int32_t Words(UfCall& call, std::string& result) {
  StringList words;
  SplitWords(call.p, {}, StringList{}, false, words);
  for (const ListLine& word : words) {
    if (!result.empty()) result += ' ';
    result += word.text;
  }
  return 0;
}

int32_t WithoutFirst(UfCall& call, std::string& result) {
  if (call.p.empty()) return 0;
  const char d = call.p[0];
  const std::string_view text = call.p.substr(1);
  const size_t at = text.find(d);
  if (at == std::string_view::npos || at + 1 == text.size()) return 0;
  result = text.substr(0, at);
  result += text.substr(at + 1);
  return 0;
}

int32_t ReplaceText(UfCall& call, std::string& result) {
  const std::string_view p = call.p;
  if (p.empty()) return 0;
  const size_t searchEnd = p.find(p[0], 1);
  if (searchEnd == std::string_view::npos || searchEnd + 1 >= p.size()) return 0;
  const std::string_view search = p.substr(1, searchEnd - 1);
  const char e = p[searchEnd + 1];
  const size_t replacementEnd = p.find(e, searchEnd + 2);
  if (replacementEnd == std::string_view::npos) return 0;
  const std::string_view replacement = p.substr(searchEnd + 2, replacementEnd - searchEnd - 2);
  const std::string_view text = p.substr(replacementEnd + 1);
  if (search.empty()) {
    result = text;
    return 0;
  }
  // Upper-casing keeps positions only when it keeps lengths; otherwise the
  // search is exact.
  std::string upperText = Utf8UpperCase(text);
  std::string upperSearch = Utf8UpperCase(search);
  if (upperText.size() != text.size() || upperSearch.size() != search.size()) {
    upperText = text;
    upperSearch = search;
  }
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t found = upperText.find(upperSearch, pos);
    if (found == std::string::npos) break;
    result += text.substr(pos, found - pos);
    result += replacement;
    pos = found + search.size();
  }
  result += text.substr(std::min(pos, text.size()));
  return 0;
}

int32_t RomanToInt(UfCall& call, std::string& result) {
  result = std::to_string(IntFromRoman(call.p));
  return 0;
}

int32_t IntToRoman(UfCall& call, std::string& result) {
  result = RomanFromInt(WholeNumber(call.p).value_or(0));
  return 0;
}

int32_t WordLimit(UfCall&, std::string& result) {
  result = kWordLimit;
  return 0;
}

constexpr std::array kNineKeys{
    UfKey{'0', Iteration},       UfKey{'1', FileName},     UfKey{'2', DirectoryPath},
    UfKey{'3', Extension},       UfKey{'4', Drive},        UfKey{'5', Length},
    UfKey{'6', Substring},       UfKey{'7', UpperCase},    UfKey{'8', ReplaceChar},
    UfKey{'9', UfAppendGlobals}, UfKey{'C', UfResource},   UfKey{'D', UfWriteResource},
    UfKey{'F', CharacterOfCode}, UfKey{'G', Words},        UfKey{'H', WithoutFirst},
    UfKey{'I', ReplaceText},     UfKey{'J', UfFileToUrl},  UfKey{'K', UfDeleteFiles},
    UfKey{'R', RomanToInt},      UfKey{'V', WordLimit},    UfKey{'X', IntToRoman},
    UfKey{'A', UfServerOnly},    UfKey{'B', UfServerOnly}, UfKey{'E', UfServerOnly},
    UfKey{'N', UfServerOnly},    UfKey{'P', UfServerOnly},
};

}  // namespace

std::span<const UfKey> UniforPlusNineKeys() { return kNineKeys; }

int32_t UfUtilities(UfCall& call, std::string& result) {
  return DispatchKey(kNineKeys, call, call.p, result);
}

}  // namespace talor
