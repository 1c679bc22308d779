// The closed set of token kinds of the format language and the numbers of
// its standard functions.

#ifndef TALOR_FORMAT_TOKENS_H_
#define TALOR_FORMAT_TOKENS_H_

#include <cstdint>
#include <string_view>

namespace talor {

enum class TokenKind : uint8_t {
  tkField,        // V and digits
  tkDummyField,   // D or N and digits
  tkGlobalField,  // G and digits
  tkSpacing,      // C or X and digits; #, %, /
  tkCondLiteral,  // "..."
  tkLiteral,      // '...' or `...`
  tkRepLiteral,   // |...|
  tkEscape,       // !d...d
  tkSubfield,     // ^ and a code
  tkNumber,
  tkReserved,
  tkMode,     // MPL MPU MHL MHU MDL MDU
  tkPageCtl,  // NP NC
  tkFunction,
  tkIdentifier,
  tkPunct,  // ( ) * + , - . ; [ ]
  tkRelOp,  // : = < > <> <= >=
  tkEnd,
};

enum class FunctionNo : uint8_t {
  kNone = 0,
  kRsum = 1,
  kRmin = 2,
  kRmax = 3,
  kRavr = 4,
  kVal = 11,
  kF = 12,
  kA = 13,
  kP = 14,
  kL = 15,
  kRef = 16,
  kS = 17,
  kBuiltin = 18,
};

inline constexpr int kNumericClass = 1;
inline constexpr int kTextClass = 2;
inline constexpr int kBooleanClass = 3;

// A literal's place in the source: start (after the delimiter) and length.
struct LiteralSpan {
  int32_t start = 0;
  int32_t length = 0;
};

// The text of the current token: at most ten characters are kept; longer
// words are read whole but compared by their first ten.
class TokenText {
 public:
  static constexpr int kCapacity = 10;
  void Clear() { size_ = 0; }
  void Append(char c) {
    if (size_ < kCapacity) text_[size_++] = c;
  }
  std::string_view view() const { return {text_, static_cast<size_t>(size_)}; }
  char operator[](int i) const { return i < size_ ? text_[i] : '\0'; }
  int size() const { return size_; }
  // Equal when the kept characters are: the bytes past them are stale.
  bool operator==(const TokenText& other) const { return view() == other.view(); }

 private:
  char text_[kCapacity] = {};
  int size_ = 0;
};

// Where the reader stands and the token it has read. Copying it marks a
// place to read again from (a repeat group, a look-ahead).
struct LexerState {
  int32_t readPos = 0;
  uint8_t curChar = ' ';
  uint8_t nextChar = ' ';
  TokenText tokenText;
  TokenKind tokenKind = TokenKind::tkEnd;
  int32_t tokenNum1 = 0;
  int32_t tokenNum2 = 0;
  double tokenReal = 0;
  FunctionNo functionNo = FunctionNo::kNone;
  int functionClass = 0;

  bool operator==(const LexerState&) const = default;
};

}  // namespace talor

#endif  // TALOR_FORMAT_TOKENS_H_
