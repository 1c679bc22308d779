// Code 39: nine elements a character (five bars, four spaces), three of them
// wide, and a narrow space between characters.

#include <array>
#include <string_view>

#include "barcode/full_ascii.h"
#include "barcode/symbologies.h"

namespace talor {
namespace {

struct Code39Char {
  char symbol;
  std::string_view wide;  // '1' marks a wide element: bar, space, bar, ...
};

// In the order of the check values 0 to 42, then the start/stop character.
constexpr std::array<Code39Char, 44> kCode39 = {{
    {'0', "000110100"}, {'1', "100100001"}, {'2', "001100001"}, {'3', "101100000"},
    {'4', "000110001"}, {'5', "100110000"}, {'6', "001110000"}, {'7', "000100101"},
    {'8', "100100100"}, {'9', "001100100"}, {'A', "100001001"}, {'B', "001001001"},
    {'C', "101001000"}, {'D', "000011001"}, {'E', "100011000"}, {'F', "001011000"},
    {'G', "000001101"}, {'H', "100001100"}, {'I', "001001100"}, {'J', "000011100"},
    {'K', "100000011"}, {'L', "001000011"}, {'M', "101000010"}, {'N', "000010011"},
    {'O', "100010010"}, {'P', "001010010"}, {'Q', "000000111"}, {'R', "100000110"},
    {'S', "001000110"}, {'T', "000010110"}, {'U', "110000001"}, {'V', "011000001"},
    {'W', "111000000"}, {'X', "010010001"}, {'Y', "110010000"}, {'Z', "011010000"},
    {'-', "010000101"}, {'.', "110000100"}, {' ', "011000100"}, {'$', "010101000"},
    {'/', "010100010"}, {'+', "010001010"}, {'%', "000101010"}, {'*', "010010100"},
}};
constexpr int kCheckModulus = 43;
constexpr size_t kStartStop = 43;

// The check value of `c`, or -1 when `c` is not a data character.
int ValueOf(char c) {
  for (size_t i = 0; i < kStartStop; ++i) {
    if (kCode39[i].symbol == c) return static_cast<int>(i);
  }
  return -1;
}

void AppendChar(size_t value, std::string& elements) {
  const std::string_view wide = kCode39[value].wide;
  for (size_t k = 0; k < wide.size(); ++k) {
    const bool bar = k % 2 == 0;
    elements.push_back(bar ? (wide[k] == '1' ? '6' : '5') : (wide[k] == '1' ? '1' : '0'));
  }
  elements.push_back('0');  // the gap between characters
}

}  // namespace

void EncodeCode39(const std::string& text, bool checksum, std::string& elements) {
  AppendChar(kStartStop, elements);
  int sum = 0;
  for (char c : text) {
    const int value = ValueOf(c);
    if (value < 0) continue;
    sum += value;
    AppendChar(static_cast<size_t>(value), elements);
  }
  if (checksum) AppendChar(static_cast<size_t>(sum % kCheckModulus), elements);
  AppendChar(kStartStop, elements);
  elements.pop_back();  // no gap after the stop character
}

void EncodeCode39Extended(const std::string& text, bool checksum, std::string& elements) {
  std::string basic;
  for (char c : text) basic += FullAsciiPair(static_cast<unsigned char>(c));
  EncodeCode39(basic, checksum, elements);
}

}  // namespace talor
