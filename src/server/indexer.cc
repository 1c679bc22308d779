#include "server/indexer.h"

#include <cctype>

#include "text/encoding.h"
#include "text/string_list.h"

namespace talor::server {

namespace {

constexpr int32_t kBinaryImageTag = 953;
constexpr size_t kMaxPrefixLetters = 5;

bool IsLetterByte(unsigned char c) { return std::isalpha(c) || c >= 0x80; }
bool IsDigitByte(unsigned char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The length of a leading term prefix such as "K=", or 0.
size_t PrefixLength(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && i < kMaxPrefixLetters &&
         std::isalnum(static_cast<unsigned char>(line[i])))
    ++i;
  return i > 0 && i < line.size() && line[i] == '=' ? i + 1 : 0;
}

std::string_view NextWord(std::string_view& text) {
  size_t i = 0;
  std::string_view result;
  while (i < text.size() && !IsLetterByte(static_cast<unsigned char>(text[i])) &&
         !IsDigitByte(static_cast<unsigned char>(text[i])))
    ++i;
  size_t start = i;
  if (i < text.size()) {
    bool digits = IsDigitByte(static_cast<unsigned char>(text[i]));
    while (i < text.size() && (digits ? IsDigitByte(static_cast<unsigned char>(text[i]))
                                      : IsLetterByte(static_cast<unsigned char>(text[i]))))
      ++i;
    result = text.substr(start, i - start);
  }
  text.remove_prefix(i);
  return result;
}

// Subfield marks ("^a") become blanks, so that a code letter does not stick
// to the word after it.
std::string WithoutSubfieldMarks(std::string_view value) {
  std::string text;
  text.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '^' && i + 1 < value.size()) {
      text += ' ';
      ++i;
    } else {
      text += value[i];
    }
  }
  return text;
}

}  // namespace

std::vector<FstLine> ParseFst(std::string_view text) {
  std::vector<FstLine> lines;
  for (std::string_view line : SplitLines(text)) {
    line = Trim(line);
    if (line.empty() || line.front() == '*' || line.front() == ';') continue;
    size_t first = line.find_first_of(" \t");
    if (first == std::string_view::npos) continue;
    std::string_view rest = Trim(line.substr(first));
    size_t second = rest.find_first_of(" \t");
    if (second == std::string_view::npos) continue;
    std::optional<int32_t> tag = ParseInt(line.substr(0, first));
    std::optional<int32_t> method = ParseInt(rest.substr(0, second));
    if (!tag || !method || *tag <= 0) continue;
    lines.push_back({*tag, *method, std::string(Trim(rest.substr(second)))});
  }
  return lines;
}

std::set<std::string> ParseStopWords(std::string_view text) {
  std::set<std::string> words;
  for (std::string_view line : SplitLines(text)) {
    line = Trim(line);
    if (!line.empty()) words.insert(NormalizeTerm(line));
  }
  return words;
}

std::vector<std::string_view> SplitIndexWords(std::string_view text) {
  std::vector<std::string_view> words;
  while (!text.empty()) {
    std::string_view word = NextWord(text);
    if (!word.empty()) words.push_back(word);
  }
  return words;
}

std::string NormalizeTerm(std::string_view text) {
  std::string term = Utf8UpperCase(text);
  if (term.size() > kMaxTermBytes) {
    size_t cut = kMaxTermBytes;
    while (cut > 0 && (static_cast<unsigned char>(term[cut]) & 0xC0) == 0x80) --cut;
    term.resize(cut);
  }
  return term;
}

IndexEntries ExtractTerms(const StoredRecord& record, std::string_view database,
                          const std::vector<FstLine>& fst, const std::set<std::string>& stopWords,
                          Formatter& formatter) {
  IndexEntries entries;
  if (record.IsDeleted()) return entries;
  for (const FstLine& line : fst) {
    FormatOutput output = formatter.Format(record, database, line.format);
    if (output.code != 0) continue;
    int32_t occurrence = 0;
    for (std::string_view text : SplitLines(output.text)) {
      text = Trim(text);
      if (text.empty()) continue;
      ++occurrence;
      if (line.method != kMethodWords) {
        entries.terms.push_back({NormalizeTerm(text), line.tag, occurrence, 1});
        continue;
      }
      size_t prefixLength = PrefixLength(text);
      std::string prefix = NormalizeTerm(text.substr(0, prefixLength));
      std::string plain = WithoutSubfieldMarks(text.substr(prefixLength));
      int32_t position = 0;
      for (std::string_view word : SplitIndexWords(plain)) {
        std::string upper = NormalizeTerm(word);
        if (stopWords.contains(upper)) continue;
        entries.terms.push_back({NormalizeTerm(prefix + upper), line.tag, occurrence, ++position});
      }
    }
  }
  entries.fullText = FullTextBody(record);
  return entries;
}

std::string FullTextBody(const StoredRecord& record) {
  std::string body;
  if (record.IsDeleted()) return body;
  for (const Field& field : record.fields) {
    if (field.tag == kBinaryImageTag) continue;
    body += WithoutSubfieldMarks(field.value);
    body += '\n';
  }
  return body;
}

}  // namespace talor::server
