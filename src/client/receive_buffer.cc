#include "client/receive_buffer.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace talor {

ReceiveBuffer::ReceiveBuffer(ReceiveBuffer&& other) noexcept
    : data_(std::move(other.data_)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

ReceiveBuffer& ReceiveBuffer::operator=(ReceiveBuffer&& other) noexcept {
  data_ = std::move(other.data_);
  size_ = std::exchange(other.size_, 0);
  capacity_ = std::exchange(other.capacity_, 0);
  return *this;
}

std::span<char> ReceiveBuffer::Space(size_t bytes, size_t mostCapacity) {
  if (bytes > SIZE_MAX - size_) throw std::bad_alloc();
  const size_t needed = size_ + bytes;
  if (needed > capacity_) {
    const size_t doubled = capacity_ > SIZE_MAX / 2 ? SIZE_MAX : capacity_ * 2;
    const size_t wanted = std::max(needed, std::min(doubled, mostCapacity));
    // realloc moves a large block by remapping its pages, not by copying.
    void* grown = std::realloc(data_.get(), wanted);
    if (grown == nullptr) throw std::bad_alloc();
    (void)data_.release();
    data_.reset(static_cast<char*>(grown));
    capacity_ = wanted;
  }
  return {data_.get() + size_, bytes};
}

void ReceiveBuffer::Append(std::string_view bytes) {
  if (bytes.empty()) return;
  std::memcpy(Space(bytes.size()).data(), bytes.data(), bytes.size());
  Commit(bytes.size());
}

}  // namespace talor
