// The single-pass interpreter of the format language. There is no compiled
// form and no syntax tree: a recursive-descent reader walks the format text
// token by token and executes each construct as soon as it has read it,
// writing straight into the output buffer. A repeat group runs by moving the
// reading position back to its opening parenthesis; an untaken branch is read
// by the same rule functions with output off (`executing` false), so there is
// one grammar. Tokens, and field commands whole, are read from the text once
// and replayed after that, for later records and for every iteration of a
// group (token_cache.h).
// docs/format-language.md describes the language.
//
// A FormatInterpreter serves one format call: it is created over a record,
// the format text and a workspace, run once, and discarded. The engine
// (format_engine.h) holds what outlives it, the workspaces included.

#ifndef TALOR_FORMAT_INTERPRETER_H_
#define TALOR_FORMAT_INTERPRETER_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format/field_command.h"
#include "format/format_errors.h"
#include "format/occurrences.h"
#include "format/token_cache.h"
#include "format/tokens.h"
#include "text/string_list.h"

namespace talor {

class FormatEngine;

// More iterations of one repeat group than this are error 57.
inline constexpr int kMaxGroupIterations = 5000;
// Nesting of parentheses, conditions and function arguments beyond this is
// error 99 (it would otherwise exhaust the stack).
inline constexpr int kMaxNesting = 100;
// Lines are never wrapped; the width still bounds indentation and columns.
inline constexpr int32_t kLineWidth = 100000000;

enum class ValueType : uint8_t { kNumber, kText, kBoolean };

// The buffers of one format call. The engine keeps one workspace per nesting
// level of format calls and hands it to every call at that level, so that
// once the buffers have grown to what the formats need, formatting a record
// allocates nothing.
struct FormatWorkspace {
  // The output buffer: its size is the capacity in use, the text written
  // is its first FormatInterpreter::outputLength() bytes.
  std::string output;
  // Emptied by every interpreter before use; clear() keeps the capacity.
  std::vector<long double> evalStack;
  std::vector<PrefixItem> prefixItems;
  std::string scratch;   // produced text of S and &name
  std::string argument;  // the argument text of a &name call
  // The record's fields by tag; reset by every interpreter before use.
  FieldIndex fieldIndex;
  // The tokens of the format texts run at this level, kept between calls.
  TokenCaches tokenCaches;
};

class FormatInterpreter {
 public:
  // `workspace.output`'s size is the initial capacity (at least one byte
  // is used); the other buffers of `workspace` are emptied. `source` and
  // `workspace` must outlive the interpreter, and no other interpreter may
  // use `workspace` while this one runs.
  FormatInterpreter(FormatEngine& engine, StringList& record, std::string_view database,
                    std::string_view source, FormatWorkspace& workspace);

  // Reads and executes the whole format and applies the case rule to the
  // last mode section. The text written is output[0, outputLength()).
  // Returns 0 or the first error number.
  int32_t Run();
  size_t outputLength() const { return static_cast<size_t>(outPos_); }

  // ---- For built-in functions ----
  FormatEngine& engine() { return engine_; }
  // The record, for a function that may change it: since fields may be
  // added, deleted or retagged, the interpreter forgets its index of them.
  StringList& record() {
    fieldIndex_.Reset(record_);
    return *record_;
  }
  // The record, for a function that only reads it.
  const StringList& record() const { return *record_; }
  std::string_view database() const { return database_; }
  // The output written so far, and a way to rewrite it (built-in key `.`).
  std::string_view OutputSoFar() const { return {output_.data(), static_cast<size_t>(outPos_)}; }
  void ReplaceOutput(std::string_view text);

 private:
  // lexer.cc
  void Advance();
  void Prime();
  // Replaying a kept token is inline: it is most of the reading.
  void NextToken() {
    if (tokens_ != nullptr && !Stopped()) {
      if (const LexerState* after = tokens_->Find(lex_.readPos)) {
        lex_ = *after;
        return;
      }
    }
    NextTokenSlow();
  }
  void NextTokenSlow();
  void ReadToken();
  void ReadWord();
  void ReadNumber();
  void ReadLiteral(TokenKind kind);
  void ReadEscape();
  void ReadSymbol();
  void ReadOneCharToken(TokenKind kind);
  void ReadRelOp();
  int32_t ReadDecimal();
  int32_t CurPos() const { return lex_.readPos - 2; }
  bool IsReserved(std::string_view word) const;
  bool IsWord(std::string_view word) const {
    return (lex_.tokenKind == TokenKind::tkReserved || lex_.tokenKind == TokenKind::tkIdentifier) &&
           lex_.tokenText.view() == word;
  }

  // errors
  void SetError(FormatError error);
  void SetErrorNumber(int32_t number);
  bool Stopped() const { return errorCode_ != 0 || finished_; }
  bool EnterLevel();
  void LeaveLevel() { --depth_; }

