// MSI (four bits a digit) and PostNet (five full or short bars a digit).

#include <array>
#include <string_view>

#include "barcode/check_digit.h"
#include "barcode/symbologies.h"

namespace talor {
namespace {

constexpr std::string_view kMsiOne = "60";   // wide bar, narrow space
constexpr std::string_view kMsiZero = "51";  // narrow bar, wide space
constexpr int kMsiBits = 4;

void AppendMsiDigit(int digit, std::string& elements) {
  for (int bit = kMsiBits - 1; bit >= 0; --bit) {
    elements += (digit >> bit) & 1 ? kMsiOne : kMsiZero;
  }
}

// '1' marks a full bar, '0' a short one.
constexpr std::array<std::string_view, 10> kPostNet = {
    "11000", "00011", "00101", "00110", "01001", "01010", "01100", "10001", "10010", "10100",
};

}  // namespace

void EncodeMsi(const std::string& text, std::string& elements) {
  elements += "60";
  for (char digit : text) AppendMsiDigit(digit - '0', elements);
  AppendMsiDigit(CheckDigitMsi(text), elements);
  elements += "515";
}

void EncodePostNet(const std::string& text, std::string& elements) {
  elements += "51";
  for (char digit : text) {
    for (char full : kPostNet[static_cast<size_t>(digit - '0')]) {
      elements.push_back(full == '1' ? '5' : 'A');
      elements.push_back('0');
    }
  }
  elements += "5";
}

}  // namespace talor
