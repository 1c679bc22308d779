// talor-demo-action: a small library of external functions for command 11
// of the navigator (and key +8 of the format language), used by the demo
// catalogue's page and by the tests. Each function has the external
// function interface: the input text, an output buffer and its capacity;
// a result other than 0 says that the buffer holds a NUL-terminated text.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

std::string HtmlEscaped(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string PercentEncoded(std::string_view text) {
  std::string encoded;
  for (unsigned char c : text) {
    const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (plain) {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHexDigits[c >> 4];
      encoded += kHexDigits[c & 15];
    }
  }
  return encoded;
}

// Copies `text` (cut to `capacity` - 1 bytes) and its NUL into `out`.
int32_t Answer(std::string_view text, char* out, int32_t capacity) {
  if (out == nullptr || capacity <= 0) return 0;
  const size_t size = std::min(text.size(), static_cast<size_t>(capacity) - 1);
  std::memcpy(out, text.data(), size);
  out[size] = '\0';
  return 1;
}

std::string_view Input(const char* in) { return in != nullptr ? std::string_view(in) : ""; }

}  // namespace

extern "C" {

// A page that shows the text it was given and its length in bytes.
__attribute__((visibility("default"))) int32_t TalorDemoPage(const char* in, char* out,
                                                             int32_t capacity) {
  const std::string_view text = Input(in);
  const std::string page =
      "<html><head><meta charset=\"utf-8\"><title>Внешняя функция</title></head><body>"
      "<h1>Ответ внешней функции</h1><p>Получен текст: <b class=\"demo-data\">" +
      HtmlEscaped(text) + "</b> (" + std::to_string(text.size()) +
      " байт).</p><p><a href=\"TALOR:3,1,DEMO,index.html\">На главную страницу</a></p>"
      "</body></html>";
  return Answer(page, out, capacity);
}

// A pseudo-URL: the search of the demo catalogue for the keyword given.
__attribute__((visibility("default"))) int32_t TalorDemoSearch(const char* in, char* out,
                                                               int32_t capacity) {
  const std::string url =
      "TALOR:?C21COM=2&I21DBN=DEMO&PFTNAME=brief&S21CNR=5&1S21STR=" + PercentEncoded(Input(in)) +
      "&1S21P03=K%3D&1S21P02=1";
  return Answer(url, out, capacity);
}

// Writes a text but says that there is none.
__attribute__((visibility("default"))) int32_t TalorDemoSilent(const char* in, char* out,
                                                               int32_t capacity) {
  Answer(Input(in), out, capacity);
  return 0;
}

// Fills the whole buffer without a NUL: the caller must end the text itself.
__attribute__((visibility("default"))) int32_t TalorDemoFill(const char*, char* out,
                                                             int32_t capacity) {
  if (out == nullptr || capacity <= 0) return 0;
  std::memset(out, 'x', static_cast<size_t>(capacity));
  return 1;
}

}  // extern "C"
