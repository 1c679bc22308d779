// Keys that work on the parameter text alone, and the flags of the
// post-processing passes.

#include <unicode/uchar.h>

#include <algorithm>
#include <random>

#include "format/uf_library.h"
#include "text/encoding.h"
#include "text/range_list.h"
#include "text/text_search.h"
#include "text/word_splitter.h"

namespace talor {
namespace {

constexpr size_t kMaxRandomDigits = 1000;
constexpr int64_t kDefaultRandomDigits = 6;
constexpr size_t kIsbn13Length = 13;

std::string_view Digit01(bool value) { return value ? "1" : "0"; }

// Where the n-th blank of `text` is; npos when it has fewer.
size_t NthBlank(std::string_view text, int n) {
  size_t pos = std::string_view::npos;
  for (int i = 0; i < n; ++i) {
    pos = text.find(' ', pos == std::string_view::npos ? 0 : pos + 1);
    if (pos == std::string_view::npos) break;
  }
  return pos;
}

// The UTF-8 characters of `text`, one string each.
std::vector<std::string_view> Characters(std::string_view text) {
  std::vector<std::string_view> characters;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = pos + 1;
    while (end < text.size() && (static_cast<uint8_t>(text[end]) & 0xC0) == 0x80) ++end;
    characters.push_back(text.substr(pos, end - pos));
    pos = end;
  }
  return characters;
}

bool IsLetterUtf8(std::string_view character) {
  const std::u16string wide = Utf8ToWide(character);
  return !wide.empty() && u_isalpha(wide[0]);
}

}  // namespace

int32_t UfRemoveQuotes(UfCall& call, std::string& result) {
  for (char c : call.p) {
    if (c != '"') result += c;
  }
  return 0;
}

int32_t UfMaskMatch(UfCall& call, std::string& result) {
  const std::string_view p = call.p;
  if (p.empty()) return 0;
  const size_t close = p.find(p[0], 1);
  if (close == std::string_view::npos) {
    result = "0";
    return 0;
  }
  result = Digit01(MaskMatch(p.substr(1, close - 1), p.substr(close + 1)));
  return 0;
}

int32_t UfWordKey(UfCall& call, std::string& result) {
  LetterSet letters = DefaultLetterClass();
  for (char c = '0'; c <= '9'; ++c) letters.set(static_cast<uint8_t>(c));
  StringList words;
  SplitWords(call.p, {}, StringList{}, false, words, letters);
  std::vector<std::vector<std::string_view>> characters;
  for (const ListLine& word : words) characters.push_back(Characters(word.text));
  std::reverse(characters.begin(), characters.end());
  size_t taken = 0;
  for (size_t depth = 0; taken < kMaxWordKey; ++depth) {
    bool any = false;
    for (const auto& word : characters) {
      if (depth >= word.size() || taken >= kMaxWordKey) continue;
      result += word[depth];
      ++taken;
      any = true;
    }
    if (!any) break;
  }
  return 0;
}

int32_t UfCheckDigits(UfCall& call, std::string& result) {
  const std::string_view p = call.p;
  std::vector<int> digits;
  bool bad = false;
  for (char c : p) {
    if (c == '-' || c == ' ') continue;
    if (c >= '0' && c <= '9') {
      digits.push_back(c - '0');
    } else if (c == 'X' || c == 'x') {
      digits.push_back(10);
    } else {
      bad = true;
    }
  }
  if (p.starts_with("97") && p.size() >= kIsbn13Length) {
    int sum = 0;
    for (size_t i = 0; i < digits.size(); ++i) sum += digits[i] * (i % 2 == 0 ? 1 : 3);
    result = Digit01(bad || digits.size() != kIsbn13Length || sum % 10 != 0);
    return 0;
  }
  int weight = p.size() < 10 ? 8 : 10;
  int sum = 0;
  for (int digit : digits) sum += digit * weight--;
  result = Digit01(bad || weight < 0 || sum == 0 || sum % 11 != 0);
  return 0;
}

namespace {

// The argument of the blank-splitting keys: one digit n, then the text.
// Without a digit from 1 on, n is 0 and the key gives the whole text.
struct BlankSplit {
  int n = 0;
  std::string_view text;
};

BlankSplit ReadBlankSplit(std::string_view p) {
  return {p[0] >= '0' && p[0] <= '9' ? p[0] - '0' : 0, p.substr(1)};
}

}  // namespace

int32_t UfBeforeBlank(UfCall& call, std::string& result) {
  if (call.p.empty()) return 0;
  const BlankSplit arg = ReadBlankSplit(call.p);
  result = arg.n < 1 ? arg.text : arg.text.substr(0, NthBlank(arg.text, arg.n));
  return 0;
}

int32_t UfAfterBlank(UfCall& call, std::string& result) {
  if (call.p.empty()) return 0;
  const BlankSplit arg = ReadBlankSplit(call.p);
  if (arg.n < 1) {
    result = arg.text;
    return 0;
  }
  const size_t blank = NthBlank(arg.text, arg.n);
  if (blank != std::string_view::npos) result = arg.text.substr(blank + 1);
  return 0;
}

