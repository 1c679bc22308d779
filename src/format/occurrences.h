// The occurrences of a field command's selector: the lines of a record with
// one tag, or the non-empty lines of a global variable; and the index of a
// record's fields by tag that finds the former.

#ifndef TALOR_FORMAT_OCCURRENCES_H_
#define TALOR_FORMAT_OCCURRENCES_H_

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "text/string_list.h"

namespace talor {

// The field lines of a record grouped by tag. The first request for a tag
// scans the record once; later requests for it, and the k-th occurrence of a
// repeat group's iteration k, need no scan. The index holds line numbers,
// not texts, so changing the text of a field leaves it valid; whoever adds,
// deletes or retags fields, or changes the record indexed, must Reset it.
class FieldIndex {
 public:
  // Forgets the tags found so far and indexes `record` from now on. Keeps
  // the buffers, so that indexing a record allocates nothing once they have
  // grown.
  void Reset(const StringList* record) {
    record_ = record;
    tags_.clear();
    lines_.clear();
  }

  // The numbers of the record's field lines (from line 3 on) tagged `tag`,
  // in record order. Valid until the next call.
  std::span<const uint32_t> Lines(int32_t tag) {
    uint32_t& slot = slots_[static_cast<uint32_t>(tag) % slots_.size()];
    if (slot < tags_.size() && tags_[slot].tag == tag) return Span(tags_[slot]);
    for (uint32_t i = 0; i < tags_.size(); ++i) {
      if (tags_[i].tag == tag) {
        slot = i;
        return Span(tags_[i]);
      }
    }
    const auto begin = static_cast<uint32_t>(lines_.size());
    // The record is read through locals: the appends below could otherwise
    // alias it for the compiler, which would reload it for every line.
    const ListLine* const fields = record_->lines().data();
    const size_t count = record_->size();
    for (size_t line = 3; line < count; ++line) {
      if (fields[line].object == tag) lines_.push_back(static_cast<uint32_t>(line));
    }
    slot = static_cast<uint32_t>(tags_.size());
    tags_.push_back({tag, begin, static_cast<uint32_t>(lines_.size())});
    return Span(tags_.back());
  }

 private:
  struct TagLines {
    int32_t tag;
    uint32_t begin;  // lines_[begin, end)
    uint32_t end;
  };
  std::span<const uint32_t> Span(const TagLines& entry) const {
    return {lines_.data() + entry.begin, entry.end - entry.begin};
  }

  const StringList* record_ = nullptr;
  std::vector<TagLines> tags_;
  std::vector<uint32_t> lines_;
  // By tag modulo the size: the place in tags_ where the tag was last found
  // (checked before use, so never cleared).
  std::array<uint32_t, 32> slots_{};
};

// Walks the occurrences in order without copying them. The record or the
// variable's text, and the line numbers, must outlive the walk and stay
// unchanged during it.
class Occurrences {
 public:
  // The lines `lines` of `record` (from a FieldIndex), empty values included.
  Occurrences(const StringList& record, std::span<const uint32_t> lines)
      : record_(&record), lines_(lines) {}
  // The lines of `variable` split at CR, LF and CR LF, empty lines skipped.
  explicit Occurrences(std::string_view variable) : text_(variable) {}

  // Sets `value` to the next occurrence; false when there is none left.
  bool Next(std::string_view& value) {
    if (record_ != nullptr) {
      if (next_ >= lines_.size()) return false;
      value = (*record_)[lines_[next_++]].text;
      return true;
    }
    while (position_ < text_.size()) {
      size_t end = text_.find_first_of("\r\n", position_);
      if (end == std::string_view::npos) end = text_.size();
      std::string_view line = text_.substr(position_, end - position_);
      position_ = end;
      if (position_ < text_.size() && text_[position_] == '\r') ++position_;
      if (position_ < text_.size() && text_[position_] == '\n') ++position_;
      if (!line.empty()) {
        value = line;
        return true;
      }
    }
    return false;
  }

  // Passes over `count` occurrences (at once for a record's); false when
  // fewer were left.
  bool Skip(int32_t count) {
    if (count <= 0) return true;
    if (record_ != nullptr) {
      const size_t left = lines_.size() - next_;
      next_ += std::min(left, static_cast<size_t>(count));
      return left >= static_cast<size_t>(count);
    }
    std::string_view value;
    for (int32_t i = 0; i < count; ++i) {
      if (!Next(value)) return false;
    }
    return true;
  }

 private:
  const StringList* record_ = nullptr;
  std::span<const uint32_t> lines_;
  size_t next_ = 0;
  std::string_view text_;
  size_t position_ = 0;
};

}  // namespace talor

#endif  // TALOR_FORMAT_OCCURRENCES_H_
