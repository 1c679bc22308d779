#include "text/counted_lines.h"

#include <algorithm>
#include <string>

#include "text/line_breaks.h"
#include "text/number_text.h"

namespace talor {

void ParseCountedLines(StringList& list, std::string_view answer) {
  std::string text(answer);
  DecodeLineBreaks(text);
  list.Clear();
  bool first = true;
  for (std::string_view line : SplitLines(text)) {
    if (first) {
      list.Add(std::string(line));
      first = false;
      continue;
    }
    size_t hash = line.find('#');
    if (hash == std::string_view::npos) {
      list.Add(std::string(), DecimalToInt(line));
    } else {
      list.Add(std::string(line.substr(hash + 1)), DecimalToInt(line.substr(0, hash)));
    }
  }
}

void SortByObjects(StringList& list) {
  std::stable_sort(list.begin(), list.end(),
                   [](const ListLine& a, const ListLine& b) { return a.object < b.object; });
}

}  // namespace talor