  // statements.cc
  enum class ListEnd : uint8_t { kFormat, kParen, kBranch };
  void StatementList(ListEnd end);
  void Statement();
  void IfStatement();
  void Branch(bool run);
  void Group();
  void BreakStatement();
  void MfnStatement();
  void PageControl();
  void ModeSwitch(char mode, char letterCase);
  bool AcceptPunct(char c) {
    if (lex_.tokenKind != TokenKind::tkPunct || lex_.tokenText[0] != c) return false;
    NextToken();
    return true;
  }
  bool ExpectPunct(char c, FormatError error);
  void SkipCommas() {
    while (AcceptPunct(',')) {
    }
  }

  // field_command.cc
  void FieldStatement(bool inExpression);
  bool ReplayFieldCommand(FieldCommand& command, bool inExpression);
  bool ReadFieldCommand(FieldCommand& command, bool inExpression);
  bool ReadFieldTail(FieldCommand& command, bool inExpression);
  bool ReadIndentation(int32_t& first, int32_t& other);
  Occurrences OccurrencesOf(bool global, int32_t tag);
  void SetRecord(StringList* record);
  void ExecuteField(const FieldCommand& command);
  void RunOccurrence(const FieldCommand& command, std::string_view value, int32_t ordinal,
                     bool first, bool last);
  std::string_view SelectValue(const FieldCommand& command, std::string_view text) const;
  void RunPrefixItems(const FieldCommand& command);
  void PrintValue(std::string_view value);
  void PutRun(std::string_view run);
  void DataModeEnd();

  // output.cc
  bool Grow();
  void Put(char c) {
    if (errorCode_ != 0 || (outPos_ >= static_cast<int32_t>(output_.size()) && !Grow())) return;
    output_[static_cast<size_t>(outPos_++)] = c;
    ++column_;
  }
  void Spacing(char kind, int32_t count);
  void Write(std::string_view text);
  void WriteOutputRange(int32_t from, int32_t length);
  void NewLine();
  void SpaceX(int32_t count);
  void SpaceC(int32_t target);
  void SlashLine();
  void TrimLineEnds();
  void WriteLiteral(std::string_view text);
  void WriteEscaped(std::string_view text);
  std::string_view Literal(int32_t start, int32_t length) const;
  std::string_view Literal(const LiteralSpan& span) const {
    return Literal(span.start, span.length);
  }
  void ApplyCaseRule();
  void Indent(int32_t first);
  std::string_view Punctuation(uint8_t code) const;

  // expressions.cc
  ValueType Expression();
  ValueType OrExpr();
  ValueType AndExpr();
  ValueType Relation();
  ValueType Sum();
  ValueType Term();
  ValueType Factor();
  void CheckType(bool ok);
  void Push(long double value);
  long double Pop();
  void PushText(int32_t start, int32_t length);
  std::string_view PopText();
  bool Compare(ValueType type, std::string_view op);
  void ConcatenateTexts();

  // functions.cc
  ValueType CallFunction(bool asStatement);
  int32_t ArgumentFormat();
  bool ExpectOpen();
  void NumericFunction(FunctionNo which);
  void FFunction(bool asStatement);
  void PresenceFunction(bool present);
  void LFunction();
  void RefFunction(bool asStatement);
  void TextFunction(bool asStatement, std::optional<std::string_view> builtin);

  // ---- Reading state ----
  std::string_view source_;
  LexerState lex_;
  TokenCache* tokens_ = nullptr;  // the workspace's cache for source_, if any
  int32_t errorCode_ = 0;

  // ---- Output state ----
  int32_t outPos_ = 0;
  int32_t column_ = 1;
  int32_t lineWidth_ = kLineWidth;
  char modeLetter_ = 'P';
  char caseLetter_ = 'L';
  int32_t caseStart_ = 0;

  // ---- Repeat group ----
  bool groupRunning_ = false;
  bool groupHadOccurrence_ = false;
  int32_t groupIteration_ = 0;

  // ---- Constant for the call ----
  FormatEngine& engine_;
  StringList* record_;  // not owned; REF points it at another record for a while
  std::string_view database_;
  std::string& output_;  // the workspace's buffers
  std::vector<long double>& evalStack_;
  std::vector<PrefixItem>& prefixItems_;
  std::string& scratch_;
  std::string& argument_;
  FieldIndex& fieldIndex_;

  // ---- Working state ----
  bool executing_ = true;
  bool finished_ = false;  // BREAK ended the format
  bool breakPending_ = false;
  int depth_ = 0;
  int ifDepth_ = 0;
};

}  // namespace talor

#endif  // TALOR_FORMAT_INTERPRETER_H_
