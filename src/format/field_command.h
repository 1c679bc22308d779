// The field command: what the reader collects from a field statement
// before executing it over the occurrences of the field.

#ifndef TALOR_FORMAT_FIELD_COMMAND_H_
#define TALOR_FORMAT_FIELD_COMMAND_H_

#include <cstddef>
#include <cstdint>

#include "format/tokens.h"

namespace talor {

// A field command as the reader collects it.
struct FieldCommand {
  char selector = 'V';  // V, D, N or G
  int32_t tag = 0;      // tag, or variable number for G
  char subfield = 0;    // 0 = whole value, '*' = leading part, else the code
  int32_t offset = 0;   // characters to skip (0 = none)
  int32_t length = 0;   // characters to keep (0 = all)
  int32_t indentFirst = 0;
  int32_t indentOther = 0;
  size_t prefixBegin = 0;  // prefix items: FormatInterpreter::prefixItems_[begin, end)
  size_t prefixEnd = 0;
  bool hasRepPrefix = false;
  bool repPrefixPlus = false;  // `|...|+`: not before the first occurrence
  LiteralSpan repPrefix;
  char repSuffixKind = 0;  // 0 none, '|' always, '+' not after the last occurrence
  LiteralSpan repSuffix;
  bool hasCondSuffix = false;
  LiteralSpan condSuffix;
};

// A prefix item: conditional literal ('"'), escaped text ('!'), spacing
// ('#', '%', '/', 'C', 'X') or mode switch ('M', with the letters in a, b).
struct PrefixItem {
  char kind = 0;
  int32_t a = 0;  // literal start, count, or mode letter
  int32_t b = 0;  // literal length or case letter
};

}  // namespace talor

#endif  // TALOR_FORMAT_FIELD_COMMAND_H_
