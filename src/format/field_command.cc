// Field commands: reading the prefix items, the selector and its tail, and
// executing the command over the occurrences of a field or global variable.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>

#include "format/format_engine.h"
#include "format/interpreter.h"

namespace talor {
namespace {

int32_t ClampCount(double value) {
  if (!(value > 0)) return 0;
  if (value >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

// The leading digits of `text` as a count, saturated.
int32_t DigitsValue(std::string_view text) {
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min<int64_t>(value * 10 + (c - '0'), std::numeric_limits<int32_t>::max());
  }
  return static_cast<int32_t>(value);
}

// Byte position after `count` UTF-8 characters of `text` from `position`.
size_t SkipCharacters(std::string_view text, size_t position, int32_t count) {
  for (int32_t i = 0; i < count && position < text.size(); ++i) {
    ++position;
    while (position < text.size() && (static_cast<uint8_t>(text[position]) & 0xC0) == 0x80) {
      ++position;
    }
  }
  return position;
}

// The bytes that modes H and D may turn into punctuation or drop; the runs
// of other bytes between them are printed at once.
constexpr std::array<bool, 256> kMarkupBytes = [] {
  std::array<bool, 256> markup{};
  for (char c : std::string_view("<=>^")) markup[static_cast<uint8_t>(c)] = true;
  return markup;
}();

// Whether one of the eight bytes of `word` may be markup: '<', '=' and '>'
// (with '?') share their top six bits, '^' is looked for alone. A zero byte
// of x sets the top bit of that byte in (x - ones) & ~x & highs.
bool MayHoldMarkup(uint64_t word) {
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kHighs = kOnes * 0x80;
  const uint64_t brackets = (word & (kOnes * 0xFC)) ^ (kOnes * '<');
  const uint64_t carets = word ^ (kOnes * '^');
  return (((brackets - kOnes) & ~brackets) | ((carets - kOnes) & ~carets)) & kHighs;
}

// The end of the run of bytes from `from` that carry no markup. Values are
// mostly plain text, so the run is looked for eight bytes at a time.
size_t PlainRunEnd(std::string_view value, size_t from) {
  const char* const data = value.data();
  const size_t size = value.size();
  while (from + sizeof(uint64_t) <= size) {
    uint64_t word;
    std::memcpy(&word, data + from, sizeof word);
    if (!MayHoldMarkup(word)) {
      from += sizeof word;
      continue;
    }
    for (const size_t end = from + sizeof word; from < end; ++from) {
      if (kMarkupBytes[static_cast<uint8_t>(data[from])]) return from;
    }
  }
  while (from < size && !kMarkupBytes[static_cast<uint8_t>(data[from])]) ++from;
  return from;
}

}  // namespace

void FormatInterpreter::FieldStatement(bool inExpression) {
  const size_t base = prefixItems_.size();
  FieldCommand command;
  if ((ReplayFieldCommand(command, inExpression) || ReadFieldCommand(command, inExpression)) &&
      executing_) {
    ExecuteField(command);
  }
  prefixItems_.resize(base);
}

// Replays the command kept for the reader's state, if any: its prefix items
// go onto the stack as reading would have pushed them.
bool FormatInterpreter::ReplayFieldCommand(FieldCommand& command, bool inExpression) {
  if (tokens_ == nullptr || Stopped()) return false;
  const FieldReading* kept = tokens_->FindField(lex_, inExpression, lineWidth_);
  if (kept == nullptr) return false;
  const std::span<const PrefixItem> items = tokens_->PrefixItems(*kept);
  command = kept->command;
  command.prefixBegin = prefixItems_.size();
  prefixItems_.insert(prefixItems_.end(), items.begin(), items.end());
  command.prefixEnd = prefixItems_.size();
  lex_ = kept->after;
  return true;
}

// field -> { prefix-item [','] } ['|...|' ['+'] {','}] selector ['^' code] tail
// False when there is no command to execute: no selector, or reading failed.
bool FormatInterpreter::ReadFieldCommand(FieldCommand& command, bool inExpression) {
  const LexerState start = lex_;
  command.prefixBegin = prefixItems_.size();
  for (bool more = true; more && !Stopped();) {
    switch (lex_.tokenKind) {
      case TokenKind::tkCondLiteral:
        prefixItems_.push_back({'"', lex_.tokenNum1, lex_.tokenNum2});
        break;
      case TokenKind::tkEscape:
        prefixItems_.push_back({'!', lex_.tokenNum1, lex_.tokenNum2});
        break;
      case TokenKind::tkSpacing:
        prefixItems_.push_back({lex_.tokenText[0], lex_.tokenNum1, 0});
        break;
      case TokenKind::tkMode:
        prefixItems_.push_back({'M', lex_.tokenNum1, lex_.tokenNum2});
        break;
      default:
        more = false;
        continue;
    }
    NextToken();
    SkipCommas();
  }
  if (lex_.tokenKind == TokenKind::tkRepLiteral) {
    command.hasRepPrefix = true;
    command.repPrefix = {lex_.tokenNum1, lex_.tokenNum2};
    NextToken();
    command.repPrefixPlus = AcceptPunct('+');
    SkipCommas();
  }
  const bool selector = lex_.tokenKind == TokenKind::tkField ||
                        lex_.tokenKind == TokenKind::tkDummyField ||
                        lex_.tokenKind == TokenKind::tkGlobalField;
  if (!selector || Stopped()) return false;
  command.selector = lex_.tokenKind == TokenKind::tkField         ? 'V'
                     : lex_.tokenKind == TokenKind::tkGlobalField ? 'G'
                                                                  : lex_.tokenText[0];
  command.tag = lex_.tokenNum1;
  NextToken();
  if (lex_.tokenKind == TokenKind::tkSubfield) {
    command.subfield = lex_.tokenText[1];
    NextToken();
  }
  if (command.selector == 'V' || command.selector == 'G') ReadFieldTail(command, inExpression);
  command.prefixEnd = prefixItems_.size();
  if (Stopped()) return false;
  if (tokens_ != nullptr) {
    tokens_->StoreField({start, inExpression, lineWidth_, command, lex_},
                        std::span(prefixItems_).subspan(command.prefixBegin));
  }
  return true;
}

// tail -> ['*' n] ['.' n] ['(' first [',' other] ')'] ['+'] ['|...|'] ['"..."']
bool FormatInterpreter::ReadFieldTail(FieldCommand& command, bool inExpression) {
  if (AcceptPunct('*') && lex_.tokenKind == TokenKind::tkNumber) {
    // "*5.3" reads as one number token: offset 5, length 3.
    const std::string_view number = Literal(lex_.tokenNum1, lex_.tokenNum2);
    const size_t point = number.find('.');
    command.offset = DigitsValue(number.substr(0, point));
    if (point != std::string_view::npos) command.length = DigitsValue(number.substr(point + 1));
    NextToken();
  }
  if (AcceptPunct('.') && lex_.tokenKind == TokenKind::tkNumber) {
    command.length = ClampCount(lex_.tokenReal);
    NextToken();
  }
  if (!ReadIndentation(command.indentFirst, command.indentOther)) return false;
  if (lex_.tokenKind == TokenKind::tkPunct && lex_.tokenText[0] == '+') {
    const LexerState plus = lex_;
    NextToken();
    if (lex_.tokenKind == TokenKind::tkRepLiteral) {
      command.repSuffixKind = '+';
      command.repSuffix = {lex_.tokenNum1, lex_.tokenNum2};
      NextToken();
    } else if (inExpression) {
      lex_ = plus;  // the `+` is the expression's
    } else {
      SetError(FormatError::kPlusWithoutLiteral);
      return false;
    }
  } else if (lex_.tokenKind == TokenKind::tkRepLiteral) {
    command.repSuffixKind = '|';
    command.repSuffix = {lex_.tokenNum1, lex_.tokenNum2};
    NextToken();
  }
  if (lex_.tokenKind == TokenKind::tkCondLiteral) {
    command.hasCondSuffix = true;
    command.condSuffix = {lex_.tokenNum1, lex_.tokenNum2};
    NextToken();
  }
  return !Stopped();
}

// indentation -> '(' number [',' number] ')'. A '(' not followed by a number
// is left alone: it opens the next statement.
bool FormatInterpreter::ReadIndentation(int32_t& first, int32_t& other) {
  if (lex_.tokenKind != TokenKind::tkPunct || lex_.tokenText[0] != '(') return true;
  const LexerState open = lex_;
  NextToken();
  if (lex_.tokenKind != TokenKind::tkNumber) {
    lex_ = open;
    return true;
  }
  auto width = [this](double value) {
    const int32_t count = ClampCount(value);
    return count >= lineWidth_ ? 0 : count;
  };
  first = width(lex_.tokenReal);
  NextToken();
  if (AcceptPunct(',') && lex_.tokenKind == TokenKind::tkNumber) {
    other = width(lex_.tokenReal);
    NextToken();
  }
  return ExpectPunct(')', FormatError::kParenMissing);
}

Occurrences FormatInterpreter::OccurrencesOf(bool global, int32_t tag) {
  if (!global) return Occurrences(*record_, fieldIndex_.Lines(tag));
  std::string_view variable;
  if (tag >= 0 && tag < engine_.globalVariables.Count()) {
    variable = engine_.globalVariables[static_cast<size_t>(tag)].text;
  }
  return Occurrences(variable);
}

void FormatInterpreter::SetRecord(StringList* record) {
  record_ = record;
  fieldIndex_.Reset(record_);
}

void FormatInterpreter::ExecuteField(const FieldCommand& command) {
  const int32_t k = groupRunning_ ? groupIteration_ : 0;
  Occurrences occurrences = OccurrencesOf(command.selector == 'G', command.tag);
  std::string_view current;
  std::string_view following;
  if (!occurrences.Next(current)) {
    if (command.selector == 'N' && k <= 1) RunPrefixItems(command);
    return;
  }
  if (k > 0) {
    // The k-th occurrence; the first one has been read above.
    if (k > 1 && (!occurrences.Skip(k - 2) || !occurrences.Next(current))) return;
    groupHadOccurrence_ = true;
    const bool last = !occurrences.Next(following);
    RunOccurrence(command, SelectValue(command, current), k, k == 1, last);
    return;
  }
  int32_t printed = 0;
  for (bool have = true; have && !Stopped();) {
    const bool hasNext = occurrences.Next(following);
    const std::string_view value = SelectValue(command, current);
    RunOccurrence(command, value, printed + 1, printed == 0, !hasNext);
    if (!value.empty()) ++printed;
    if (command.selector == 'D' || command.selector == 'N') break;
    current = following;
    have = hasNext;
  }
}

void FormatInterpreter::RunOccurrence(const FieldCommand& command, std::string_view value,
                                      int32_t /*ordinal*/, bool first, bool last) {
  const bool present = !value.empty();
  if (command.selector == 'N') {
    if (!present && first) RunPrefixItems(command);
    return;
  }
  if (!present) return;
  if (first) RunPrefixItems(command);
  Indent(command.indentFirst);
  if (command.hasRepPrefix && (!command.repPrefixPlus || !first)) {
    WriteLiteral(Literal(command.repPrefix));
  }
  if (command.selector == 'D') return;
  PrintValue(value);
  int suffixes = 0;
  int printedSuffixes = 0;
  if (command.repSuffixKind != 0) {
    ++suffixes;
    if (command.repSuffixKind == '|' || !last) {
      WriteLiteral(Literal(command.repSuffix));
      ++printedSuffixes;
    }
  }
  if (command.hasCondSuffix) {
    ++suffixes;
    if (last) {
      WriteLiteral(Literal(command.condSuffix));
      ++printedSuffixes;
    }
  }
  if (modeLetter_ == 'D' && (suffixes == 0 || (suffixes == 1 && printedSuffixes == 0))) {
    DataModeEnd();
  }
}

std::string_view FormatInterpreter::SelectValue(const FieldCommand& command,
                                                std::string_view text) const {
  std::string_view value = text;
  if (command.subfield == '*') {
    if (value.size() >= 2 && value[0] == '^') value.remove_prefix(2);
    value = value.substr(0, value.find('^'));
  } else if (command.subfield != 0) {
    const uint8_t code = engine_.tables.Upper(static_cast<uint8_t>(command.subfield));
    value = {};
    for (size_t i = text.find('^'); i != std::string_view::npos; i = text.find('^', i + 1)) {
      if (i + 1 < text.size() && engine_.tables.Upper(static_cast<uint8_t>(text[i + 1])) == code) {
        value = text.substr(i + 2);
        value = value.substr(0, value.find('^'));
        break;
      }
    }
  }
  if (command.offset > 0) value.remove_prefix(SkipCharacters(value, 0, command.offset));
  if (command.length > 0) value = value.substr(0, SkipCharacters(value, 0, command.length));
  return value;
}

void FormatInterpreter::RunPrefixItems(const FieldCommand& command) {
  for (size_t i = command.prefixBegin; i < command.prefixEnd && !Stopped(); ++i) {
    const PrefixItem item = prefixItems_[i];
    switch (item.kind) {
      case '"':
        WriteLiteral(Literal(item.a, item.b));
        break;
      case '!':
        WriteEscaped(Literal(item.a, item.b));
        break;
      case 'M':
        ModeSwitch(static_cast<char>(item.a), static_cast<char>(item.b));
        break;
      default:
        Spacing(item.kind, item.a);
    }
  }
}

// Prints a value; in modes H and D the bracket and subfield markup of the
// value becomes punctuation.
void FormatInterpreter::PrintValue(std::string_view value) {
  if (modeLetter_ == 'P') {
    Write(value);
    return;
  }
  bool inBracket = false;
  bool printedAny = false;
  size_t i = 0;
  const size_t n = value.size();
  while (i < n && errorCode_ == 0) {
    const char c = value[i];
    if (c == '<') {
      inBracket = true;
      ++i;
    } else if (c == '=' && inBracket) {
      const size_t close = value.find('>', i);
      i = close == std::string_view::npos ? n : close + 1;
      inBracket = false;
    } else if (c == '>') {
      if (i + 1 < n && value[i + 1] == '<') {
        Write(Punctuation('<'));
        i += 2;
      } else {
        ++i;
      }
      inBracket = false;
    } else if (c == '^' && i + 1 >= n) {
      ++i;  // a lone `^` at the end has no code to stand for
    } else if (c == '^' && engine_.tables.Upper(static_cast<uint8_t>(value[i + 1])) < 128) {
      const uint8_t code = engine_.tables.Upper(static_cast<uint8_t>(value[i + 1]));
      i += 2;
      if (printedAny) Write(Punctuation(code));
    } else {
      const size_t end = PlainRunEnd(value, i + 1);
      PutRun(value.substr(i, end - i));
      printedAny = true;
      i = end;
    }
  }
}

// Writes `run` as Put would byte by byte (up to an error of the output
// limit), copying it at once when it fits.
void FormatInterpreter::PutRun(std::string_view run) {
  if (errorCode_ == 0 && static_cast<size_t>(outPos_) + run.size() <= output_.size()) {
    std::memcpy(output_.data() + outPos_, run.data(), run.size());
    outPos_ += static_cast<int32_t>(run.size());
    column_ += static_cast<int32_t>(run.size());
    return;
  }
  for (char c : run) Put(c);
}

void FormatInterpreter::DataModeEnd() {
  const char lastByte = outPos_ > 0 ? output_[static_cast<size_t>(outPos_ - 1)] : '\0';
  if (std::string_view(" !,.:;?").find(lastByte) == std::string_view::npos || lastByte == '\0') {
    Put('.');
  }
  if (column_ >= 2) {
    for (int i = 0; i < 2 && column_ <= lineWidth_; ++i) Put(' ');
  }
}

std::string_view FormatInterpreter::Punctuation(uint8_t code) const {
  if (code == 'A' || code == '<') return "; ";
  if (code >= 'B' && code <= 'I') return ", ";
  return ". ";
}

}  // namespace talor
