// Test helpers that write element strings in the notations of published
// symbology descriptions, so that expectations do not repeat the encoders'
// tables.

#ifndef TALOR_TESTS_BARCODE_ELEMENT_NOTATION_H_
#define TALOR_TESTS_BARCODE_ELEMENT_NOTATION_H_

#include <string>
#include <string_view>

namespace talor::testing {

// Narrow/wide notation: 'b' narrow bar, 'B' wide bar, 'w' narrow space, 'W'
// wide space, 's' short narrow bar, 'f' full narrow bar (PostNet); other
// characters are ignored, so groups may be separated by blanks.
inline std::string Wide(std::string_view notation) {
  std::string out;
  for (char c : notation) {
    switch (c) {
      case 'b':
      case 'f':
        out += '5';
        break;
      case 'B':
        out += '6';
        break;
      case 'w':
        out += '0';
        break;
      case 'W':
        out += '1';
        break;
      case 's':
        out += 'A';
        break;
      default:
        break;
    }
  }
  return out;
}

// Module notation: digits are module counts, bars and spaces alternating,
// starting with a bar ('|' before a group starts it with a space instead);
// blanks separate groups and restart with a bar.
inline std::string Modules(std::string_view notation) {
  std::string out;
  bool bar = true;
  for (char c : notation) {
    if (c == ' ') {
      bar = true;
    } else if (c == '|') {
      bar = false;
    } else {
      const int count = c - '0';
      out += static_cast<char>(bar ? '5' + count - 1 : '0' + count - 1);
      bar = !bar;
    }
  }
  return out;
}

}  // namespace talor::testing

#endif  // TALOR_TESTS_BARCODE_ELEMENT_NOTATION_H_
