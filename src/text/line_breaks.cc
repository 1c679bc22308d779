#include "text/line_breaks.h"

namespace talor {

void EncodeLineBreaks(std::string& text) {
  for (char& c : text) {
    if (c == '\r') {
      c = kEncodedCr;
    } else if (c == '\n') {
      c = kEncodedLf;
    }
  }
}

void DecodeLineBreaks(std::string& text) {
  for (char& c : text) {
    if (c == kEncodedCr) {
      c = '\r';
    } else if (c == kEncodedLf) {
      c = '\n';
    }
  }
}

}  // namespace talor
