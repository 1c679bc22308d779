// The element string: every symbology is first turned into a string of
// element codes, one character an element, read left to right.
//
//   '0' '1' '2' '3'  a space of the narrow, wide, 1.5 x wide or 2 x wide width
//   '5' '6' '7' '8'  a full-height bar of the same four widths
//   'A' 'B' 'C' 'D'  a short bar (two fifths of the height) of those widths
//
// Tables written as module counts (1 to 4 modules, bars and spaces
// alternating) become element codes by adding 4 to the character of a bar
// count and subtracting 1 from the character of a space count.

#ifndef TALOR_BARCODE_ELEMENTS_H_
#define TALOR_BARCODE_ELEMENTS_H_

#include <optional>
#include <string>
#include <string_view>

namespace talor {

enum class ElementKind { kSpace, kBar, kShortBar };

struct Element {
  ElementKind kind;
  int widthIndex;  // 0 narrow, 1 wide, 2 1.5 x wide, 3 2 x wide
};

// The element that `code` stands for; nullopt for a code outside the alphabet.
std::optional<Element> DecodeElement(char code);

// Appends the element codes of the module counts `counts` ('1' to '4'),
// starting with a bar when `barFirst`, else with a space.
// REQUIRES: every character of `counts` is '1' to '4'.
void AppendModules(std::string& elements, std::string_view counts, bool barFirst = true);

}  // namespace talor

#endif  // TALOR_BARCODE_ELEMENTS_H_
