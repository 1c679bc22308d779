// Element strings of each symbology against worked examples written from the
// published descriptions (narrow/wide letters or module counts, see
// element_notation.h), so that a wrong table entry shows up here.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "barcode/element_notation.h"
#include "barcode/fbarcode.h"

namespace talor {
namespace {

using testing::Modules;
using testing::Wide;
using enum TBarcodeType;

struct Encoded {
  std::string elements;
  std::string text;  // Text afterwards
  std::string error;
};

Encoded Encode(TBarcodeType type, std::string text, bool checksum = false) {
  TFBarcode barcode;
  barcode.SetTyp(type);
  barcode.SetText(std::move(text));
  barcode.SetChecksum(checksum);
  Encoded result;
  const Status status = barcode.MakeElements(result.elements);
  result.error = status.message();
  result.text = barcode.Text();
  return result;
}

struct Example {
  TBarcodeType type;
  std::string text;
  bool checksum;
  std::string expected;
};

void ExpectExamples(const std::vector<Example>& examples) {
  for (const Example& example : examples) {
    const Encoded encoded = Encode(example.type, example.text, example.checksum);
    EXPECT_EQ("", encoded.error) << example.text;
    EXPECT_EQ(example.expected, encoded.elements)
        << "type " << static_cast<int>(example.type) << ", text «" << example.text << "»";
  }
}

TEST(TwoOfFive, WorkedExamples) {
  ExpectExamples({
      // 1 = WnnnW as bars, 2 = nWnnW as spaces; 3 = WWnnn, 4 = nnWnW.
      {bcCode_2_5_interleaved, "1234", false,
       Wide("bwbw") + Wide("BwbWbwbwBW") + Wide("BwBwbWbwbW") + Wide("Bwb")},
      {bcCode_2_5_interleaved, "12345", false,
       Wide("bwbw") + Wide("BwbWbwbwBW") + Wide("BwBwbWbwbW") + Wide("Bwb")},
      {bcCode_2_5_interleaved, "7", false, Wide("bwbw Bwb")},
      {bcCode_2_5_industrial, "1", false, Wide("BwBwbw BwbwbwbwBw BwbwBw")},
      {bcCode_2_5_industrial, "", false, Wide("BwBwbw BwbwBw")},
      // Matrix: the start and stop bars are 1.5 x wide ('7').
      {bcCode_2_5_matrix, "0", false, "705050" + Wide("bwBWbw") + "70505"},
      {bcCode_2_5_matrix, "9", false, "705050" + Wide("bWbWbw") + "70505"},
  });
}

TEST(Code39, WorkedExamples) {
  const std::string star = Wide("bWbwBwBwb");
  const std::string a = Wide("BwbwbWbwB");
  const std::string percent = Wide("bwbWbWbWb");
  ExpectExamples({
      {bcCode39, "A", false, star + "0" + a + "0" + star},
      {bcCode39, "A", true, star + "0" + a + "0" + a + "0" + star},  // A = 10 checks itself
      {bcCode39, "a*", false, star + "0" + star},
      {bcCode39, "%", false, star + "0" + percent + "0" + star},
      {bcCode39, "", true, star + "0" + Wide("bwbWBwBwb") + "0" + star},  // check 0
  });
}

TEST(Code39, ExtendedRewritesToPairsAndKeepsText) {
  for (const auto& [input, pairs] :
       std::vector<std::pair<std::string, std::string>>{{"a", "+A"},
                                                        {"\x7f", "%T"},
                                                        {std::string(1, '\0'), "%U"},
                                                        {"*", "/J"},
                                                        {"AB-1", "AB-1"},
                                                        {"~?", "%S%J"}}) {
    const Encoded extended = Encode(bcCode39Extended, input, true);
    EXPECT_EQ(Encode(bcCode39, pairs, true).elements, extended.elements) << pairs;
    EXPECT_EQ(input, extended.text);
  }
}

TEST(Code128, WorkedExamples) {
  const std::string stop = Modules("2331112");
  ExpectExamples({
      // 0123: start C 105, 01, 23; check (105 + 1 + 46) % 103 = 49.
      {bcCode128C, "123", false, Modules("211232 222122 312131 211331") + stop},
      // B: A is 33; check (104 + 33) % 103 = 34.
      {bcCode128B, "A", false, Modules("211214 111323 131123") + stop},
      // A: a lower-case letter is a blank (0); check 103 % 103 = 0.
      {bcCode128A, "a", false, Modules("211412 212222 212222") + stop},
      // A: SOH is 65; check (103 + 65) % 103 = 65.
      {bcCode128A, "\x01", false, Modules("211412 121124 121124") + stop},
      // B: DEL is 95; check (104 + 95) % 103 = 96.
      {bcCode128B, "\x7f", false, Modules("211214 114113 114311") + stop},
      {bcCode128B, "", false, Modules("211214 222122") + stop},  // check 104 % 103 = 1
      // EAN-128: FNC1 (102) at position 1, A at 2: (104 + 102 + 66) % 103 = 66.
      {bcCodeEAN128B, "A", false, Modules("211214 411131 111323 121421") + stop},
      // EAN-128 C with a check digit: 12 -> 123 -> 0123;
      // (105 + 102 + 1*2 + 23*3) % 103 = 72.
      {bcCodeEAN128C, "12", true, Modules("211232 411131 222122 312131 122411") + stop},
  });
}

TEST(Code128, SetCPadsTextToPairs) {
  EXPECT_EQ("0123", Encode(bcCode128C, "123").text);
  EXPECT_EQ("1234", Encode(bcCode128C, "1234").text);
  EXPECT_EQ("", Encode(bcCode128C, "").text);
  // The check digit, not the text, is what is padded for EAN-128 C.
  EXPECT_EQ("12", Encode(bcCodeEAN128C, "12", true).text);
  EXPECT_EQ("0123", Encode(bcCodeEAN128C, "123", false).text);
}

TEST(Code93, WorkedExampleWithBothCheckCharacters) {
  // TEST93: C = 464 % 47 = 41 (+), K = 617 % 47 = 6.
  ExpectExamples({
      {bcCode93, "TEST93", false,
       Modules("111141 211221 221211 211122 211221 141111 111411 113121 121311 111141 1")},
      // Empty data: both checks are 0.
      {bcCode93, "", false, Modules("111141 131112 131112 111141 1")},
  });
}

TEST(Code93, ExtendedUsesShiftCharacters) {
  // a = (+)A: values 46, 10; C = (10 + 92) % 47 = 8; K = (8 + 20 + 138) % 47 = 25.
  ExpectExamples({
      {bcCode93Extended, "a", false, Modules("111141 122211 211113 131211 131121 111141 1")},
  });
}

TEST(Code93, BadDataNamesClassAndText) {
  for (const std::string& text :
       std::vector<std::string>{"abc", "A*B", "12\t", std::string("A\0B", 3), "\xd0\xb9"}) {
    const Encoded encoded = Encode(bcCode93, text);
    EXPECT_EQ("TFBarcode:Code93 bad Data <" + text + ">", encoded.error);
    EXPECT_EQ("", encoded.elements);
  }
}

TEST(MsiPostNetCodabar, WorkedExamples) {
  ExpectExamples({
      // MSI 1234, Luhn check 4: bit 1 = Bw, bit 0 = bW.
      {bcCodeMSI, "1234", false,
       Wide("Bw") + Wide("bWbWbWBw bWbWBwbW bWbWBwBw bWBwbWbW bWBwbWbW") + Wide("bWb")},
      // MSI 9: 18 -> 1 + 8 = 9, check 1.
      {bcCodeMSI, "9", false, Wide("Bw BwbWbWBw bWbWbWBw bWb")},
      {bcCodeMSI, "", false, Wide("Bw bWbWbWbW bWb")},  // check 0
      // PostNet: a frame bar and a wide space; 1 = short short short full full,
      // 0 = full full short short short; a closing frame bar.
      {bcCodePostNet, "10", false, Wide("fW swswswfwfw fwfwswswsw f")},
      // Codabar framed by A and B, a narrow space after each character.
      {bcCodeCodabar, "1", false, Wide("bwBWbWbw bwbwBWbw bWbWbwBw")},
      {bcCodeCodabar, "x", false, Wide("bwBWbWbw bWbWbwBw")},
  });
}

TEST(EanUpc, WorkedExamples) {
  const std::string guard = Modules("111");
  const std::string centre = Modules("|11111");
  ExpectExamples({
      {bcCodeEAN8, "9638507", true,
       guard + Modules("|3112 |1114 |1411 |1213") + centre + Modules("1231 3211 1312 1132") +
           guard},
      // First digit 5: parities A B B A A B.
      {bcCodeEAN13, "5901234123457", false,
       guard + Modules("|3112 |1123 |1222 |2122 |1411 |2311") + centre +
           Modules("2221 2122 1411 1132 1231 1312") + guard},
      // UPC-E 123456 (check 5): parities B A A B B A, end guard 010101.
      {bcCodeUPC_E0, "123456", true,
       guard + Modules("|1222 |2122 |1411 |2311 |1321 |1114") + Modules("|111111")},
      // Number system 1 complements the parities; 11234500006 checks to 2,
      // whose system-0 parities B B A A B A become A A B B A B.
      {bcCodeUPC_E1, "123456", true,
       guard + Modules("|2221 |2122 |1141 |2311 |1231 |4111") + Modules("|111111")},
      // Supplement 2: 12 % 4 = 0, both odd.
      {bcCodeUPC_Supp2, "12", false, Modules("112 |2221 |11 |2122")},
      // Supplement 5: 3 * 14 + 9 * 11 = 141, check 1: B A B A A.
      {bcCodeUPC_Supp5, "52495", false,
       Modules("112 |1321 |11 |2122 |11 |2311 |11 |3112 |11 |1231")},
  });
}

TEST(EanUpc, PaddingAndCheckDigitsKeptInText) {
  struct Row {
    TBarcodeType type;
    std::string text;
    bool checksum;
    std::string textAfter;
  };
  const Row rows[] = {
      {bcCodeUPC_A, "123", false, "000000000123"},
      {bcCodeUPC_A, "03600029145", true, "036000291452"},
      {bcCodeUPC_A, "12345678901", true, "123456789012"},   // 11 digits keep the last
      {bcCodeUPC_A, "123456789019", true, "123456789012"},  // a wrong check replaced
      {bcCodeUPC_E0, "1", false, "0000001"},
      {bcCodeUPC_E0, "123456", true, "1234565"},
      {bcCodeUPC_E0, "1234569", true, "1234565"},
      {bcCodeUPC_E1, "123456", true, "1234562"},
      {bcCodeUPC_E0, "1234560", false, "1234560"},  // without Checksum as given
      {bcCodeEAN13, "12", true, "12"},              // EAN pads only the symbol
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.textAfter, Encode(row.type, row.text, row.checksum).text) << row.text;
  }
}

TEST(EanUpc, Ean13OfTwelveDigitsWithoutChecksumGetsLeadingZero) {
  const Encoded twelve = Encode(bcCodeEAN13, "590123412345");
  EXPECT_EQ(Encode(bcCodeEAN13, "0590123412345").elements, twelve.elements);
  EXPECT_NE(Encode(bcCodeEAN13, "590123412345", true).elements, twelve.elements);
  EXPECT_EQ("590123412345", twelve.text);
}

TEST(EanUpc, UpcEParityFollowsTheExpandedCheckDigit) {
  // A wrong seventh digit does not change the symbol: readers accept only the
  // check digit of 01234500006, which is 5.
  EXPECT_EQ(Encode(bcCodeUPC_E0, "1234565").elements, Encode(bcCodeUPC_E0, "1234560").elements);
  EXPECT_EQ(Encode(bcCodeUPC_E0, "1234565").elements,
            Encode(bcCodeUPC_E0, "123456", true).elements);
}

TEST(EanUpc, LengthErrors) {
  struct Row {
    TBarcodeType type;
    std::string text;
    bool checksum;
    std::string error;
  };
  const Row rows[] = {
      {bcCodeEAN8, "123456789", false, "Invalid Text len (EAN8)"},
      {bcCodeEAN8, "12345678", true, "Invalid Text len (EAN8)"},
      {bcCodeEAN13, "12345678901234", false, "Invalid Text len (EAN13)"},
      {bcCodeEAN13, "1234567890123", true, "Invalid Text len (EAN13)"},
      {bcCodeUPC_A, "1234567890123", false, "Invalid Text len (UPC_A)"},
      {bcCodeUPC_E0, "12345678", false, "Invalid Text len (UPC_E)"},
      {bcCodeUPC_Supp2, "123", false, "Invalid Text len (UPC Supp2)"},
      {bcCodeUPC_Supp5, "123456", false, "Invalid Text len (UPC Supp5)"},
  };
  for (const Row& row : rows) {
    const Encoded encoded = Encode(row.type, row.text, row.checksum);
    EXPECT_EQ(row.error, encoded.error) << row.text;
    EXPECT_EQ("", encoded.elements);
  }
}

}  // namespace
}  // namespace talor
