#include "format/char_tables.h"

#include "text/encoding.h"

namespace talor {
namespace {

CaseTable BuildCaseTable() {
  CaseTable table{};
  for (int c = 1; c <= 255; ++c) {
    table[c - 1] = static_cast<uint8_t>(AnsiUpperChar(static_cast<char>(c)));
  }
  return table;
}

AlphabetTable BuildAlphabetTable() {
  AlphabetTable table{};
  for (int c = 0; c < 256; ++c) {
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 128;
    table[c] = letter ? 1 : 0;
  }
  return table;
}

}  // namespace

// Engines reset their tables for every record the server indexes; building
// the case table asks the code page converter 255 times, so it is done once.
const CharTables& DefaultCharTables() {
  static const CharTables tables = [] {
    CharTables built;
    built.upperCase = BuildCaseTable();
    built.secondCase = built.upperCase;
    built.alphabet = BuildAlphabetTable();
    return built;
  }();
  return tables;
}

const CaseTable& DefaultCaseTable() { return DefaultCharTables().upperCase; }

const AlphabetTable& DefaultAlphabetTable() { return DefaultCharTables().alphabet; }

}  // namespace talor
