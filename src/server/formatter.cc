#include "server/formatter.h"

#include <cctype>
#include <optional>
#include <vector>

#include "server/return_codes.h"
#include "text/encoding.h"

namespace talor::server {

namespace {

// Bounds the work of one format: nested groups, the repeat passes of one
// group, and the passes of all groups together (nested groups multiply).
constexpr int kMaxGroupDepth = 8;
constexpr int kMaxRepeats = 10000;
constexpr int kMaxPasses = 100000;

// The value of subfield `code` (case-insensitive) of `value`; the leading
// part for '*'; the whole value for 0.
std::string_view SubfieldOf(std::string_view value, char code) {
  if (code == 0) return value;
  if (code == '*') return value.substr(0, value.find('^'));
  for (size_t pos = value.find('^'); pos != std::string_view::npos && pos + 1 < value.size();
       pos = value.find('^', pos + 1)) {
    if (std::toupper(static_cast<unsigned char>(value[pos + 1])) ==
        std::toupper(static_cast<unsigned char>(code))) {
      std::string_view rest = value.substr(pos + 2);
      return rest.substr(0, rest.find('^'));
    }
  }
  return {};
}

// Reads the format text once per pass. Items: 'literal', "literal",
// |conditional literal|, v<tag>[^code], mfn, /, #, mpl/mhl/mdl (ignored),
// ( group ), &uf('...') / &unifor('...') with +0 and A<V>tag#occ.
class Runner {
 public:
  Runner(const StoredRecord& record, std::string_view text) : record_(record), text_(text) {}

  std::optional<std::string> Run() {
    size_t pos = 0;
    if (!Sequence(pos, 0, 0) || pos != text_.size()) return std::nullopt;
    return out_;
  }

 private:
  void NewLine() {
    out_ += "\r\n";
    column_ = 0;
  }
  void Write(std::string_view text) {
    out_ += text;
    column_ += text.size();
  }
  void SkipBlanks(size_t& pos) {
    while (pos < text_.size() && (text_[pos] == ' ' || text_[pos] == ',' || text_[pos] == '\t' ||
                                  text_[pos] == '\r' || text_[pos] == '\n'))
      ++pos;
  }
  bool MatchWord(size_t pos, std::string_view word) const {
    if (text_.size() - pos < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(text_[pos + i])) != word[i]) return false;
    size_t end = pos + word.size();
    return end == text_.size() || !std::isalnum(static_cast<unsigned char>(text_[end]));
  }

  // sequence -> { item } up to ')' or the end. `occurrence` 0 prints every
  // occurrence of a field joined by "; "; n > 0 prints occurrence n only.
  bool Sequence(size_t& pos, int depth, int occurrence) {
    std::string pendingPrefix;
    while (true) {
      SkipBlanks(pos);
      if (pos >= text_.size() || text_[pos] == ')') return true;
      if (!Item(pos, depth, occurrence, pendingPrefix)) return false;
    }
  }

  bool Item(size_t& pos, int depth, int occurrence, std::string& pendingPrefix) {
    char c = text_[pos];
    if (c == '\'' || c == '"') return Literal(pos, c);
    if (c == '|') {
      size_t end = text_.find('|', pos + 1);
      if (end == std::string_view::npos) return false;
      pendingPrefix = std::string(text_.substr(pos + 1, end - pos - 1));
      pos = end + 1;
      return true;
    }
    if (c == '/') {
      if (column_ > 0) NewLine();
      ++pos;
      return true;
    }
    if (c == '#') {
      NewLine();
      ++pos;
      return true;
    }
    if (c == '(') return Group(pos, depth);
    if (c == '&') return Unifor(pos);
    if (MatchWord(pos, "mfn")) {
      Write(std::to_string(record_.mfn));
      pos += 3;
      return true;
    }
    for (std::string_view mode : {"mpl", "mhl", "mdl", "mpu", "mhu", "mdu"}) {
      if (MatchWord(pos, mode)) {
        pos += 3;
        return true;
      }
    }
    if ((c == 'v' || c == 'V') && pos + 1 < text_.size() &&
        std::isdigit(static_cast<unsigned char>(text_[pos + 1])))
      return FieldItem(pos, occurrence, pendingPrefix);
    return false;
  }

  bool Literal(size_t& pos, char quote) {
    size_t end = text_.find(quote, pos + 1);
    if (end == std::string_view::npos) return false;
    Write(text_.substr(pos + 1, end - pos - 1));
    pos = end + 1;
    return true;
  }

