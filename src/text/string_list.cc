#include "text/string_list.h"

namespace talor {

void StringList::Insert(size_t index, std::string text, int32_t object) {
  if (index > lines_.size()) index = lines_.size();
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index),
                ListLine{std::move(text), object});
}

void StringList::Delete(size_t index) {
  if (index < lines_.size()) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
  }
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> result;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      result.push_back(text.substr(start, i - start));
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) result.push_back(text.substr(start));
  return result;
}

void StringList::SetText(std::string_view text) {
  lines_.clear();
  for (std::string_view line : SplitLines(text)) lines_.push_back({std::string(line), 0});
}

std::string StringList::Text() const {
  std::string result;
  size_t total = 0;
  for (const ListLine& line : lines_) total += line.text.size() + 2;
  result.reserve(total);
  for (const ListLine& line : lines_) {
    result += line.text;
    result += "\r\n";
  }
  return result;
}

std::string StringList::Join(std::string_view separator) const {
  std::string result;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) result += separator;
    result += lines_[i].text;
  }
  return result;
}

}  // namespace talor
