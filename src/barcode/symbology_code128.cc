// Code 128 (sets A, B and C) and EAN-128: eleven modules a character, the
// modulo-103 check character always, and the thirteen-module stop pattern.

#include <array>
#include <string_view>
#include <vector>

#include "barcode/check_digit.h"
#include "barcode/elements.h"
#include "barcode/symbologies.h"

namespace talor {
namespace {

// Module counts of the values 0 to 105 (bar, space, bar, space, bar, space).
constexpr std::array<std::string_view, 106> kCode128 = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212",
    "221213", "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221",
    "223211", "221132", "221231", "213212", "223112", "312131", "311222", "321122", "321221",
    "312212", "322112", "322211", "212123", "212321", "232121", "111323", "131123", "131321",
    "112313", "132113", "132311", "211313", "231113", "231311", "112133", "112331", "132131",
    "113123", "113321", "133121", "313121", "211331", "231131", "213113", "213311", "213131",
    "311123", "311321", "331121", "312113", "312311", "332111", "314111", "221411", "431111",
    "111224", "111422", "121124", "121421", "141122", "141221", "112214", "112412", "122114",
    "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111", "111242",
    "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311",
    "113141", "114131", "311141", "411131", "211412", "211214", "211232",
};
constexpr std::string_view kStop = "2331112";
constexpr int kFnc1 = 102;
constexpr int kStartA = 103;
constexpr int kStartB = 104;
constexpr int kStartC = 105;
constexpr int kModulus = 103;
constexpr int kBlank = 0;  // the value of a space in sets A and B

enum class CodeSet { kA, kB, kC };

CodeSet SetOf(TBarcodeType type) {
  switch (type) {
    case TBarcodeType::bcCode128A:
    case TBarcodeType::bcCodeEAN128A:
      return CodeSet::kA;
    case TBarcodeType::bcCode128B:
    case TBarcodeType::bcCodeEAN128B:
      return CodeSet::kB;
    default:
      return CodeSet::kC;
  }
}

int ValueInSetA(unsigned char c) {
  if (c < 32) return c + 64;
  if (c <= 95) return c - 32;
  return kBlank;
}

int ValueInSetB(unsigned char c) {
  if (c >= 32 && c <= 127) return c - 32;
  return kBlank;
}

std::vector<int> DataValues(CodeSet set, const std::string& data) {
  std::vector<int> values;
  if (set == CodeSet::kC) {
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
      values.push_back((data[i] - '0') * 10 + (data[i + 1] - '0'));
    }
    return values;
  }
  for (char c : data) {
    const auto byte = static_cast<unsigned char>(c);
    values.push_back(set == CodeSet::kA ? ValueInSetA(byte) : ValueInSetB(byte));
  }
  return values;
}

void PadToEven(std::string& digits) {
  if (digits.size() % 2 != 0) digits.insert(digits.begin(), '0');
}

}  // namespace

void EncodeCode128(TBarcodeType type, std::string& text, CheckOption check, std::string& elements) {
  const CodeSet set = SetOf(type);
  const bool ean = type == TBarcodeType::bcCodeEAN128A || type == TBarcodeType::bcCodeEAN128B ||
                   type == TBarcodeType::bcCodeEAN128C;
  std::string data = text;
  if (ean && check.wanted) {
    // The check digit belongs to the text as written; only the encoded data
    // is padded to whole pairs, so Text keeps no extra zero.
    data = DoCheckSumming(text, check.method);
  } else if (set == CodeSet::kC) {
    PadToEven(text);
    data = text;
  }
  if (set == CodeSet::kC) PadToEven(data);

  std::vector<int> values;
  values.push_back(set == CodeSet::kA ? kStartA : set == CodeSet::kB ? kStartB : kStartC);
  if (ean) values.push_back(kFnc1);
  const std::vector<int> dataValues = DataValues(set, data);
  values.insert(values.end(), dataValues.begin(), dataValues.end());

  long long sum = values[0];
  for (size_t i = 1; i < values.size(); ++i) {
    sum = (sum + static_cast<long long>(values[i]) * static_cast<long long>(i)) % kModulus;
  }
  values.push_back(static_cast<int>(sum % kModulus));

  for (int value : values) AppendModules(elements, kCode128[static_cast<size_t>(value)]);
  AppendModules(elements, kStop);
}

}  // namespace talor
