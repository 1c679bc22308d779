// Function calls: the numeric functions of a format argument, F, A and P,
// L and REF (which need the catalogue server), S and the `&name` built-ins.

#include <cmath>
#include <limits>

#include "format/format_engine.h"
#include "format/interpreter.h"
#include "format/numeric_text.h"

namespace talor {
ValueType FormatInterpreter::CallFunction(bool asStatement) {
  const FunctionNo which = lex_.functionNo;
  const TokenText name = lex_.tokenText;
  if (!EnterLevel()) return ValueType::kNumber;
  const int savedIfDepth = ifDepth_;
  ifDepth_ = 0;  // a BREAK in an argument ends the whole format
  NextToken();
  ValueType type = ValueType::kText;
  switch (which) {
    case FunctionNo::kRsum:
    case FunctionNo::kRmin:
    case FunctionNo::kRmax:
    case FunctionNo::kRavr:
    case FunctionNo::kVal:
      NumericFunction(which);
      type = ValueType::kNumber;
      break;
    case FunctionNo::kL:
      LFunction();
      type = ValueType::kNumber;
      break;
    case FunctionNo::kF:
      FFunction(asStatement);
      break;
    case FunctionNo::kA:
    case FunctionNo::kP:
      PresenceFunction(which == FunctionNo::kP);
      type = ValueType::kBoolean;
      break;
    case FunctionNo::kRef:
      RefFunction(asStatement);
      break;
    case FunctionNo::kS:
      TextFunction(asStatement, {});
      break;
    default:
      TextFunction(asStatement, name.view().substr(1));
  }
  ifDepth_ = savedIfDepth;
  LeaveLevel();
  return type;
}

bool FormatInterpreter::ExpectOpen() {
  if (AcceptPunct('(')) return true;
  if (!Stopped()) SetError(FormatError::kSyntax);
  return false;
}

// Runs a format argument up to its `)`; the produced text starts at the
// returned position and ends at outPos.
int32_t FormatInterpreter::ArgumentFormat() {
  const int32_t start = outPos_;
  const int32_t savedWidth = lineWidth_;
  lineWidth_ = kLineWidth;
  StatementList(ListEnd::kParen);
  lineWidth_ = savedWidth;
  ExpectPunct(')', FormatError::kParenMissing);
  return start;
}

// RSUM | RMIN | RMAX | RAVR | VAL '(' format ')'
void FormatInterpreter::NumericFunction(FunctionNo which) {
  if (!ExpectOpen()) return;
  const int32_t savedColumn = column_;
  const int32_t start = ArgumentFormat();
  if (executing_ && !Stopped()) {
    const std::string_view text(output_.data() + start, static_cast<size_t>(outPos_ - start));
    const NumberScan scan = ScanNumbers(text, which == FunctionNo::kVal);
    long double value = 0;  // noValue
    if (scan.count > 0) {
      switch (which) {
        case FunctionNo::kRsum:
          value = scan.sum;
          break;
        case FunctionNo::kRmin:
          value = scan.min;
          break;
        case FunctionNo::kRmax:
          value = scan.max;
          break;
        case FunctionNo::kRavr:
          value = scan.sum / scan.count;
          break;
        default:
          value = scan.first;
      }
    }
    Push(value);
  }
  outPos_ = start;
  column_ = savedColumn;
}

// F '(' expression [',' expression [',' expression]] ')'
void FormatInterpreter::FFunction(bool asStatement) {
  if (!ExpectOpen()) return;
  long double values[3] = {0, 0, 0};
  int count = 0;
  while (!Stopped()) {
    if (count == 3) {
      SetError(FormatError::kParenMissing);
      return;
    }
    const ValueType type = Expression();
    if (executing_ && type != ValueType::kNumber && !Stopped()) {
      SetError(FormatError::kBadFArgument);
      return;
    }
    values[count++] = Pop();
    if (!AcceptPunct(',')) break;
  }
  if (!ExpectPunct(')', FormatError::kParenMissing) || !executing_) return;
  const std::string text = FormatFNumber(values[0], count, values[1], values[2]);
  if (asStatement) {
    WriteLiteral(text);
  } else {
    const int32_t start = outPos_;
    Write(text);
    PushText(start, outPos_ - start);
  }
}

// A | P '(' (V tag | G number) ['^' code] ')'
void FormatInterpreter::PresenceFunction(bool present) {
  if (!ExpectOpen()) return;
  if (lex_.tokenKind != TokenKind::tkField && lex_.tokenKind != TokenKind::tkGlobalField) {
    if (!Stopped()) SetError(FormatError::kBadSelector);
    return;
  }
  const bool global = lex_.tokenKind == TokenKind::tkGlobalField;
  const int32_t tag = lex_.tokenNum1;
  NextToken();
  uint8_t code = 0;
  if (lex_.tokenKind == TokenKind::tkSubfield) {
    code = engine_.tables.Upper(static_cast<uint8_t>(lex_.tokenText[1]));
    NextToken();
  }
  if (!ExpectPunct(')', FormatError::kParenMissing) || !executing_) return;
  const int32_t k = groupRunning_ ? groupIteration_ : 0;
  Occurrences occurrences = OccurrencesOf(global, tag);
  int32_t ordinal = 0;
  if (k > 1) {
    occurrences.Skip(k - 1);  // occurrences before the iteration's
    ordinal = k - 1;
  }
  bool found = false;
  for (std::string_view text; occurrences.Next(text);) {
    if (++ordinal == k) groupHadOccurrence_ = true;
    if (code != 0 && code != '*') {
      for (size_t i = text.find('^'); i != std::string_view::npos; i = text.find('^', i + 1)) {
        if (i + 1 < text.size() &&
            engine_.tables.Upper(static_cast<uint8_t>(text[i + 1])) == code) {
          found = true;
          break;
        }
      }
      break;  // the first occurrence reached decides
    }
    if (!global && code == 0 && text.empty()) continue;
    found = true;
    break;
  }
  Push(found == present ? 1 : 0);
}

// L '(' format ')': the dictionary lookup of the produced term.
void FormatInterpreter::LFunction() {
  if (!ExpectOpen()) return;
  const int32_t savedColumn = column_;
  const int32_t start = ArgumentFormat();
  if (executing_ && !Stopped()) {
    const std::string term(output_.data() + start, static_cast<size_t>(outPos_ - start));
    if (term.empty()) {
      Push(0);
    } else {
      std::optional<int32_t> mfn;
      if (engine_.server() != nullptr) mfn = engine_.server()->LookupTerm(database_, term);
      if (mfn) {
        Push(*mfn);
      } else {
        SetError(FormatError::kNeedsServer);
      }
    }
  }
  outPos_ = start;
  column_ = savedColumn;
}

// REF '(' expression ',' format ')': the format run over another record.
void FormatInterpreter::RefFunction(bool asStatement) {
  if (!ExpectOpen()) return;
  const ValueType type = Expression();
  if (executing_ && type != ValueType::kNumber && !Stopped()) {
    SetError(FormatError::kBadRefArguments);
    return;
  }
  const long double number = Pop();
  if (!AcceptPunct(',')) {
    if (!Stopped()) SetError(FormatError::kBadRefArguments);
    return;
  }
  const int32_t start = outPos_;
  if (executing_ && number >= 1) {
    std::optional<StringList> other;
    const int32_t mfn = number >= std::numeric_limits<int32_t>::max()
                            ? std::numeric_limits<int32_t>::max()
                            : static_cast<int32_t>(number);
    if (engine_.server() != nullptr) other = engine_.server()->ReadRecord(database_, mfn);
    if (!other) {
      SetError(FormatError::kNeedsServer);
      return;
    }
    StringList* const saved = record_;
    SetRecord(&*other);
    ArgumentFormat();
    SetRecord(saved);
  } else {
    const bool saved = executing_;
    executing_ = false;
    ArgumentFormat();
    executing_ = saved;
  }
  if (!asStatement) PushText(start, outPos_ - start);
}

// S | &name '(' format ')' [indentation]
void FormatInterpreter::TextFunction(bool asStatement, std::optional<std::string_view> builtin) {
  if (!ExpectOpen()) return;
  const int32_t savedColumn = column_;
  const int32_t start = ArgumentFormat();
  int32_t first = 0;
  int32_t other = 0;
  if (!ReadIndentation(first, other) || !executing_ || errorCode_ != 0) {
    if (!executing_ || errorCode_ != 0) outPos_ = start;
    return;
  }
  const std::string_view produced(output_.data() + start, static_cast<size_t>(outPos_ - start));
  if (!builtin) {
    if (produced.size() >= static_cast<size_t>(kLineWidth)) {
      SetError(FormatError::kOutputTooLarge);
      return;
    }
    if (!asStatement) {
      PushText(start, outPos_ - start);
      return;
    }
    scratch_.assign(produced);
  } else {
    // The argument leaves the output before the call, so that a function
    // that rewrites the output so far sees only what precedes the call.
    argument_.assign(produced);
    outPos_ = start;
    column_ = savedColumn;
    scratch_.clear();
    BuiltinCall call{*this, argument_, groupRunning_ ? groupIteration_ : 0};
    const BuiltinEntry* entry = FindBuiltin(engine_.builtins(), *builtin);
    const int32_t code = entry != nullptr ? entry->function(call, scratch_) : 0;
    if (code != 0) {
      SetErrorNumber(code);
      return;
    }
  }
  if (!builtin) {
    outPos_ = start;
    column_ = savedColumn;
  }
  if (asStatement) {
    Indent(first);
    PrintValue(scratch_);
  } else {
    const int32_t at = outPos_;
    Write(scratch_);
    PushText(at, outPos_ - at);
  }
}

}  // namespace talor
