// Reading tokens: one character of look-ahead, one switch, small readers.

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

#include "format/format_engine.h"
#include "format/interpreter.h"

namespace talor {
namespace {

constexpr uint8_t kServerMarker = 28;  // an include the loader left unresolved

// What a character that starts neither a field command nor a word begins.
enum class SymbolRole : uint8_t {
  kOther,
  kCondQuote,
  kQuote,
  kRepQuote,
  kSubfield,
  kEscape,
  kSpacing,
  kPunct,
  kRelOp,
  kEnd
};

constexpr std::array<SymbolRole, 256> kSymbolRoles = [] {
  std::array<SymbolRole, 256> roles{};
  auto set = [&roles](std::string_view chars, SymbolRole role) {
    for (char c : chars) roles[static_cast<uint8_t>(c)] = role;
  };
  set("\"", SymbolRole::kCondQuote);
  set("'`", SymbolRole::kQuote);
  set("|", SymbolRole::kRepQuote);
  set("^", SymbolRole::kSubfield);
  set("!", SymbolRole::kEscape);
  set("#%/", SymbolRole::kSpacing);
  set("()*+,-.;[]", SymbolRole::kPunct);
  set(":=<>", SymbolRole::kRelOp);
  roles[0] = SymbolRole::kEnd;
  return roles;
}();

// The token a letter followed by digits is: a field, a dummy field, a
// global variable or spacing. nullopt for any other letter.
std::optional<TokenKind> FieldLetterKind(uint8_t upper) {
  switch (upper) {
    case 'C':
    case 'X':
      return TokenKind::tkSpacing;
    case 'D':
    case 'N':
      return TokenKind::tkDummyField;
    case 'G':
      return TokenKind::tkGlobalField;
    case 'V':
      return TokenKind::tkField;
    default:
      return std::nullopt;
  }
}

struct FunctionName {
  std::string_view name;
  FunctionNo number;
  int functionClass;
};

constexpr std::array<FunctionName, 11> kFunctionNames{{
    {"RSUM", FunctionNo::kRsum, kNumericClass},
    {"RMIN", FunctionNo::kRmin, kNumericClass},
    {"RMAX", FunctionNo::kRmax, kNumericClass},
    {"RAVR", FunctionNo::kRavr, kNumericClass},
    {"VAL", FunctionNo::kVal, kNumericClass},
    {"F", FunctionNo::kF, kTextClass},
    {"A", FunctionNo::kA, kBooleanClass},
    {"P", FunctionNo::kP, kBooleanClass},
    {"L", FunctionNo::kL, kNumericClass},
    {"REF", FunctionNo::kRef, kTextClass},
    {"S", FunctionNo::kS, kTextClass},
}};

constexpr std::array<std::string_view, 14> kReservedWords{
    "IF",  "THEN", "ELSE", "FI",  "MFN", "MDL", "MDU",
    "MPL", "MPU",  "MHL",  "MHU", "NP",  "NC",  "BREAK",
};

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
bool IsAsciiUpper(uint8_t c) { return c >= 'A' && c <= 'Z'; }

}  // namespace

void FormatInterpreter::Advance() {
  lex_.curChar = lex_.nextChar;
  const int32_t size = static_cast<int32_t>(source_.size());
  if (errorCode_ != 0) {
    lex_.curChar = lex_.nextChar = 0;
    return;
  }
  if (lex_.readPos < size) {
    lex_.nextChar = static_cast<uint8_t>(source_[static_cast<size_t>(lex_.readPos)]);
    ++lex_.readPos;
  } else {
    lex_.nextChar = 0;
    if (lex_.readPos <= size + 1) ++lex_.readPos;  // CurPos() ends at the NUL's position
  }
}

void FormatInterpreter::Prime() {
  lex_.readPos = 0;
  lex_.curChar = lex_.nextChar = ' ';
  Advance();
}

bool FormatInterpreter::IsReserved(std::string_view word) const {
  for (std::string_view reserved : kReservedWords) {
    if (reserved == word) return true;
  }
  return false;
}

// Reads decimal digits; a run of non-digits before them is skipped first.
// Saturates instead of overflowing.
int32_t FormatInterpreter::ReadDecimal() {
  while (lex_.curChar != 0 && !IsDigit(lex_.curChar)) Advance();
  int64_t value = 0;
  while (IsDigit(lex_.curChar)) {
    value = value * 10 + (lex_.curChar - '0');
    if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
    Advance();
  }
  return static_cast<int32_t>(value);
}

void FormatInterpreter::ReadWord() {
  while (true) {
    const uint8_t c = engine_.tables.Upper(lex_.curChar);
    if (!(IsDigit(c) || IsAsciiUpper(c) || (c == '&' && lex_.tokenText.size() == 0))) break;
    lex_.tokenText.Append(static_cast<char>(c));
    Advance();
  }
  const std::string_view word = lex_.tokenText.view();
  lex_.functionNo = FunctionNo::kNone;
  lex_.functionClass = 0;
  if (IsReserved(word)) {
    lex_.tokenKind = TokenKind::tkReserved;
    if (word[0] == 'M' && (word[1] == 'D' || word[1] == 'H' || word[1] == 'P')) {
      lex_.tokenKind = TokenKind::tkMode;
      lex_.tokenNum1 = word[1];
      lex_.tokenNum2 = word[2];
      return;
    }
    lex_.tokenNum1 = 0;
    if ((word[0] == 'M' || word[0] == 'N') && lex_.curChar == '(') {
      Advance();
      lex_.tokenNum1 = ReadDecimal();
      while (lex_.curChar == ' ') Advance();
      if (lex_.curChar != ')') {
        SetError(FormatError::kParenMissing);
        return;
      }
      Advance();
    }
    if (word[0] == 'N') lex_.tokenKind = TokenKind::tkPageCtl;
    return;
  }
  if (word[0] == '&') {
    lex_.tokenKind = TokenKind::tkFunction;
    lex_.functionNo = FunctionNo::kBuiltin;
    lex_.functionClass = kTextClass;
    return;
  }
  for (const FunctionName& function : kFunctionNames) {
    if (function.name == word) {
      lex_.tokenKind = TokenKind::tkFunction;
      lex_.functionNo = function.number;
      lex_.functionClass = function.functionClass;
      return;
    }
  }
  lex_.tokenKind = TokenKind::tkIdentifier;
}

void FormatInterpreter::ReadNumber() {
  const int32_t start = CurPos();
  while (IsDigit(lex_.curChar) || lex_.curChar == '.') Advance();
  if (lex_.curChar == 'E' || lex_.curChar == 'e') {
    Advance();
    if (lex_.curChar == '+' || lex_.curChar == '-') Advance();
    while (IsDigit(lex_.curChar)) Advance();
  }
  const int32_t end = CurPos();
  const char* first = source_.data() + start;
  const char* last = source_.data() + end;
  for (const char* p = first; p < last; ++p) lex_.tokenText.Append(*p);
  double value = 0;
  auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec == std::errc::result_out_of_range) value = std::numeric_limits<double>::max();
  lex_.tokenReal = ec == std::errc() || ec == std::errc::result_out_of_range ? value : 0;
  (void)ptr;
  lex_.tokenNum1 = start;
  lex_.tokenNum2 = end - start;
  lex_.tokenKind = TokenKind::tkNumber;
}

