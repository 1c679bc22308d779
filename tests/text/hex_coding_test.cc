#include "text/hex_coding.h"

#include <gtest/gtest.h>

namespace talor {
namespace {

TEST(HexCodingTest, EncodesUpperCaseDigits) {
  EXPECT_EQ("", HexEncode(""));
  EXPECT_EQ("00FF7F41", HexEncode(std::string_view("\x00\xFF\x7F"
                                                   "A",
                                                   4)));
}

TEST(HexCodingTest, DecodesPairsOfEitherCase) {
  struct Row {
    const char* input;
    std::string_view expected;
  } rows[] = {
      {"", ""},       {"41", "A"},
      {"4a4A", "JJ"}, {"ZZ41", "?A"},  // a bad pair gives `?` and decoding goes on
      {"4G", "?"},    {"414", "A"},    // an odd last character is ignored
      {"4", ""},      {"00", std::string_view("\0", 1)},
      {"-1", "?"},    {" 1", "?"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.expected, HexDecode(row.input)) << row.input;
}

TEST(HexCodingTest, RoundTripsEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(all, HexDecode(HexEncode(all)));
  // Truncating the encoded text by one character loses exactly the last byte.
  std::string encoded = HexEncode(all);
  encoded.pop_back();
  EXPECT_EQ(all.substr(0, 255), HexDecode(encoded));
}

}  // namespace
}  // namespace talor
