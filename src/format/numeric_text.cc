#include "format/numeric_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace talor {
namespace {

constexpr size_t kMaxNumberText = 256;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int ClampInt(long double value, int low, int high) {
  if (!(value > low)) return low;
  if (value >= high) return high;
  return static_cast<int>(value);
}

std::string RightAligned(std::string text, int width) {
  if (static_cast<int>(text.size()) < width) {
    text.insert(0, static_cast<size_t>(width) - text.size(), ' ');
  }
  return text;
}

std::string Printed(const char* format, int precision, long double x) {
  char buffer[128];
  int n = std::snprintf(buffer, sizeof buffer, format, precision, x);
  if (n < 0) return {};
  if (static_cast<size_t>(n) < sizeof buffer) return std::string(buffer, static_cast<size_t>(n));
  std::string big(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), format, precision, x);
  big.resize(static_cast<size_t>(n));
  return big;
}

}  // namespace

NumberScan ScanNumbers(std::string_view text, bool firstOnly) {
  NumberScan scan;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    while (i < n && text[i] != '+' && text[i] != '-' && !IsDigit(text[i])) ++i;
    if (i >= n) break;
    const size_t start = i;
    if (text[i] == '+' || text[i] == '-') ++i;
    if (i >= n || !IsDigit(text[i])) continue;  // a sign alone
    while (i < n && (IsDigit(text[i]) || text[i] == '.')) ++i;
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
      size_t j = i + 1;
      if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
      if (j < n && IsDigit(text[j])) {
        i = j;
        while (i < n && IsDigit(text[i])) ++i;
      }
    }
    // strtold needs a terminated copy; the stack holds it.
    char number[kMaxNumberText + 1];
    const size_t length = std::min(i - start, kMaxNumberText);
    text.copy(number, length, start);
    number[length] = '\0';
    char* end = nullptr;
    long double value = std::strtold(number, &end);
    if (end == number) value = 0;
    if (scan.count == 0) {
      scan.first = scan.min = scan.max = value;
    } else {
      scan.min = std::min(scan.min, value);
      scan.max = std::max(scan.max, value);
    }
    scan.sum += value;
    ++scan.count;
    if (firstOnly) break;
  }
  return scan;
}

std::string FormatFNumber(long double x, int arguments, long double width, long double decimals) {
  if (x == 0) return {};
  const int w = arguments >= 2 ? ClampInt(width, 0, kMaxFWidth) : 0;
  if (arguments <= 1) return Printed("%.*LE", 14, x);
  if (arguments == 2) return RightAligned(Printed("%.*LE", ClampInt(w - 7, 1, 17), x), w);
  const int d = ClampInt(decimals, 0, kMaxFDecimals);
  if (d > 0) return RightAligned(Printed("%.*Lf", d, x), w);
  if (!(std::fabs(x - 1) < 2147483647.0L)) return std::string(static_cast<size_t>(w), '*');
  return RightAligned(Printed("%.*Lf", 0, std::nearbyint(x)), w);
}

}  // namespace talor