void FormatInterpreter::ReadLiteral(TokenKind kind) {
  const uint8_t delimiter = lex_.curChar;
  Advance();
  const int32_t start = CurPos();
  while (lex_.curChar != delimiter && lex_.curChar != 0) Advance();
  lex_.tokenNum1 = start;
  lex_.tokenNum2 = CurPos() - start;
  if (lex_.curChar == delimiter) Advance();
  lex_.tokenKind = kind;
}

void FormatInterpreter::ReadEscape() {
  Advance();  // the `!`
  const uint8_t delimiter = lex_.curChar;
  if (delimiter == 0) {
    lex_.tokenNum1 = CurPos();
    lex_.tokenNum2 = 0;
    lex_.tokenKind = TokenKind::tkEscape;
    return;
  }
  ReadLiteral(TokenKind::tkEscape);
}

void FormatInterpreter::NextTokenSlow() {
  if (errorCode_ != 0 || finished_) {
    lex_.tokenKind = TokenKind::tkEnd;
    return;
  }
  if (tokens_ == nullptr) return ReadToken();
  const int32_t from = lex_.readPos;
  ReadToken();
  if (errorCode_ == 0) tokens_->Store(from, lex_);
}

void FormatInterpreter::ReadToken() {
  while (lex_.curChar == ' ') Advance();
  lex_.tokenText.Clear();
  lex_.tokenNum1 = lex_.tokenNum2 = 0;
  if (lex_.curChar == kServerMarker) {
    SetError(FormatError::kNeedsServer);
    return;
  }
  const uint8_t c = engine_.tables.Upper(lex_.curChar);
  if (std::optional<TokenKind> kind = FieldLetterKind(c); kind && IsDigit(lex_.nextChar)) {
    lex_.tokenText.Append(static_cast<char>(c));
    Advance();
    lex_.tokenNum1 = ReadDecimal();
    lex_.tokenKind = *kind;
  } else if (c == '&' || IsAsciiUpper(c)) {
    ReadWord();
  } else {
    ReadSymbol();
  }
}

