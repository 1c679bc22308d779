// The EAN and UPC family: seven modules a digit in the number sets A (odd
// parity), B (even parity) and C (right half), guard patterns, and the UPC
// supplements.

#include <array>
#include <string_view>

#include "barcode/check_digit.h"
#include "barcode/elements.h"
#include "barcode/symbologies.h"

namespace talor {
namespace {

// Module counts of set A from a space; set C has the same counts from a bar,
// set B the reversed counts from a space.
constexpr std::array<std::string_view, 10> kSetA = {
    "3211", "2221", "2122", "1411", "1132", "1231", "1114", "1312", "1213", "3112",
};

constexpr std::string_view kGuard = "505";
constexpr std::string_view kCentreGuard = "05050";
constexpr std::string_view kUpcEEndGuard = "050505";
constexpr std::string_view kSupplementStart = "506";
constexpr std::string_view kSupplementSeparator = "05";

// 'A' odd parity (set A), 'B' even parity (set B), by the first EAN-13 digit.
constexpr std::array<std::string_view, 10> kEan13Parity = {
    "AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB",
    "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA",
};
// UPC-E parities of number system 0 by the check digit; number system 1 is
// the complement.
constexpr std::array<std::string_view, 10> kUpcEParity = {
    "BBBAAA", "BBABAA", "BBAABA", "BBAAAB", "BABBAA",
    "BAABBA", "BAAABB", "BABABA", "BABAAB", "BAABAB",
};
constexpr std::array<std::string_view, 10> kSupplement5Parity = {
    "BBAAA", "BABAA", "BAABA", "BAAAB", "ABBAA", "AABBA", "AAABB", "ABABA", "ABAAB", "AABAB",
};
constexpr std::array<std::string_view, 4> kSupplement2Parity = {"AA", "AB", "BA", "BB"};

constexpr size_t kEan8Length = 8;
constexpr size_t kEan13Length = 13;
constexpr size_t kUpcALength = 12;
constexpr size_t kUpcELength = 7;
constexpr size_t kUpcEDataLength = 6;

void AppendDigit(char digit, char set, std::string& elements) {
  const std::string_view counts = kSetA[static_cast<size_t>(digit - '0')];
  if (set == 'C') {
    AppendModules(elements, counts, true);
  } else if (set == 'A') {
    AppendModules(elements, counts, false);
  } else {
    const std::string reversed(counts.rbegin(), counts.rend());
    AppendModules(elements, reversed, false);
  }
}

std::string PadLeft(std::string_view digits, size_t length) {
  if (digits.size() >= length) return std::string(digits);
  return std::string(length - digits.size(), '0') + std::string(digits);
}

bool WantsCheckDigit(CheckOption check) {
  return check.wanted && check.method != TCheckSumMethod::csmNone;
}

// The digits of an EAN symbol of `length` digits: padded to `length`, or to
// one less and completed by the check digit.
std::string CompleteEan(const std::string& text, size_t length, CheckOption check) {
  if (!WantsCheckDigit(check)) return PadLeft(text, length);
  return DoCheckSumming(PadLeft(text, length - 1), check.method);
}

void AppendEan13(std::string_view digits, std::string& elements) {
  const std::string_view parity = kEan13Parity[static_cast<size_t>(digits[0] - '0')];
  elements += kGuard;
  for (size_t i = 0; i < 6; ++i) AppendDigit(digits[1 + i], parity[i], elements);
  elements += kCentreGuard;
  for (size_t i = 7; i < kEan13Length; ++i) AppendDigit(digits[i], 'C', elements);
  elements += kGuard;
}

Status LengthError(std::string_view name) {
  return Status::Error("Invalid Text len (" + std::string(name) + ")");
}

}  // namespace

Status EncodeEan8(const std::string& text, CheckOption check, std::string& elements) {
  const std::string digits = CompleteEan(text, kEan8Length, check);
  if (digits.size() != kEan8Length) return LengthError("EAN8");
  elements += kGuard;
  for (size_t i = 0; i < 4; ++i) AppendDigit(digits[i], 'A', elements);
  elements += kCentreGuard;
  for (size_t i = 4; i < kEan8Length; ++i) AppendDigit(digits[i], 'C', elements);
  elements += kGuard;
  return Status::Ok();
}

Status EncodeEan13(const std::string& text, CheckOption check, std::string& elements) {
  const std::string digits = CompleteEan(text, kEan13Length, check);
  if (digits.size() != kEan13Length) return LengthError("EAN13");
  AppendEan13(digits, elements);
  return Status::Ok();
}

Status EncodeUpcA(std::string& text, CheckOption check, std::string& elements) {
  if (text.size() > kUpcALength) return LengthError("UPC_A");
  if (WantsCheckDigit(check)) {
    text = DoCheckSumming(PadLeft(text, kUpcALength - 1).substr(0, kUpcALength - 1), check.method);
  } else {
    text = PadLeft(text, kUpcALength);
  }
  AppendEan13("0" + text, elements);
  return Status::Ok();
}

Status EncodeUpcE(int numberSystem, std::string& text, CheckOption check, std::string& elements) {
  if (text.size() > kUpcELength) return LengthError("UPC_E");
  if (WantsCheckDigit(check)) {
    text = PadLeft(text, kUpcEDataLength).substr(0, kUpcEDataLength);
  } else {
    text = PadLeft(text, kUpcELength);
  }
  const std::string data = text.substr(0, kUpcEDataLength);
  // Readers accept only the check digit of the expanded UPC-A number, and in
  // UPC-E it is carried by the parities alone.
  const int checkDigit = CheckDigitModulo10(ExpandUpcE(data, numberSystem));
  if (WantsCheckDigit(check)) text.push_back(static_cast<char>('0' + checkDigit));

  const std::string_view parity = kUpcEParity[static_cast<size_t>(checkDigit)];
  elements += kGuard;
  for (size_t i = 0; i < kUpcEDataLength; ++i) {
    char set = parity[i];
    if (numberSystem == 1) set = set == 'A' ? 'B' : 'A';
    AppendDigit(data[i], set, elements);
  }
  elements += kUpcEEndGuard;
  return Status::Ok();
}

Status EncodeUpcSupplement2(const std::string& text, std::string& elements) {
  if (text.size() > 2) return LengthError("UPC Supp2");
  const std::string digits = PadLeft(text, 2);
  const int value = (digits[0] - '0') * 10 + (digits[1] - '0');
  const std::string_view parity = kSupplement2Parity[static_cast<size_t>(value % 4)];
  elements += kSupplementStart;
  AppendDigit(digits[0], parity[0], elements);
  elements += kSupplementSeparator;
  AppendDigit(digits[1], parity[1], elements);
  return Status::Ok();
}

Status EncodeUpcSupplement5(const std::string& text, std::string& elements) {
  if (text.size() > 5) return LengthError("UPC Supp5");
  const std::string digits = PadLeft(text, 5);
  int sum = 0;
  for (size_t i = 0; i < digits.size(); ++i) sum += (digits[i] - '0') * (i % 2 == 0 ? 3 : 9);
  const std::string_view parity = kSupplement5Parity[static_cast<size_t>(sum % 10)];
  elements += kSupplementStart;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0) elements += kSupplementSeparator;
    AppendDigit(digits[i], parity[i], elements);
  }
  return Status::Ok();
}

}  // namespace talor
