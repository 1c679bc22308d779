#include "text/decimal.h"

#include <algorithm>

namespace talor {
namespace {

// The magnitude of the smallest 64-bit integer; magnitudes past it are held
// as one more than it, so that any length of digits reads without overflow.
constexpr uint64_t kMagnitudeLimit = uint64_t{1} << 63;
constexpr uint64_t kBeyond = kMagnitudeLimit + 1;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t SkipBytes(std::string_view text, size_t pos, std::string_view bytes) {
  while (pos < text.size() && bytes.find(text[pos]) != std::string_view::npos) ++pos;
  return pos;
}

// Whether text[pos] is a sign the options allow.
bool IsAllowedSign(std::string_view text, size_t pos, const DecimalOptions& options) {
  if (pos >= text.size()) return false;
  return (text[pos] == '-' && options.minusSign) || (text[pos] == '+' && options.plusSign);
}

uint64_t AddDigit(uint64_t magnitude, char digit) {
  if (magnitude > kMagnitudeLimit / 10) return kBeyond;
  return std::min(magnitude * 10 + static_cast<uint64_t>(digit - '0'), kBeyond);
}

// The signed value of a magnitude, brought into the options' range.
std::optional<int64_t> Ranged(bool negative, uint64_t magnitude, const DecimalOptions& options) {
  const bool belowInt64 = negative && magnitude > kMagnitudeLimit;
  const bool aboveInt64 = !negative && magnitude > static_cast<uint64_t>(kDecimal64Max);
  int64_t value = 0;
  if (negative && !belowInt64) {
    value = magnitude == kMagnitudeLimit ? kDecimal64Min : -static_cast<int64_t>(magnitude);
  } else if (!negative && !aboveInt64) {
    value = static_cast<int64_t>(magnitude);
  }
  if (belowInt64 || value < options.min) {
    return options.saturate ? std::optional<int64_t>(options.min) : std::nullopt;
  }
  if (aboveInt64 || value > options.max) {
    return options.saturate ? std::optional<int64_t>(options.max) : std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<int64_t> ParseDecimal(std::string_view text, const DecimalOptions& options,
                                    size_t* used) {
  if (used != nullptr) *used = 0;
  size_t pos = SkipBytes(text, 0, options.leadingBlanks);
  const bool negative = IsAllowedSign(text, pos, options) && text[pos] == '-';
  if (IsAllowedSign(text, pos, options)) ++pos;
  const size_t digits = pos;
  uint64_t magnitude = 0;
  for (; pos < text.size() && IsDigit(text[pos]); ++pos) magnitude = AddDigit(magnitude, text[pos]);
  if (pos == digits) return std::nullopt;
  if (!options.prefix) {
    pos = SkipBytes(text, pos, options.trailingBlanks);
    if (pos != text.size()) return std::nullopt;
  }
  std::optional<int64_t> value = Ranged(negative, magnitude, options);
  if (value && used != nullptr) *used = pos;
  return value;
}

std::optional<int32_t> ParseDecimal32(std::string_view text, const DecimalOptions& options) {
  const std::optional<int64_t> value = ParseDecimal(text, options);
  if (!value || *value < std::numeric_limits<int32_t>::min() ||
      *value > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(*value);
}

}  // namespace talor