int32_t UfFindPart(UfCall& call, std::string& result) {
  const std::vector<std::string_view> chars = Characters(call.p);
  if (chars.size() < 2) return 0;
  const char mode = UpperAsciiChar(chars[0][0]);
  const std::string_view x = chars[1];
  const std::string_view text = call.p.substr(chars[0].size() + chars[1].size());
  size_t found = std::string_view::npos;
  size_t width = x.size();
  const std::vector<std::string_view> textChars = Characters(text);
  size_t pos = 0;
  for (std::string_view c : textChars) {
    const bool hit = x == "#"   ? (c[0] >= '0' && c[0] <= '9')
                     : x == "$" ? (IsLetterUtf8(c))
                                : c == x;
    if (hit) {
      found = pos;
      width = c.size();
      break;
    }
    pos += c.size();
  }
  if (found == std::string_view::npos) {
    if (mode == '0' || mode == '1' || mode == '2') result = text;
    return 0;
  }
  if (mode == '0' || mode == 'A') result = text.substr(0, found);
  if (mode == '1' || mode == 'B') result = text.substr(found);
  if (mode == '2' || mode == 'C') result = text.substr(found + width);
  return 0;
}

int32_t UfLowerCase(UfCall& call, std::string& result) {
  result = Utf8LowerCase(call.p);
  return 0;
}

int32_t UfRandom(UfCall& call, std::string& result) {
  int64_t digits = LeadingNumber(call.p).value_or(kDefaultRandomDigits);
  if (digits < 1) digits = kDefaultRandomDigits;
  digits = std::min<int64_t>(digits, kMaxRandomDigits);
  std::mt19937& random = call.engine().random;
  if (digits <= 9) {
    int64_t limit = 1;
    for (int64_t i = 0; i < digits; ++i) limit *= 10;
    // From 0 to limit - 2: the largest value is never drawn, as before.
    std::uniform_int_distribution<int64_t> draw(0, limit - 2);
    std::string text = std::to_string(draw(random));
    result.assign(static_cast<size_t>(digits) - text.size(), '0');
    result += text;
    return 0;
  }
  std::uniform_int_distribution<int> digit(0, 9);
  for (int64_t i = 0; i < digits; ++i) result += static_cast<char>('0' + digit(random));
  return 0;
}

int32_t UfInList(UfCall& call, std::string& result) {
  const std::string upper = UpperAscii(call.engine().tables, Utf8UpperCase(call.p));
  const size_t comma = upper.find(',');
  if (comma == std::string::npos) {
    result = "0";
    return 0;
  }
  const std::string value = "," + upper.substr(0, comma) + ",";
  const std::string list = "," + ExpandRangeList(std::string_view(upper).substr(comma + 1)) + ",";
  result = Digit01(list.find(value) != std::string::npos);
  return 0;
}

int32_t UfStripTags(UfCall& call, std::string& result) {
  const std::string_view p = call.p;
  size_t pos = 0;
  while (pos < p.size()) {
    const size_t open = p.find('<', pos);
    if (open == std::string_view::npos) {
      result += p.substr(pos);
      break;
    }
    result += p.substr(pos, open - pos);
    const size_t close = p.find('>', open);
    if (close == std::string_view::npos) break;
    pos = close + 1;
  }
  return 0;
}

int32_t UfInitials(UfCall& call, std::string& result) {
  LetterSet letters;
  const AlphabetTable& alphabet = call.engine().tables.alphabet;
  for (size_t c = 1; c < 255; ++c) letters.set(c, alphabet[c] != 0);
  StringList words;
  SplitWords(Utf8ToAnsi(call.p), {}, StringList{}, false, words, letters);
  std::string key;
  for (const ListLine& word : words) {
    if (key.size() >= kMaxWordKey) break;
    if (!word.text.empty()) key += word.text[0];
  }
  result = AnsiToUtf8(key);
  return 0;
}

int32_t UfTidyPoints(UfCall& call, std::string& result) {
  (void)result;
  const std::string_view output = call.call.interpreter.OutputSoFar();
  std::string tidy;
  tidy.reserve(output.size());
  size_t pos = 0;
  while (pos < output.size()) {
    if (output[pos] != '.') {
      tidy += output[pos++];
      continue;
    }
    size_t run = 0;
    while (pos + run < output.size() && output[pos + run] == '.') ++run;
    tidy.append(run == 2 ? 1 : run, '.');
    pos += run;
  }
  if (tidy.size() != output.size()) call.call.interpreter.ReplaceOutput(tidy);
  return 0;
}

int32_t UfFlagTidy(UfCall& call, std::string&) {
  call.engine().tidyPunctuation = true;
  return 0;
}

int32_t UfFlagBrackets(UfCall& call, std::string&) {
  call.engine().removeDoubleBrackets = true;
  return 0;
}

int32_t UfFlagRtf(UfCall& call, std::string&) {
  call.engine().removeRtf = true;
  return 0;
}

int32_t UfByteSum(UfCall& call, std::string& result) {
  int64_t sum = 0;
  for (char c : call.p) sum += static_cast<uint8_t>(c);
  result = std::to_string(sum);
  return 0;
}

int32_t UfBeforeLastPoint(UfCall& call, std::string& result) {
  const size_t point = call.p.rfind('.');
  if (point != std::string_view::npos) result = call.p.substr(0, point);
  return 0;
}

int32_t UfCollapseBlanks(UfCall& call, std::string& result) {
  bool blank = false;
  for (char c : call.p) {
    if (c == ' ' || c == '\t') {
      blank = !result.empty();
      continue;
    }
    if (blank) result += ' ';
    blank = false;
    result += c;
  }
  return 0;
}

int32_t UfServerOnly(UfCall&, std::string&) { return kServerOnly; }

}  // namespace talor
