// The list type that the whole system passes around: every line is a byte
// string with a 32-bit signed integer beside it. Records, server answers,
// parameter lists, favourites and history are all StringLists.

#ifndef TALOR_TEXT_STRING_LIST_H_
#define TALOR_TEXT_STRING_LIST_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talor {

struct ListLine {
  std::string text;
  int32_t object = 0;

  bool operator==(const ListLine&) const = default;
};

class StringList {
 public:
  StringList() = default;
  StringList(std::initializer_list<ListLine> lines) : lines_(lines) {}

  size_t size() const { return lines_.size(); }
  int Count() const { return static_cast<int>(lines_.size()); }
  bool empty() const { return lines_.empty(); }

  // REQUIRES: index < size().
  ListLine& operator[](size_t index) { return lines_[index]; }
  const ListLine& operator[](size_t index) const { return lines_[index]; }

  void Add(std::string text, int32_t object = 0) { lines_.push_back({std::move(text), object}); }
  // Inserts before line `index`; an index at or past the end appends.
  void Insert(size_t index, std::string text, int32_t object = 0);
  // Removes line `index`; an index past the end changes nothing.
  void Delete(size_t index);
  void Clear() { lines_.clear(); }
  void Truncate(size_t count) {
    if (count < lines_.size()) lines_.resize(count);
  }

  // Replaces the contents by the lines of `text`. CR, LF and CR LF each end
  // a line; a final line break does not start another (empty) line. Every
  // object is 0.
  void SetText(std::string_view text);
  // Every line followed by CR LF, the last one included.
  std::string Text() const;
  // The lines joined by `separator` with nothing after the last one.
  std::string Join(std::string_view separator) const;

  auto begin() { return lines_.begin(); }
  auto end() { return lines_.end(); }
  auto begin() const { return lines_.begin(); }
  auto end() const { return lines_.end(); }

  std::vector<ListLine>& lines() { return lines_; }
  const std::vector<ListLine>& lines() const { return lines_; }

  bool operator==(const StringList&) const = default;

 private:
  std::vector<ListLine> lines_;
};

// Splits `text` into lines the way StringList::SetText does.
std::vector<std::string_view> SplitLines(std::string_view text);

// A line as its place in a text that may still move (a buffer that grows).
struct LineSpan {
  size_t offset = 0;
  size_t size = 0;
};

// Splits a text into lines as SplitLines does while the text still grows,
// one stretch at a time, so that each stretch is split while it is fresh in
// the cache. The lines are kept as spans, as the text may move between calls.
class LineSplitter {
 public:
  // At most `maxBreaks` line-break bytes (CR and LF count one each).
  explicit LineSplitter(size_t maxBreaks = SIZE_MAX) : maxBreaks_(maxBreaks) {}

  // Splits text[scanned(), end), appending every line ended there. `text`
  // is the whole text so far, from its first byte. Returns false as soon as
  // the text turns out to hold more than maxBreaks line breaks; the lines
  // then hold an unspecified prefix.
  // REQUIRES: scanned() <= end <= text.size().
  bool Split(std::string_view text, size_t end, std::vector<LineSpan>& lines);
  // Ends the text at `end`: splits what is left and appends the last line
  // when it did not end with a line break.
  bool Finish(std::string_view text, size_t end, std::vector<LineSpan>& lines);
  size_t scanned() const { return scanned_; }

 private:
  size_t maxBreaks_;
  size_t breaks_ = 0;
  size_t scanned_ = 0;    // bytes split so far
  size_t lineStart_ = 0;  // where the line being read began
};

}  // namespace talor

#endif  // TALOR_TEXT_STRING_LIST_H_
