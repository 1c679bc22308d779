// One server answer as its caller receives it: the bytes that arrived, held
// once, and the answer's lines as views into them. Nothing is copied on the
// way from the socket to the caller; CopyTo makes owned lines for a caller
// that needs a StringList.

#ifndef TALOR_CLIENT_SERVER_ANSWER_H_
#define TALOR_CLIENT_SERVER_ANSWER_H_

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "client/receive_buffer.h"
#include "text/string_list.h"

namespace talor {

// The bytes of one answer and its lines, every line a span of `bytes`. The transport fills one and
// shares it with the caller's ServerAnswer; it takes the store back for the next answer once no
// ServerAnswer holds it.
struct AnswerStore {
  ReceiveBuffer bytes;
  std::vector<LineSpan> lines;
};

class ServerAnswer {
 public:
  ServerAnswer() = default;
  // The lines of `store`, all of them visible.
  explicit ServerAnswer(std::shared_ptr<const AnswerStore> store) : store_(std::move(store)) {}
  // An answer of the single line `text` (a local error code), held by the
  // answer itself.
  static ServerAnswer SingleLine(std::string_view text);

  size_t size() const { return store_ ? store_->lines.size() - first_ : 0; }
  bool empty() const { return size() == 0; }
  // The line `index`, counted from the first visible one. The view is valid
  // as long as this answer (or a copy of it) lives.
  // REQUIRES: index < size().
  std::string_view operator[](size_t index) const {
    const LineSpan& line = store_->lines[first_ + index];
    return {store_->bytes.view().data() + line.offset, line.size};
  }

  // Hides the first `count` visible lines; fewer lines leave the answer empty.
  void DropFront(size_t count);
  void Clear();
  // Replaces `list`'s lines by owned copies of the visible lines, every
  // object 0.
  void CopyTo(StringList& list) const;

 private:
  std::shared_ptr<const AnswerStore> store_;
  size_t first_ = 0;
};

}  // namespace talor

#endif  // TALOR_CLIENT_SERVER_ANSWER_H_
