// The 2 of 5 family: every digit is five elements of which two are wide.

#include <array>
#include <string_view>

#include "barcode/symbologies.h"

namespace talor {
namespace {

// '1' marks a wide element, '0' a narrow one.
constexpr std::array<std::string_view, 10> kTwoOfFive = {
    "00110", "10001", "01001", "11000", "00101", "10100", "01100", "00011", "10010", "01010",
};

constexpr char kNarrowBar = '5';
constexpr char kWideBar = '6';
constexpr char kNarrowSpace = '0';
constexpr char kWideSpace = '1';

std::string_view Pattern(char digit) { return kTwoOfFive[static_cast<size_t>(digit - '0')]; }

}  // namespace

void EncodeInterleaved2of5(const std::string& text, std::string& elements) {
  elements += "5050";
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    const std::string_view bars = Pattern(text[i]);
    const std::string_view spaces = Pattern(text[i + 1]);
    for (size_t k = 0; k < 5; ++k) {
      elements.push_back(bars[k] == '1' ? kWideBar : kNarrowBar);
      elements.push_back(spaces[k] == '1' ? kWideSpace : kNarrowSpace);
    }
  }
  elements += "605";
}

void EncodeIndustrial2of5(const std::string& text, std::string& elements) {
  elements += "606050";
  for (char digit : text) {
    for (char wide : Pattern(digit)) {
      elements.push_back(wide == '1' ? kWideBar : kNarrowBar);
      elements.push_back(kNarrowSpace);
    }
  }
  elements += "605060";
}

void EncodeMatrix2of5(const std::string& text, std::string& elements) {
  elements += "705050";
  for (char digit : text) {
    const std::string_view pattern = Pattern(digit);
    for (size_t k = 0; k < 5; ++k) {
      const bool bar = k % 2 == 0;
      const bool wide = pattern[k] == '1';
      elements.push_back(bar ? (wide ? kWideBar : kNarrowBar) : (wide ? kWideSpace : kNarrowSpace));
    }
    elements.push_back(kNarrowSpace);
  }
  elements += "70505";
}

}  // namespace talor