void FormatInterpreter::ReadSymbol() {
  switch (kSymbolRoles[lex_.curChar]) {
    case SymbolRole::kCondQuote:
      return ReadLiteral(TokenKind::tkCondLiteral);
    case SymbolRole::kQuote:
      return ReadLiteral(TokenKind::tkLiteral);
    case SymbolRole::kRepQuote:
      return ReadLiteral(TokenKind::tkRepLiteral);
    case SymbolRole::kSubfield:
      lex_.tokenText.Append('^');
      lex_.tokenText.Append(static_cast<char>(lex_.nextChar));
      Advance();
      if (lex_.curChar != 0) Advance();
      lex_.tokenKind = TokenKind::tkSubfield;
      return;
    case SymbolRole::kEscape:
      return ReadEscape();
    case SymbolRole::kSpacing:
      return ReadOneCharToken(TokenKind::tkSpacing);
    case SymbolRole::kPunct:
      return ReadOneCharToken(TokenKind::tkPunct);
    case SymbolRole::kRelOp:
      return ReadRelOp();
    case SymbolRole::kEnd:
      lex_.tokenKind = TokenKind::tkEnd;
      return;
    case SymbolRole::kOther:
      if (IsDigit(lex_.curChar)) return ReadNumber();
      SetError(FormatError::kSyntax);
  }
}

void FormatInterpreter::ReadOneCharToken(TokenKind kind) {
  lex_.tokenText.Append(static_cast<char>(lex_.curChar));
  Advance();
  lex_.tokenKind = kind;
}

// :, =, <, >, <>, <= and >=.
void FormatInterpreter::ReadRelOp() {
  lex_.tokenText.Append(static_cast<char>(lex_.curChar));
  if ((lex_.curChar == '<' && (lex_.nextChar == '>' || lex_.nextChar == '=')) ||
      (lex_.curChar == '>' && lex_.nextChar == '=')) {
    Advance();
    lex_.tokenText.Append(static_cast<char>(lex_.curChar));
  }
  Advance();
  lex_.tokenKind = TokenKind::tkRelOp;
}

void FormatInterpreter::SetError(FormatError error) { SetErrorNumber(ErrorNumber(error)); }

void FormatInterpreter::SetErrorNumber(int32_t number) {
  if (errorCode_ != 0 || number == 0) return;
  errorCode_ = number;
  lex_.curChar = lex_.nextChar = 0;
  lex_.tokenKind = TokenKind::tkEnd;
}

bool FormatInterpreter::EnterLevel() {
  if (++depth_ > kMaxNesting) {
    SetError(FormatError::kSyntax);
    return false;
  }
  return true;
}

}  // namespace talor