  bool FieldItem(size_t& pos, int occurrence, std::string& pendingPrefix) {
    ++pos;
    int32_t tag = 0;
    while (pos < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos]))) {
      if (tag > 99999) return false;
      tag = tag * 10 + (text_[pos++] - '0');
    }
    char code = 0;
    if (pos + 1 < text_.size() && text_[pos] == '^') {
      code = text_[pos + 1];
      pos += 2;
    }
    std::vector<std::string_view> values = record_.Values(tag);
    std::string prefix = std::move(pendingPrefix);
    pendingPrefix.clear();
    bool first = true;
    for (size_t i = 0; i < values.size(); ++i) {
      if (occurrence > 0 && static_cast<int>(i) + 1 != occurrence) continue;
      std::string_view value = SubfieldOf(values[i], code);
      if (value.empty()) continue;
      if (!first) Write("; ");
      Write(prefix);
      Write(value);
      first = false;
      printed_ = true;
    }
    return true;
  }

  // group -> '(' sequence ')': repeated once per occurrence until a pass
  // prints no field of its own. What a nested group prints does not count
  // for the enclosing group's pass: it repeats by its own occurrences, so
  // counting it would repeat the enclosing group without end.
  bool Group(size_t& pos, int depth) {
    if (depth >= kMaxGroupDepth) return false;
    const bool outerPrinted = printed_;
    size_t start = pos + 1;
    size_t end = start;
    for (int repeat = 1; repeat <= kMaxRepeats; ++repeat) {
      if (++passes_ > kMaxPasses) return false;
      size_t at = start;
      printed_ = false;
      size_t mark = out_.size();
      size_t markColumn = column_;
      if (!Sequence(at, depth + 1, repeat)) return false;
      if (at >= text_.size() || text_[at] != ')') return false;
      end = at + 1;
      if (!printed_) {
        out_.resize(mark);
        column_ = markColumn;
        break;
      }
    }
    printed_ = outerPrinted;
    pos = end;
    return true;
  }

  // &uf('+0'): the whole record as wire lines; &uf('AV<tag>#<occ>'): the
  // raw value of that occurrence.
  bool Unifor(size_t& pos) {
    size_t open = text_.find("('", pos);
    if (open == std::string_view::npos) return false;
    std::string name = Utf8LowerCase(text_.substr(pos + 1, open - pos - 1));
    if (name != "uf" && name != "unifor") return false;
    size_t close = text_.find("')", open + 2);
    if (close == std::string_view::npos) return false;
    std::string_view arg = text_.substr(open + 2, close - open - 2);
    pos = close + 2;
    if (arg == "+0") {
      Write(std::to_string(record_.mfn) + "#" + std::to_string(record_.status));
      NewLine();
      Write("0#" + std::to_string(record_.version));
      for (const Field& field : record_.fields) {
        NewLine();
        Write(std::to_string(field.tag) + "#" + field.value);
      }
      return true;
    }
    if (arg.size() > 2 && (arg[0] == 'A' || arg[0] == 'a') && (arg[1] == 'V' || arg[1] == 'v')) {
      std::string_view rest = arg.substr(2);
      size_t hash = rest.find('#');
      std::optional<int32_t> tag = ParseInt(rest.substr(0, hash));
      std::optional<int32_t> occ = hash == std::string_view::npos ? std::optional<int32_t>(1)
                                                                  : ParseInt(rest.substr(hash + 1));
      if (!tag || !occ) return false;
      std::vector<std::string_view> values = record_.Values(*tag);
      if (*occ >= 1 && static_cast<size_t>(*occ) <= values.size()) Write(values[*occ - 1]);
      return true;
    }
    // Keys that only change the engine's state (global variables and the
    // like) print nothing.
    return true;
  }

  const StoredRecord& record_;
  std::string_view text_;
  std::string out_;
  size_t column_ = 0;
  bool printed_ = false;
  int passes_ = 0;
};

}  // namespace

FormatOutput BasicFormatter::Format(const StoredRecord& record, std::string_view /*database*/,
                                    std::string_view formatText) {
  Runner runner(record, formatText);
  std::optional<std::string> text = runner.Run();
  if (!text) return {Code(ReturnCode::FormatFailed), {}};
  while (text->size() >= 2 && text->ends_with("\r\n")) text->resize(text->size() - 2);
  return {0, std::move(*text)};
}

}  // namespace talor::server
