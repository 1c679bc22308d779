// The engine's character tables: the upper-case table the reader classifies
// letters with, a second table of the same form for the built-in functions,
// and the alphabet table that says which bytes are letters of a word. One set
// belongs to each format engine and is shared by all of its format calls.

#ifndef TALOR_FORMAT_CHAR_TABLES_H_
#define TALOR_FORMAT_CHAR_TABLES_H_

#include <array>
#include <cstdint>

namespace talor {

// 255 bytes: entry i - 1 is the upper-case form of character i (1..255).
using CaseTable = std::array<uint8_t, 255>;
// 256 flags, one per character code; non-zero means "letter of a word".
using AlphabetTable = std::array<uint8_t, 256>;

struct CharTables {
  CaseTable upperCase{};
  CaseTable secondCase{};
  AlphabetTable alphabet{};

  // Character 0 maps to itself; every other byte through upperCase.
  uint8_t Upper(uint8_t c) const { return c == 0 ? 0 : upperCase[c - 1]; }
  bool IsLetter(uint8_t c) const { return alphabet[c] != 0; }
};

// The defaults are built on first use and shared by every engine of the
// process (they never change); callers copy them into their own tables.
// The identity table upper-cased with the Windows-1251 case rules.
const CaseTable& DefaultCaseTable();
// Letters are 65..90, 97..122 and 128..255.
const AlphabetTable& DefaultAlphabetTable();
// All three defaults.
const CharTables& DefaultCharTables();

}  // namespace talor

#endif  // TALOR_FORMAT_CHAR_TABLES_H_
