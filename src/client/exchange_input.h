// The bytes of an exchange file as its readers consume them: either held in
// memory by the caller or read from a file in blocks, so that a reader never
// holds more of a file than the record it is working on.

#ifndef TALOR_CLIENT_EXCHANGE_INPUT_H_
#define TALOR_CLIENT_EXCHANGE_INPUT_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace talor {

class ExchangeInput {
 public:
  // Reads `bytes`, which must outlive this object.
  explicit ExchangeInput(std::string_view bytes) : data_(bytes) {}
  // Reads `file` (not owned, not closed) from its current position.
  explicit ExchangeInput(std::FILE* file) : file_(file) {}

  ExchangeInput(const ExchangeInput&) = delete;
  ExchangeInput& operator=(const ExchangeInput&) = delete;

  // The bytes from the position on that are at hand; empty when none are.
  // The view stays valid until the next Peek, ReadMore or Skip.
  std::string_view Buffered() const { return data_.substr(position_); }

  // At least `count` bytes from the position, fewer only at the end of the
  // input (or after a read error).
  std::string_view Peek(size_t count);

  // Appends the next block of the file to what is at hand; false at the end
  // of the input or on a read error.
  bool ReadMore();

  // Consumes `count` bytes of what is at hand.
  void Skip(size_t count);

  // The offset of the position in the whole input.
  uint64_t offset() const { return dropped_ + position_; }
  // A read of the file failed; the input ended there.
  bool failed() const { return failed_; }

 private:
  std::FILE* file_ = nullptr;
  std::string buffer_;     // the file's bytes at hand (file input only)
  std::string_view data_;  // buffer_ or the caller's bytes
  size_t position_ = 0;    // in data_
  uint64_t dropped_ = 0;   // bytes of the file consumed and dropped from buffer_
  bool atEnd_ = false;
  bool failed_ = false;
};

}  // namespace talor

#endif  // TALOR_CLIENT_EXCHANGE_INPUT_H_
