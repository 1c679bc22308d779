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

#ifdef __SSE2__
// One bit for every CR or LF among the 16 bytes at `bytes`.
inline uint64_t LineBreakBits(const char* bytes) {
  const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
  const __m128i breaks = _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('\r')),
                                      _mm_cmpeq_epi8(block, _mm_set1_epi8('\n')));
  return static_cast<uint32_t>(_mm_movemask_epi8(breaks));
}
#endif

// Calls onBreak with the position of every CR and LF byte of `text`, in
// order, until it returns false; returns whether it never did. Answers of
// tens of megabytes go through here, so 64 bytes are tested at a time.
template <typename OnBreak>
bool ForEachLineBreak(std::string_view text, OnBreak onBreak) {
  const char* data = text.data();
  size_t i = 0;
#ifdef __SSE2__
  for (; i + 64 <= text.size(); i += 64) {
    uint64_t mask = LineBreakBits(data + i) | LineBreakBits(data + i + 16) << 16 |
                    LineBreakBits(data + i + 32) << 32 | LineBreakBits(data + i + 48) << 48;
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

bool LineSplitter::Split(std::string_view text, size_t end, std::vector<LineSpan>& lines) {
  const size_t from = scanned_;
  scanned_ = end;
  return ForEachLineBreak(text.substr(from, end - from), [&](size_t relative) {
    if (++breaks_ > maxBreaks_) return false;
    const size_t at = from + relative;
    // Every CR ends a line, so an LF right after one completes a CR LF.
    if (text[at] != '\n' || at == 0 || text[at - 1] != '\r') {
      lines.push_back({lineStart_, at - lineStart_});
    }
    lineStart_ = at + 1;
    return true;
  });
}

bool LineSplitter::Finish(std::string_view text, size_t end, std::vector<LineSpan>& lines) {
  if (!Split(text, end, lines)) return false;
  if (lineStart_ < end) lines.push_back({lineStart_, end - lineStart_});
  lineStart_ = end;
  return true;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<LineSpan> spans;
  LineSplitter().Finish(text, text.size(), spans);
  std::vector<std::string_view> lines;
  lines.reserve(spans.size());
  for (const LineSpan& span : spans) lines.push_back(text.substr(span.offset, span.size));
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
