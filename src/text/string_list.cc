#include "text/string_list.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <bit>
#include <cstdint>

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

namespace {

// Calls onBreak with the position of every CR and LF byte of `text`, in
// order, until it returns false; returns whether it never did. Answers of
// tens of megabytes go through here, so 16 bytes are tested at a time.
template <typename OnBreak>
bool ForEachLineBreak(std::string_view text, OnBreak onBreak) {
  const char* data = text.data();
  size_t i = 0;
#ifdef __SSE2__
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    auto mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf))));
    for (; mask != 0; mask &= mask - 1) {
      if (!onBreak(i + static_cast<size_t>(std::countr_zero(mask)))) return false;
    }
  }
#endif
  for (; i < text.size(); ++i) {
    if ((data[i] == '\r' || data[i] == '\n') && !onBreak(i)) return false;
  }
  return true;
}

}  // namespace

bool SplitLinesWithin(std::string_view text, size_t maxBreaks,
                      std::vector<std::string_view>& lines) {
  size_t start = 0;
  size_t breaks = 0;
  const bool within = ForEachLineBreak(text, [&](size_t at) {
    if (++breaks > maxBreaks) return false;
    // Every CR ends a line, so an LF right after one completes a CR LF.
    if (text[at] == '\n' && at > 0 && text[at - 1] == '\r') {
      start = at + 1;
      return true;
    }
    lines.push_back(text.substr(start, at - start));
    start = at + 1;
    return true;
  });
  if (!within) return false;
  if (start < text.size()) lines.push_back(text.substr(start));
  return true;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  SplitLinesWithin(text, SIZE_MAX, lines);
  return lines;
}

void StringList::SetText(std::string_view text) {
  // Built aside first: `text` may view into this list's own lines.
  const std::vector<std::string_view> views = SplitLines(text);
  std::vector<ListLine> lines;
  lines.reserve(views.size());
  for (std::string_view line : views) lines.push_back({std::string(line), 0});
  lines_ = std::move(lines);
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
