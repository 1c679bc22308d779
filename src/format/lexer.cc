// Reading tokens: one character of look-ahead, one switch, small readers.

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "format/format_engine.h"
#include "format/interpreter.h"

namespace talor {
namespace {

constexpr uint8_t kServerMarker = 28;  // an include the loader left unresolved

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
  curChar = nextChar;
  const int32_t size = static_cast<int32_t>(source.size());
  if (errorCode != 0) {
    curChar = nextChar = 0;
    return;
  }
  if (readPos < size) {
    nextChar = static_cast<uint8_t>(source[static_cast<size_t>(readPos)]);
    ++readPos;
  } else {
    nextChar = 0;
    if (readPos <= size + 1) ++readPos;  // CurPos() ends at the NUL's position
  }
}

void FormatInterpreter::Prime() {
  readPos = 0;
  curChar = nextChar = ' ';
  Advance();
}

bool FormatInterpreter::IsReserved(std::string_view word) const {
  for (std::string_view reserved : kReservedWords) {
    if (reserved == word) return true;
  }
  return false;
}

bool FormatInterpreter::IsWord(std::string_view word) const {
  return tokenKind == TokenKind::tkReserved || tokenKind == TokenKind::tkIdentifier
             ? tokenText.view() == word
             : false;
}

// Reads decimal digits; a run of non-digits before them is skipped first.
// Saturates instead of overflowing.
int32_t FormatInterpreter::ReadDecimal() {
  while (curChar != 0 && !IsDigit(curChar)) Advance();
  int64_t value = 0;
  while (IsDigit(curChar)) {
    value = value * 10 + (curChar - '0');
    if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
    Advance();
  }
  return static_cast<int32_t>(value);
}

void FormatInterpreter::ReadWord() {
  while (true) {
    const uint8_t c = engine_.tables.Upper(curChar);
    if (!(IsDigit(c) || IsAsciiUpper(c) || (c == '&' && tokenText.size() == 0))) break;
    tokenText.Append(static_cast<char>(c));
    Advance();
  }
  const std::string_view word = tokenText.view();
  functionNo = FunctionNo::kNone;
  functionClass = 0;
  if (IsReserved(word)) {
    tokenKind = TokenKind::tkReserved;
    if (word[0] == 'M' && (word[1] == 'D' || word[1] == 'H' || word[1] == 'P')) {
      tokenKind = TokenKind::tkMode;
      tokenNum1 = word[1];
      tokenNum2 = word[2];
      return;
    }
    tokenNum1 = 0;
    if ((word[0] == 'M' || word[0] == 'N') && curChar == '(') {
      Advance();
      tokenNum1 = ReadDecimal();
      while (curChar == ' ') Advance();
      if (curChar != ')') {
        SetError(FormatError::kParenMissing);
        return;
      }
      Advance();
    }
    if (word[0] == 'N') tokenKind = TokenKind::tkPageCtl;
    return;
  }
  if (word[0] == '&') {
    tokenKind = TokenKind::tkFunction;
    functionNo = FunctionNo::kBuiltin;
    functionClass = kTextClass;
    return;
  }
  for (const FunctionName& function : kFunctionNames) {
    if (function.name == word) {
      tokenKind = TokenKind::tkFunction;
      functionNo = function.number;
      functionClass = function.functionClass;
      return;
    }
  }
  tokenKind = TokenKind::tkIdentifier;
}

void FormatInterpreter::ReadNumber() {
  const int32_t start = CurPos();
  while (IsDigit(curChar) || curChar == '.') Advance();
  if (curChar == 'E' || curChar == 'e') {
    Advance();
    if (curChar == '+' || curChar == '-') Advance();
    while (IsDigit(curChar)) Advance();
  }
  const int32_t end = CurPos();
  const char* first = source.data() + start;
  const char* last = source.data() + end;
  for (const char* p = first; p < last; ++p) tokenText.Append(*p);
  double value = 0;
  auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec == std::errc::result_out_of_range) value = std::numeric_limits<double>::max();
  tokenReal = ec == std::errc() || ec == std::errc::result_out_of_range ? value : 0;
  (void)ptr;
  tokenNum1 = start;
  tokenNum2 = end - start;
  tokenKind = TokenKind::tkNumber;
}

void FormatInterpreter::ReadLiteral(TokenKind kind) {
  const uint8_t delimiter = curChar;
  Advance();
  const int32_t start = CurPos();
  while (curChar != delimiter && curChar != 0) Advance();
  tokenNum1 = start;
  tokenNum2 = CurPos() - start;
  if (curChar == delimiter) Advance();
  tokenKind = kind;
}

