#include "format/char_tables.h"

#include "text/encoding.h"

namespace talor {

CaseTable DefaultCaseTable() {
  CaseTable table{};
  for (int c = 1; c <= 255; ++c) {
    table[c - 1] = static_cast<uint8_t>(AnsiUpperChar(static_cast<char>(c)));
  }
  return table;
}

AlphabetTable DefaultAlphabetTable() {
  AlphabetTable table{};
  for (int c = 0; c < 256; ++c) {
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 128;
    table[c] = letter ? 1 : 0;
  }
  return table;
}

CharTables DefaultCharTables() {
  CharTables tables;
  tables.upperCase = DefaultCaseTable();
  tables.secondCase = tables.upperCase;
  tables.alphabet = DefaultAlphabetTable();
  return tables;
}

}  // namespace talor
