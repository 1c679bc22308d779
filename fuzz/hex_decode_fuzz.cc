// HexDecode on arbitrary text, and the HexEncode/HexDecode round trip.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/hex_coding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string decoded = talor::HexDecode(input);
  if (decoded.size() != input.size() / 2) std::abort();
  std::string encoded = talor::HexEncode(input);
  if (encoded.size() != 2 * input.size() || talor::HexDecode(encoded) != input) std::abort();
  // Decoding then encoding gives back the upper-cased input where every pair
  // was valid; a bad pair is always `?`, encoded as 3F.
  std::string again = talor::HexEncode(decoded);
  for (size_t i = 0; i + 1 < input.size(); i += 2) {
    bool valid = std::isxdigit(static_cast<unsigned char>(input[i])) &&
                 std::isxdigit(static_cast<unsigned char>(input[i + 1]));
    char high = static_cast<char>(std::toupper(static_cast<unsigned char>(input[i])));
    char low = static_cast<char>(std::toupper(static_cast<unsigned char>(input[i + 1])));
    if (valid && (again[i] != high || again[i + 1] != low)) std::abort();
    if (!valid && (again[i] != '3' || again[i + 1] != 'F')) std::abort();
  }
  return 0;
}
