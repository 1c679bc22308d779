// Small byte-string fixes applied to imported records and generated texts.

#ifndef TALOR_TEXT_TEXT_CLEANING_H_
#define TALOR_TEXT_TEXT_CLEANING_H_

#include <string>
#include <string_view>

#include "text/string_list.h"

namespace talor {

// What import puts in place of a control character inside a field value.
inline constexpr char kImportControlReplacement = ' ';

// The marker that import removes from field values wherever it occurs.
inline constexpr std::string_view kImportNoiseMarker = "&&&&&";

// `n` copies of `c`; empty when `n` is not positive.
std::string RepeatChar(char c, int n);

// Every byte below 32 replaced by `replacement`.
std::string ReplaceControlChars(std::string_view text, char replacement);

// Byte for byte from the OEM code page (CP866) to the ANSI code page
// (Windows-1251); the length never changes.
std::string OemToAnsiText(std::string_view oemText);

// Cleans the fields of `record` (lines 3 and on, see the record layout):
// control characters become `replacement`, every "&&&&&" is removed (until
// none is left, also where a removal makes a new one), and a field that is
// empty, before or after this cleaning, is removed. The header lines are not
// touched. Returns the number of removed fields.
int CleanRecord(StringList& record, char replacement = kImportControlReplacement);

}  // namespace talor

#endif  // TALOR_TEXT_TEXT_CLEANING_H_
