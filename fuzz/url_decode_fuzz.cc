// UrlDecodeForm on arbitrary form data: it must never fail, never grow a
// byte into more than two (only `&` becomes CR LF), and must undo UrlEncode.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/url_coding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string decoded = talor::UrlDecodeForm(input);
  if (decoded.size() > 2 * input.size()) std::abort();
  if (talor::UrlDecodeForm(talor::UrlEncode(input)) != input) std::abort();
  return 0;
}
