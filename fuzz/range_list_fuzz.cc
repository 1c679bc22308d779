#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/range_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string expanded = talor::ExpandRangeList(text);
  // Expanding twice must change nothing more: the result holds no ranges.
  (void)talor::ExpandRangeList(expanded);
  return 0;
}
