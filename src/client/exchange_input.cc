#include "client/exchange_input.h"

#include <algorithm>

namespace talor {
namespace {

constexpr size_t kBlock = 256 * 1024;

}  // namespace

bool ExchangeInput::ReadMore() {
  if (file_ == nullptr || atEnd_) return false;
  // Drop what was consumed, so the buffer holds only the bytes at hand.
  buffer_.erase(0, position_);
  dropped_ += position_;
  position_ = 0;
  const size_t before = buffer_.size();
  buffer_.resize(before + kBlock);
  const size_t got = std::fread(buffer_.data() + before, 1, kBlock, file_);
  buffer_.resize(before + got);
  data_ = buffer_;
  if (got < kBlock) {
    atEnd_ = true;
    failed_ = std::ferror(file_) != 0;
  }
  return got > 0;
}

std::string_view ExchangeInput::Peek(size_t count) {
  while (data_.size() - position_ < count && ReadMore()) {
  }
  return data_.substr(position_, std::min(count, data_.size() - position_));
}

void ExchangeInput::Skip(size_t count) { position_ += std::min(count, data_.size() - position_); }

}  // namespace talor
