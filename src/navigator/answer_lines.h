// Small readers shared by the commands: parameter numbers with a fallback
// and the lines of a server answer joined into page text.

#ifndef TALOR_NAVIGATOR_ANSWER_LINES_H_
#define TALOR_NAVIGATOR_ANSWER_LINES_H_

#include <cstdint>
#include <string>

#include "text/number_text.h"
#include "text/string_list.h"

namespace talor {

// `text` read as a decimal integer; `fallback` when it is empty or not one.
inline int32_t IntegerOr(const std::string& text, int32_t fallback) {
  return text.empty() ? fallback : DecimalToInt(text, fallback);
}

// The lines of `list` from line `from` on, joined by CR LF.
inline std::string JoinLinesFrom(const StringList& list, size_t from) {
  std::string text;
  for (size_t i = from; i < list.size(); ++i) {
    if (i > from) text += "\r\n";
    text += list[i].text;
  }
  return text;
}

}  // namespace talor

#endif  // TALOR_NAVIGATOR_ANSWER_LINES_H_
