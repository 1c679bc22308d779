// Output primitives: the growing buffer, new lines, spacing commands,
// literals, escaped text and the case rule of the upper-case modes.

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstring>

#include "format/format_engine.h"
#include "format/interpreter.h"

namespace talor {
namespace {

constexpr char kEscapeByte = 27;

// Upper-cases UTF-8 text in place, one code point at a time with the simple
// Unicode mapping, keeping only mappings of the same encoded length so that
// no byte position moves. Malformed bytes stay as they are.
void UpperCaseInPlace(char* text, int32_t length) {
  int32_t i = 0;
  while (i < length) {
    const uint8_t byte = static_cast<uint8_t>(text[i]);
    if (byte < 0x80) {
      if (byte >= 'a' && byte <= 'z') text[i] = static_cast<char>(byte - 32);
      ++i;
      continue;
    }
    const int32_t start = i;
    UChar32 c;
    U8_NEXT(reinterpret_cast<const uint8_t*>(text), i, length, c);
    if (c < 0) continue;
    const UChar32 upper = u_toupper(c);
    if (upper == c || U8_LENGTH(upper) != i - start) continue;
    int32_t out = start;
    UBool error = false;
    U8_APPEND(reinterpret_cast<uint8_t*>(text), out, length, upper, error);
    (void)error;  // the length was checked above
  }
}

}  // namespace

bool FormatInterpreter::Grow() {
  const size_t capacity = output_.size();
  size_t grown = capacity * 2 + 1;
  if (grown > engine_.maxOutput) grown = engine_.maxOutput;
  if (grown <= capacity || static_cast<size_t>(outPos_) >= grown) {
    SetError(FormatError::kOutputTooLarge);
    return false;
  }
  output_.resize(grown);
  return true;
}

void FormatInterpreter::Write(std::string_view text) {
  if (errorCode_ != 0) return;
  while (static_cast<size_t>(outPos_) + text.size() > output_.size()) {
    if (!Grow()) return;
  }
  if (!text.empty()) std::memcpy(output_.data() + outPos_, text.data(), text.size());
  outPos_ += static_cast<int32_t>(text.size());
  column_ += static_cast<int32_t>(text.size());
}

// As Write(output_[from, from + length)), without copying the text out
// first: the two ranges may overlap, and growing the buffer may move it.
void FormatInterpreter::WriteOutputRange(int32_t from, int32_t length) {
  if (errorCode_ != 0) return;
  while (static_cast<size_t>(outPos_) + static_cast<size_t>(length) > output_.size()) {
    if (!Grow()) return;
  }
  if (length > 0) {
    std::memmove(output_.data() + outPos_, output_.data() + from, static_cast<size_t>(length));
  }
  outPos_ += length;
  column_ += length;
}

void FormatInterpreter::NewLine() {
  Put('\r');
  column_ = 1;
}

void FormatInterpreter::Spacing(char kind, int32_t count) {
  switch (kind) {
    case '#':
      NewLine();
      return;
    case '/':
      if (column_ > 1) NewLine();
      return;
    case '%':
      TrimLineEnds();
      return;
    case 'X':
      SpaceX(count);
      return;
    case 'C':
      SpaceC(count);
      return;
    default:
      return;
  }
}

void FormatInterpreter::SpaceX(int32_t count) {
  if (static_cast<int64_t>(column_) + count > lineWidth_) {
    NewLine();
    return;
  }
  for (int32_t i = 0; i < count && !Stopped(); ++i) Put(' ');
}

void FormatInterpreter::SpaceC(int32_t target) {
  if (target > lineWidth_) target = 1;
  if (target < column_) NewLine();
  SpaceX(target - column_);
}

void FormatInterpreter::TrimLineEnds() {
  while (outPos_ > 0 && output_[static_cast<size_t>(outPos_ - 1)] == '\r') --outPos_;
  column_ = lineWidth_ + 1;
}

void FormatInterpreter::WriteLiteral(std::string_view text) {
  if (static_cast<int64_t>(text.size()) > lineWidth_) text = text.substr(0, lineWidth_);
  if (static_cast<int64_t>(column_) + static_cast<int64_t>(text.size()) - 1 > lineWidth_) NewLine();
  Write(text);
}

// Escaped text is marked by byte 27. It is not closed by a NUL byte: a NUL
// would hide everything after it from readers of zero-terminated text.
void FormatInterpreter::WriteEscaped(std::string_view text) {
  Put(kEscapeByte);
  Write(text);
}

std::string_view FormatInterpreter::Literal(int32_t start, int32_t length) const {
  if (start < 0 || length <= 0 || static_cast<size_t>(start) >= source_.size()) return {};
  return source_.substr(static_cast<size_t>(start), static_cast<size_t>(length));
}

void FormatInterpreter::ApplyCaseRule() {
  if (caseStart_ > outPos_) caseStart_ = outPos_;
  if (caseLetter_ != 'U' || caseStart_ < 0) return;
  UpperCaseInPlace(output_.data() + caseStart_, outPos_ - caseStart_);
}

void FormatInterpreter::Indent(int32_t first) {
  if (column_ != 1 || first < 1) return;
  for (int32_t i = 0; i < first && !Stopped(); ++i) Put(' ');
}

void FormatInterpreter::ReplaceOutput(std::string_view text) {
  const std::string copy(text);
  outPos_ = 0;
  Write(copy);
  caseStart_ = std::min(caseStart_, outPos_);
}

}  // namespace talor
