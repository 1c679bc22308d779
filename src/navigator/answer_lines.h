// Small readers shared by the commands: parameter numbers with a fallback,
// the lines of a server answer joined into page text, and the notice of a
// refused request.

#ifndef TALOR_NAVIGATOR_ANSWER_LINES_H_
#define TALOR_NAVIGATOR_ANSWER_LINES_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "client/server_codes.h"
#include "text/html_coding.h"
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

// The non-empty words of a `|`-separated mark-word text, in order.
inline std::vector<std::string_view> SplitMarkWords(std::string_view markWords) {
  std::vector<std::string_view> words;
  size_t start = 0;
  while (start <= markWords.size()) {
    const size_t bar = markWords.find('|', start);
    std::string_view word = markWords.substr(start, bar - start);
    if (!word.empty()) words.push_back(word);
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  return words;
}

// What a page shows in place of its hits when the server refused the
// request with a negative code in line 0 of `answer`; empty otherwise (no
// answer at all is reported by the transport itself).
inline std::string RequestFailureNotice(const StringList& answer) {
  std::optional<int32_t> code = AnswerErrorCode(answer);
  if (!code) return {};
  return "<p class=\"talor-error\" role=\"alert\">Запрос не выполнен: " +
         HtmlEscape(DescribeServerCode(*code)) + ".</p>";
}

}  // namespace talor

#endif  // TALOR_NAVIGATOR_ANSWER_LINES_H_
