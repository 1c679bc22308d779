// Expressions over the evaluation stack. Numbers and booleans are single
// entries; a text is two entries, its start and length inside `output`, so
// values are never copied out of the output buffer.

#include <cmath>

#include "client/record.h"
#include "format/format_engine.h"
#include "format/interpreter.h"
#include "text/encoding.h"

namespace talor {
namespace {

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<uint8_t>(c) >= 0x80) return false;
  }
  return true;
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// Whether `text` contains `part`, both compared in Unicode upper case. ASCII
// texts (most conditions) are compared in place without copies.
bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
  if (!IsAscii(text) || !IsAscii(part)) {
    return Utf8UpperCase(text).find(Utf8UpperCase(part)) != std::string::npos;
  }
  for (size_t start = 0; start + part.size() <= text.size(); ++start) {
    size_t i = 0;
    while (i < part.size() && AsciiUpper(text[start + i]) == AsciiUpper(part[i])) ++i;
    if (i == part.size()) return true;
  }
  return false;
}

}  // namespace

void FormatInterpreter::Push(long double value) {
  if (!executing_) return;
  evalStack_.push_back(value);
}

long double FormatInterpreter::Pop() {
  if (!executing_) return 0;
  if (evalStack_.empty()) {
    SetError(FormatError::kStackEmpty);
    return 0;
  }
  const long double value = evalStack_.back();
  evalStack_.pop_back();
  return value;
}

void FormatInterpreter::PushText(int32_t start, int32_t length) {
  Push(start);
  Push(length);
}

std::string_view FormatInterpreter::PopText() {
  const long double length = Pop();
  const long double start = Pop();
  const long double size = static_cast<long double>(output_.size());
  if (!(start >= 0) || start > size || !(length >= 0)) return {};
  const size_t from = static_cast<size_t>(start);
  const size_t count = static_cast<size_t>(std::min(length, size - start));
  return {output_.data() + from, count};
}

void FormatInterpreter::CheckType(bool ok) {
  if (!ok && executing_) SetError(FormatError::kTypeMismatch);
}

// A whole expression. What it writes to the output (text operands) is
// dropped again afterwards; its values stay on the stack.
ValueType FormatInterpreter::Expression() {
  const int32_t savedPos = outPos_;
  const int32_t savedColumn = column_;
  const int32_t savedWidth = lineWidth_;
  lineWidth_ = kLineWidth;
  const ValueType type = OrExpr();
  outPos_ = savedPos;
  column_ = savedColumn;
  lineWidth_ = savedWidth;
  return type;
}

// or -> [NOT] and { OR and }
ValueType FormatInterpreter::OrExpr() {
  const bool negate = IsWord("NOT");
  if (negate) NextToken();
  ValueType type = AndExpr();
  if (negate) {
    CheckType(type == ValueType::kBoolean);
    Push(Pop() == 0 ? 1 : 0);
    type = ValueType::kBoolean;
  }
  while (IsWord("OR") && !Stopped()) {
    CheckType(type == ValueType::kBoolean);
    NextToken();
    const ValueType right = AndExpr();
    CheckType(right == ValueType::kBoolean);
    const long double b = Pop();
    const long double a = Pop();
    Push(a != 0 || b != 0 ? 1 : 0);
    type = ValueType::kBoolean;
  }
  return type;
}

// and -> relation { AND relation }
ValueType FormatInterpreter::AndExpr() {
  ValueType type = Relation();
  while (IsWord("AND") && !Stopped()) {
    NextToken();
    const ValueType right = Relation();
    CheckType(type == right && type == ValueType::kBoolean);
    const long double b = Pop();
    const long double a = Pop();
    Push(a != 0 && b != 0 ? 1 : 0);
    type = ValueType::kBoolean;
  }
  return type;
}

// relation -> sum [ relop sum ]
ValueType FormatInterpreter::Relation() {
  const ValueType type = Sum();
  if (lex_.tokenKind != TokenKind::tkRelOp || Stopped()) return type;
  const TokenText op = lex_.tokenText;
  CheckType(type != ValueType::kBoolean);
  NextToken();
  const ValueType right = Sum();
  CheckType(right == type);
  // `:` searches texts; on numbers it has no meaning.
  CheckType(!(op.view() == ":" && type == ValueType::kNumber));
  if (executing_ && !Stopped()) {
    Push(Compare(type, op.view()) ? 1 : 0);
  }
  return ValueType::kBoolean;
}

