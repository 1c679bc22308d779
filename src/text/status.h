// The result of an operation whose failure the caller reports or passes on:
// success, or a message and a code. The message is ready to show (Russian
// where it reaches a user); the code lets a caller tell failures apart
// without reading the text (kFailed when nobody needs to).
//
// Where a protocol or a file format fixes an integer result, that integer
// travels instead; a lookup that may simply find nothing returns an
// optional.

#ifndef TALOR_TEXT_STATUS_H_
#define TALOR_TEXT_STATUS_H_

#include <string>
#include <utility>

namespace talor {

class [[nodiscard]] Status {
 public:
  static constexpr int kFailed = -1;

  // A success.
  Status() = default;
  static Status Ok() { return Status(); }
  static Status Error(std::string message, int code = kFailed) {
    return Status(code == 0 ? kFailed : code, std::move(message));
  }

  bool ok() const { return code_ == 0; }
  // 0 for a success.
  int code() const { return code_; }
  // Empty for a success.
  const std::string& message() const { return message_; }

 private:
  Status(int code, std::string message) : code_(code), message_(std::move(message)) {}

  int code_ = 0;
  std::string message_;
};

}  // namespace talor

#endif  // TALOR_TEXT_STATUS_H_
