#include "barcode/check_digit.h"

namespace talor {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int CheckDigitModulo10(std::string_view data) {
  int sum = 0;
  int weight = 3;
  for (auto it = data.rbegin(); it != data.rend(); ++it) {
    if (!IsDigit(*it)) continue;
    sum += (*it - '0') * weight;
    weight = 4 - weight;
  }
  return (10 - sum % 10) % 10;
}

std::string DoCheckSumming(std::string_view data, TCheckSumMethod method) {
  std::string result(data);
  if (method == TCheckSumMethod::csmModulo10) {
    result.push_back(static_cast<char>('0' + CheckDigitModulo10(data)));
  }
  return result;
}

int CheckDigitMsi(std::string_view digits) {
  int sum = 0;
  bool doubled = true;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    int value = *it - '0';
    if (doubled) {
      value *= 2;
      value = value / 10 + value % 10;
    }
    sum += value;
    doubled = !doubled;
  }
  return (10 - sum % 10) % 10;
}

std::string ExpandUpcE(std::string_view digits, int numberSystem) {
  std::string result(1, static_cast<char>('0' + numberSystem));
  const std::string_view d = digits;
  switch (d[5]) {
    case '0':
    case '1':
    case '2':
      result.append(d.substr(0, 2)).push_back(d[5]);
      result.append("0000").append(d.substr(2, 3));
      break;
    case '3':
      result.append(d.substr(0, 3)).append("00000").append(d.substr(3, 2));
      break;
    case '4':
      result.append(d.substr(0, 4)).append("00000").push_back(d[4]);
      break;
    default:
      result.append(d.substr(0, 5)).append("0000").push_back(d[5]);
      break;
  }
  return result;
}

}  // namespace talor