void FormatInterpreter::ReadEscape() {
  Advance();  // the `!`
  const uint8_t delimiter = curChar;
  if (delimiter == 0) {
    tokenNum1 = CurPos();
    tokenNum2 = 0;
    tokenKind = TokenKind::tkEscape;
    return;
  }
  ReadLiteral(TokenKind::tkEscape);
}

void FormatInterpreter::NextToken() {
  if (errorCode != 0 || finished_) {
    tokenKind = TokenKind::tkEnd;
    return;
  }
  while (curChar == ' ') Advance();
  tokenText.Clear();
  tokenNum1 = tokenNum2 = 0;
  if (curChar == kServerMarker) {
    SetError(FormatError::kNeedsServer);
    return;
  }
  const uint8_t c = engine_.tables.Upper(curChar);
  if ((c == 'C' || c == 'D' || c == 'G' || c == 'N' || c == 'V' || c == 'X') && IsDigit(nextChar)) {
    tokenText.Append(static_cast<char>(c));
    Advance();
    tokenNum1 = ReadDecimal();
    switch (c) {
      case 'C':
      case 'X':
        tokenKind = TokenKind::tkSpacing;
        break;
      case 'D':
      case 'N':
        tokenKind = TokenKind::tkDummyField;
        break;
      case 'G':
        tokenKind = TokenKind::tkGlobalField;
        break;
      default:
        tokenKind = TokenKind::tkField;
    }
    return;
  }
  if (c == '&' || IsAsciiUpper(c)) {
    ReadWord();
    return;
  }
  switch (curChar) {
    case '"':
      ReadLiteral(TokenKind::tkCondLiteral);
      return;
    case '\'':
    case '`':
      ReadLiteral(TokenKind::tkLiteral);
      return;
    case '|':
      ReadLiteral(TokenKind::tkRepLiteral);
      return;
    case '^':
      tokenText.Append('^');
      tokenText.Append(static_cast<char>(nextChar));
      Advance();
      if (curChar != 0) Advance();
      tokenKind = TokenKind::tkSubfield;
      return;
    case '!':
      ReadEscape();
      return;
    case '#':
    case '%':
    case '/':
      tokenText.Append(static_cast<char>(curChar));
      Advance();
      tokenKind = TokenKind::tkSpacing;
      return;
    case '(':
    case ')':
    case '*':
    case '+':
    case ',':
    case '-':
    case '.':
    case ';':
    case '[':
    case ']':
      tokenText.Append(static_cast<char>(curChar));
      Advance();
      tokenKind = TokenKind::tkPunct;
      return;
    case ':':
    case '=':
    case '<':
    case '>':
      tokenText.Append(static_cast<char>(curChar));
      if ((curChar == '<' && (nextChar == '>' || nextChar == '=')) ||
          (curChar == '>' && nextChar == '=')) {
        Advance();
        tokenText.Append(static_cast<char>(curChar));
      }
      Advance();
      tokenKind = TokenKind::tkRelOp;
      return;
    case 0:
      tokenKind = TokenKind::tkEnd;
      return;
    default:
      if (IsDigit(curChar)) {
        ReadNumber();
        return;
      }
      SetError(FormatError::kSyntax);
  }
}

FormatInterpreter::Snapshot FormatInterpreter::Save() const {
  return {readPos,   curChar,   nextChar,  tokenText,  tokenKind,
          tokenNum1, tokenNum2, tokenReal, functionNo, functionClass};
}

void FormatInterpreter::Restore(const Snapshot& s) {
  readPos = s.readPos;
  curChar = s.curChar;
  nextChar = s.nextChar;
  tokenText = s.tokenText;
  tokenKind = s.tokenKind;
  tokenNum1 = s.tokenNum1;
  tokenNum2 = s.tokenNum2;
  tokenReal = s.tokenReal;
  functionNo = s.functionNo;
  functionClass = s.functionClass;
}

void FormatInterpreter::SetError(FormatError error) { SetErrorNumber(ErrorNumber(error)); }

void FormatInterpreter::SetErrorNumber(int32_t number) {
  if (errorCode != 0 || number == 0) return;
  errorCode = number;
  curChar = nextChar = 0;
  tokenKind = TokenKind::tkEnd;
}

bool FormatInterpreter::EnterLevel() {
  if (++depth_ > kMaxNesting) {
    SetError(FormatError::kSyntax);
    return false;
  }
  return true;
}

}  // namespace talor