bool FormatInterpreter::Compare(ValueType type, std::string_view op) {
  int order = 0;
  if (type == ValueType::kNumber) {
    const long double b = Pop();
    const long double a = Pop();
    order = a < b ? -1 : (a > b ? 1 : 0);
  } else {
    const std::string_view right = PopText();
    const std::string_view left = PopText();
    if (op == ":") {
      if (right.empty()) return left.empty();
      if (left.size() < right.size()) return false;
      return ContainsIgnoringCase(left, right);
    }
    const int c = left.compare(right);
    order = c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  if (op == "=") return order == 0;
  if (op == "<>") return order != 0;
  if (op == "<") return order < 0;
  if (op == ">") return order > 0;
  if (op == "<=") return order <= 0;
  if (op == ">=") return order >= 0;
  return false;
}

// sum -> ['+'|'-'] term { ('+'|'-') term }
ValueType FormatInterpreter::Sum() {
  char sign = 0;
  if (lex_.tokenKind == TokenKind::tkPunct &&
      (lex_.tokenText[0] == '+' || lex_.tokenText[0] == '-')) {
    sign = lex_.tokenText[0];
    NextToken();
  }
  ValueType type = Term();
  if (sign != 0) {
    CheckType(type == ValueType::kNumber);
    if (sign == '-') Push(-Pop());
  }
  while (lex_.tokenKind == TokenKind::tkPunct &&
         (lex_.tokenText[0] == '+' || lex_.tokenText[0] == '-') && !Stopped()) {
    const char op = lex_.tokenText[0];
    NextToken();
    const ValueType right = Term();
    if (op == '+' && type == ValueType::kText && right == ValueType::kText) {
      if (executing_ && !Stopped()) ConcatenateTexts();
      continue;
    }
    CheckType(type == ValueType::kNumber && right == ValueType::kNumber);
    const long double b = Pop();
    const long double a = Pop();
    Push(op == '+' ? a + b : a - b);
    type = ValueType::kNumber;
  }
  return type;
}

// Joins the two texts on top of the stack: the right one is written again
// right after the left one.
void FormatInterpreter::ConcatenateTexts() {
  const std::string_view right = PopText();
  const int32_t rightStart =
      right.empty() ? 0 : static_cast<int32_t>(right.data() - output_.data());
  const long double leftLength = Pop();
  const long double leftStart = Pop();
  outPos_ = static_cast<int32_t>(leftStart + leftLength);
  WriteOutputRange(rightStart, static_cast<int32_t>(right.size()));
  PushText(static_cast<int32_t>(leftStart), outPos_ - static_cast<int32_t>(leftStart));
}

// term -> factor { ('*'|'/') factor }
ValueType FormatInterpreter::Term() {
  ValueType type = Factor();
  // `/` reads as a spacing token; between factors it divides.
  while (((lex_.tokenKind == TokenKind::tkPunct && lex_.tokenText[0] == '*') ||
          (lex_.tokenKind == TokenKind::tkSpacing && lex_.tokenText[0] == '/')) &&
         !Stopped()) {
    const char op = lex_.tokenText[0];
    NextToken();
    const ValueType right = Factor();
    CheckType(type == ValueType::kNumber && right == ValueType::kNumber);
    const long double b = Pop();
    const long double a = Pop();
    if (op == '/' && b == 0 && executing_ && !Stopped()) {
      SetError(FormatError::kDivisionByZero);
      Push(0);
    } else {
      Push(op == '*' ? a * b : (b == 0 ? 0 : a / b));
    }
    type = ValueType::kNumber;
  }
  return type;
}

// factor -> number | 'literal' | V/G selector | MFN | function | '(' or ')'
ValueType FormatInterpreter::Factor() {
  if (!EnterLevel()) return ValueType::kNumber;
  ValueType type = ValueType::kNumber;
  switch (lex_.tokenKind) {
    case TokenKind::tkNumber:
      Push(lex_.tokenReal);
      NextToken();
      break;
    case TokenKind::tkLiteral: {
      const int32_t start = outPos_;
      if (executing_) Write(Literal(lex_.tokenNum1, lex_.tokenNum2));
      PushText(start, outPos_ - start);
      NextToken();
      type = ValueType::kText;
      break;
    }
    case TokenKind::tkField:
    case TokenKind::tkGlobalField: {
      const int32_t start = outPos_;
      FieldStatement(true);
      PushText(start, outPos_ - start);
      type = ValueType::kText;
      break;
    }
    case TokenKind::tkFunction:
      type = CallFunction(false);
      break;
    case TokenKind::tkPunct:
      if (lex_.tokenText[0] == '(') {
        NextToken();
        type = OrExpr();
        ExpectPunct(')', FormatError::kParenMissing);
        break;
      }
      SetError(FormatError::kBadFactor);
      break;
    default:
      if (IsWord("MFN")) {
        Push(RecordMfn(*record_));
        NextToken();
        break;
      }
      if (!Stopped()) SetError(FormatError::kBadFactor);
  }
  LeaveLevel();
  return type;
}

}  // namespace talor
