#include "client/server_answer.h"

#include <algorithm>

namespace talor {

ServerAnswer ServerAnswer::SingleLine(std::string_view text) {
  auto store = std::make_shared<AnswerStore>();
  store->bytes.Append(text);
  store->lines.push_back({0, text.size()});
  return ServerAnswer(std::move(store));
}

void ServerAnswer::DropFront(size_t count) { first_ += std::min(count, size()); }

void ServerAnswer::Clear() {
  store_.reset();
  first_ = 0;
}

void ServerAnswer::CopyTo(StringList& list) const {
  std::vector<ListLine>& lines = list.lines();
  lines.clear();
  lines.reserve(size());
  for (size_t i = 0; i < size(); ++i) lines.push_back({std::string((*this)[i]), 0});
}

}  // namespace talor
