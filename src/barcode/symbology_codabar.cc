// Codabar: seven elements a character, framed by the start character A and
// the stop character B, with a narrow space after each character.

#include <array>
#include <string_view>

#include "barcode/symbologies.h"

namespace talor {
namespace {

struct CodabarChar {
  char symbol;
  std::string_view wide;  // '1' marks a wide element: bar, space, bar, ...
};

constexpr std::array<CodabarChar, 20> kCodabar = {{
    {'0', "0000011"}, {'1', "0000110"}, {'2', "0001001"}, {'3', "1100000"}, {'4', "0010010"},
    {'5', "1000010"}, {'6', "0100001"}, {'7', "0100100"}, {'8', "0110000"}, {'9', "1001000"},
    {'-', "0001100"}, {'$', "0011000"}, {':', "1000101"}, {'/', "1010001"}, {'.', "1010100"},
    {'+', "0010101"}, {'A', "0011010"}, {'B', "0101001"}, {'C', "0001011"}, {'D', "0001110"},
}};

void AppendChar(char c, std::string& elements) {
  for (const CodabarChar& entry : kCodabar) {
    if (entry.symbol != c) continue;
    for (size_t k = 0; k < entry.wide.size(); ++k) {
      const bool wide = entry.wide[k] == '1';
      elements.push_back(k % 2 == 0 ? (wide ? '6' : '5') : (wide ? '1' : '0'));
    }
    elements.push_back('0');
    return;
  }
}

}  // namespace

void EncodeCodabar(const std::string& text, std::string& elements) {
  AppendChar('A', elements);
  for (char c : text) {
    // A to D frame the symbol; inside the data they would end it early.
    if (c >= 'A' && c <= 'D') continue;
    AppendChar(c, elements);
  }
  AppendChar('B', elements);
}

}  // namespace talor
