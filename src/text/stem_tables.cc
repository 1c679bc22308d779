#include "text/stem_tables.h"

#include <algorithm>

namespace talor {
namespace {

constexpr size_t kShortestKeepTail = 3;
constexpr size_t kLongestKeepTail = 10;

// Byte-wise order: std::string_view compares as unsigned char, which is the
// order the tables are sorted in.
bool Contains(std::span<const std::string_view> table, std::string_view word) {
  return std::binary_search(table.begin(), table.end(), word);
}

}  // namespace

bool IsStemException(std::string_view ansiWord) { return Contains(StemExceptionWords(), ansiWord); }

bool EndsInKeepTail(std::string_view ansiWord) {
  for (size_t k = kLongestKeepTail; k >= kShortestKeepTail; --k) {
    if (ansiWord.size() >= k && Contains(StemKeepTails(), ansiWord.substr(ansiWord.size() - k))) {
      return true;
    }
  }
  return false;
}

}  // namespace talor
