// The numbered errors of the format language. The first error met in a
// format call wins: it stops reading at once and becomes the call's result.
// The numbers cross the engine's boundary (callers report them), so they are
// fixed; docs/format-language.md lists what raises each one.

#ifndef TALOR_FORMAT_FORMAT_ERRORS_H_
#define TALOR_FORMAT_FORMAT_ERRORS_H_

#include <cstdint>

namespace talor {

enum class FormatError : int32_t {
  kNone = 0,
  kNestedGroup = 2,          // a repeat group inside a repeat group
  kThenMissing = 8,          // THEN missing after the condition of IF
  kParenMissing = 19,        // `)` missing, or a fourth argument of F
  kBadFactor = 20,           // a token that cannot start an expression factor
  kTypeMismatch = 26,        // operand types differ, or a condition is not boolean
  kBadRefArguments = 28,     // REF without a numeric first argument and a comma
  kFiMissing = 53,           // FI missing
  kPlusWithoutLiteral = 54,  // `+` after a field selector without `|...|`
  kFiWithoutIf = 55,         // FI without IF while skipping a branch
  kOutputTooLarge = 56,      // text of S, or the whole output, over the limit
  kTooManyIterations = 57,   // more than kMaxGroupIterations of a group
  kBadFArgument = 58,        // a non-numeric argument of F
  kNotAStatement = 60,       // a function whose class is not text used as a statement
  kBadSelector = 61,         // the argument of A or P is not a V or G selector
  kDivisionByZero = 62,      // division by zero
  kSyntax = 99,              // no token or no statement starts here; nesting too deep
  kStackEmpty = 102,         // the evaluation stack is empty when a value is needed
  kNeedsServer = 999,        // only the server can evaluate this format
};

constexpr int32_t ErrorNumber(FormatError error) { return static_cast<int32_t>(error); }

}  // namespace talor

#endif  // TALOR_FORMAT_FORMAT_ERRORS_H_
