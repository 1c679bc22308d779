// A byte block that a socket reads straight into. It grows geometrically, so
// an answer of any size costs no copy per read, and moving it moves no
// bytes, so views into what it holds stay valid across a move.

#ifndef TALOR_CLIENT_RECEIVE_BUFFER_H_
#define TALOR_CLIENT_RECEIVE_BUFFER_H_

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <span>
#include <string_view>

namespace talor {

class ReceiveBuffer {
 public:
  ReceiveBuffer() = default;
  ReceiveBuffer(ReceiveBuffer&& other) noexcept;
  ReceiveBuffer& operator=(ReceiveBuffer&& other) noexcept;

  // Room for exactly `bytes` more bytes after those held. When the capacity
  // is short it grows to twice its size, or to what is needed when that is
  // more, but never past `mostCapacity` unless the room itself needs it.
  // The bytes held stay as they are. Throws std::bad_alloc when memory runs
  // out, leaving the buffer unchanged.
  std::span<char> Space(size_t bytes, size_t mostCapacity = SIZE_MAX);
  // Takes the first `bytes` bytes of the last room offered as received.
  // REQUIRES: bytes <= the size of that room.
  void Commit(size_t bytes) { size_ += bytes; }
  void Append(std::string_view bytes);
  // Forgets the bytes held and keeps the capacity for the next answer.
  void Clear() { size_ = 0; }

  std::string_view view() const { return {data_.get(), size_}; }
  size_t size() const { return size_; }
  size_t capacity() const { return capacity_; }

 private:
  struct Free {
    void operator()(char* bytes) const { std::free(bytes); }
  };

  std::unique_ptr<char, Free> data_;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace talor

#endif  // TALOR_CLIENT_RECEIVE_BUFFER_H_
