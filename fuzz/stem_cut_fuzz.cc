// StemCut on arbitrary bytes: never more than the word's length minus one,
// never negative, and the same for a word and its upper-case form.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "text/encoding.h"
#include "text/stemmer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view word(reinterpret_cast<const char*>(data), size);
  int cut = talor::StemCut(word);
  if (cut < 0 || (cut > 0 && static_cast<size_t>(cut) >= word.size())) std::abort();
  if (talor::StemCut(talor::AnsiUpperCase(word)) != cut) std::abort();
  return 0;
}
