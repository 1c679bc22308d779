// Statements: the statement list, conditions, repeat groups, BREAK, MFN,
// page control and mode switches. Every rule serves both executing and
// skipping; with `executing_` false it reads the same tokens and writes
// nothing.

#include <string>

#include "client/record.h"
#include "format/format_engine.h"
#include "format/interpreter.h"

namespace talor {

FormatInterpreter::FormatInterpreter(FormatEngine& engine, StringList& record,
                                     std::string_view database, std::string_view source,
                                     FormatWorkspace& workspace)
    : source_(source),
      engine_(engine),
      record_(&record),
      database_(database),
      output_(workspace.output),
      evalStack_(workspace.evalStack),
      prefixItems_(workspace.prefixItems),
      scratch_(workspace.scratch),
      argument_(workspace.argument),
      fieldIndex_(workspace.fieldIndex) {
  tokens_ = workspace.tokenCaches.Select(source, engine.tables.upperCase);
  fieldIndex_.Reset(record_);
  if (output_.empty()) output_.resize(1);
  evalStack_.clear();
  prefixItems_.clear();
  scratch_.clear();
  argument_.clear();
}

int32_t FormatInterpreter::Run() {
  Prime();
  NextToken();
  StatementList(ListEnd::kFormat);
  ApplyCaseRule();
  return errorCode_;
}

bool FormatInterpreter::ExpectPunct(char c, FormatError error) {
  if (AcceptPunct(c)) return true;
  if (!Stopped()) SetError(error);
  return false;
}

// statements -> { statement [','] } up to the end, `)` or ELSE/FI
void FormatInterpreter::StatementList(ListEnd end) {
  while (!Stopped()) {
    SkipCommas();
    if (lex_.tokenKind == TokenKind::tkEnd) return;
    if (lex_.tokenKind == TokenKind::tkPunct && lex_.tokenText[0] == ')') {
      // In a branch the IF reports its missing FI.
      if (end == ListEnd::kFormat) SetError(FormatError::kSyntax);
      return;
    }
    if (IsWord("ELSE") || IsWord("FI")) {
      if (end == ListEnd::kBranch) return;
      SetError(!executing_ && IsWord("FI") ? FormatError::kFiWithoutIf : FormatError::kSyntax);
      return;
    }
    Statement();
  }
}

void FormatInterpreter::Statement() {
  switch (lex_.tokenKind) {
    case TokenKind::tkField:
    case TokenKind::tkDummyField:
    case TokenKind::tkGlobalField:
    case TokenKind::tkCondLiteral:
    case TokenKind::tkRepLiteral:
      FieldStatement(false);
      return;
    case TokenKind::tkLiteral:
      if (executing_) WriteLiteral(Literal(lex_.tokenNum1, lex_.tokenNum2));
      NextToken();
      return;
    case TokenKind::tkFunction:
      if (lex_.functionClass != kTextClass) {
        SetError(FormatError::kNotAStatement);
        return;
      }
      CallFunction(true);
      return;
    case TokenKind::tkSpacing:
      if (executing_) Spacing(lex_.tokenText[0], lex_.tokenNum1);
      NextToken();
      return;
    case TokenKind::tkEscape:
      if (executing_) WriteEscaped(Literal(lex_.tokenNum1, lex_.tokenNum2));
      NextToken();
      return;
    case TokenKind::tkReserved:
      if (IsWord("IF")) {
        IfStatement();
      } else if (IsWord("MFN")) {
        MfnStatement();
      } else if (IsWord("BREAK")) {
        BreakStatement();
      } else {
        SetError(FormatError::kSyntax);
      }
      return;
    case TokenKind::tkPageCtl:
      PageControl();
      return;
    case TokenKind::tkMode:
      if (executing_)
        ModeSwitch(static_cast<char>(lex_.tokenNum1), static_cast<char>(lex_.tokenNum2));
      NextToken();
      return;
    case TokenKind::tkPunct:
      if (lex_.tokenText[0] == '(') {
        Group();
        return;
      }
      SetError(FormatError::kSyntax);
      return;
    case TokenKind::tkEnd:
      return;
    default:
      SetError(FormatError::kSyntax);
  }
}

// ifstat -> IF expression THEN statements [ELSE statements] FI
void FormatInterpreter::IfStatement() {
  if (!EnterLevel()) return;
  NextToken();
  const ValueType type = Expression();
  bool condition = false;
  if (executing_ && !Stopped()) {
    if (type != ValueType::kBoolean) {
      SetError(FormatError::kTypeMismatch);
    } else {
      condition = Pop() != 0;
    }
  }
  if (!IsWord("THEN")) {
    if (!Stopped()) SetError(FormatError::kThenMissing);
    LeaveLevel();
    return;
  }
  NextToken();
  const bool outer = executing_;
  ++ifDepth_;
  Branch(outer && condition);
  if (IsWord("ELSE")) {
    NextToken();
    Branch(outer && !condition && !breakPending_);
  }
  --ifDepth_;
  if (!IsWord("FI")) {
    if (!Stopped()) SetError(FormatError::kFiMissing);
    LeaveLevel();
    return;
  }
  NextToken();
  if (breakPending_ && outer) {
    breakPending_ = false;
    if (groupRunning_) {
      // The group ends after this iteration unless a later field of the
      // same iteration has an occurrence.
      groupHadOccurrence_ = false;
    } else {
      finished_ = true;
      lex_.tokenKind = TokenKind::tkEnd;
    }
  }
  LeaveLevel();
}

void FormatInterpreter::Branch(bool run) {
  const bool saved = executing_;
  executing_ = run;
  StatementList(ListEnd::kBranch);
  executing_ = saved;
}

// A BREAK in an executed branch skips to the matching FI (IfStatement
// decides what follows); anywhere else it ends the whole format.
void FormatInterpreter::BreakStatement() {
  if (!executing_) {
    NextToken();
    return;
  }
  if (ifDepth_ > 0) {
    breakPending_ = true;
    executing_ = false;
    NextToken();
    return;
  }
  finished_ = true;
  lex_.tokenKind = TokenKind::tkEnd;
}

// group -> '(' statements ')', re-read from the '(' for iteration 1, 2, ...
void FormatInterpreter::Group() {
  if (groupRunning_) {
    SetError(FormatError::kNestedGroup);
    return;
  }
  if (!EnterLevel()) return;
  const int savedIfDepth = ifDepth_;
  ifDepth_ = 0;
  groupRunning_ = true;
  const LexerState start = lex_;
  if (!executing_) {
    NextToken();
    StatementList(ListEnd::kParen);
    ExpectPunct(')', FormatError::kParenMissing);
  } else {
    for (int32_t iteration = 1;; ++iteration) {
      if (iteration > kMaxGroupIterations) {
        SetError(FormatError::kTooManyIterations);
        break;
      }
      lex_ = start;
      NextToken();
      groupIteration_ = iteration;
      groupHadOccurrence_ = false;
      StatementList(ListEnd::kParen);
      if (Stopped()) break;
      if (lex_.tokenKind != TokenKind::tkPunct || lex_.tokenText[0] != ')') {
        SetError(FormatError::kParenMissing);
        break;
      }
      if (!groupHadOccurrence_) {
        NextToken();
        break;
      }
    }
  }
  groupRunning_ = false;
  groupHadOccurrence_ = false;
  groupIteration_ = 0;
  ifDepth_ = savedIfDepth;
  LeaveLevel();
}

void FormatInterpreter::MfnStatement() {
  if (executing_) {
    int32_t width = lex_.tokenNum1;
    if (width == 0 || width > 10) width = 10;
    if (width > lineWidth_) width = lineWidth_;
    std::string digits = std::to_string(RecordMfn(*record_));
    if (static_cast<int32_t>(digits.size()) < width) {
      digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    } else {
      digits.resize(static_cast<size_t>(width));
    }
    Write(digits);
  }
  NextToken();
}

void FormatInterpreter::PageControl() {
  if (executing_) {
    constexpr char kNewPage = 12;
    constexpr char kNewColumn = 11;
    Put(lex_.tokenText[1] == 'P' ? kNewPage : kNewColumn);
    Put(static_cast<char>(lex_.tokenNum1));
  }
  NextToken();
}

void FormatInterpreter::ModeSwitch(char mode, char letterCase) {
  ApplyCaseRule();
  modeLetter_ = mode;
  caseLetter_ = letterCase;
  caseStart_ = outPos_;
}

}  // namespace talor
