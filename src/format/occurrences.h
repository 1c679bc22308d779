// The occurrences of a field command's selector: the lines of a record with
// one tag, or the non-empty lines of a global variable.

#ifndef TALOR_FORMAT_OCCURRENCES_H_
#define TALOR_FORMAT_OCCURRENCES_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/string_list.h"

namespace talor {

// Walks the occurrences in order without copying them. The record or the
// variable's text must outlive the walk and stay unchanged during it.
class Occurrences {
 public:
  // The field lines of `record` (from line 3 on) whose object is `tag`,
  // empty values included.
  Occurrences(const StringList& record, int32_t tag) : record_(&record), tag_(tag) {}
  // The lines of `variable` split at CR, LF and CR LF, empty lines skipped.
  explicit Occurrences(std::string_view variable) : text_(variable) {}

  // Sets `value` to the next occurrence; false when there is none left.
  bool Next(std::string_view& value) {
    if (record_ != nullptr) {
      while (line_ < record_->size()) {
        const ListLine& line = (*record_)[line_++];
        if (line.object == tag_) {
          value = line.text;
          return true;
        }
      }
      return false;
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

 private:
  const StringList* record_ = nullptr;
  int32_t tag_ = 0;
  size_t line_ = 3;  // the first field line
  std::string_view text_;
  size_t position_ = 0;
};

}  // namespace talor

#endif  // TALOR_FORMAT_OCCURRENCES_H_
