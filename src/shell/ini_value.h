// How one line of an INI text holds a name or a value.
//
// Names of sections and keys are compared without regard to case (ASCII and
// the Windows-1251 letters). A value is the text after the first `=` of its
// line with the blanks (spaces and tabs) around it removed. A value that could
// not survive that — one with blanks at either end, with a line break or a NUL
// byte inside, or one that itself begins and ends with `"` — is written in
// double quotes, and inside the quotes `%` , CR, LF and NUL are written as
// %25, %0D, %0A and %00. Reading undoes exactly this, so every byte string
// written as a value reads back unchanged.

#ifndef TALOR_SHELL_INI_VALUE_H_
#define TALOR_SHELL_INI_VALUE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace talor {

// True when `a` and `b` are the same section or key name.
bool SameIniName(std::string_view a, std::string_view b);
// A form of `name` that is equal for all names SameIniName calls the same.
std::string FoldIniName(std::string_view name);

// `text` without the spaces and tabs at its ends.
std::string_view TrimBlanks(std::string_view text);

// The value as it is written after `key=`.
std::string EncodeIniValue(std::string_view value);
// The value held by `written`, the text after the `=` of a key line.
std::string DecodeIniValue(std::string_view written);

// True when `name` can be written as a key: not empty, no blanks at its ends,
// no `=`, no line break or NUL, and not starting with `[`, `;` or `#`.
bool IsValidIniKey(std::string_view name);
// True when `name` can be written as a section header `[name]`: no blanks at
// its ends, no `]`, no line break or NUL.
bool IsValidIniSection(std::string_view name);

// The integer that `text` reads as: an optional sign and decimal digits, the
// blanks around them ignored. nullopt for anything else, an empty text and a
// number outside the 32-bit range included.
std::optional<int32_t> ParseIniInteger(std::string_view text);

}  // namespace talor

#endif  // TALOR_SHELL_INI_VALUE_H_
