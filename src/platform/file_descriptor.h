// A POSIX file descriptor closed with its owner.

#ifndef TALOR_PLATFORM_FILE_DESCRIPTOR_H_
#define TALOR_PLATFORM_FILE_DESCRIPTOR_H_

#include <unistd.h>

namespace talor {

class FileDescriptor {
 public:
  // Takes `fd` (negative: none) over.
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  // Closes now and reports whether the close succeeded (true for none).
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

}  // namespace talor

#endif  // TALOR_PLATFORM_FILE_DESCRIPTOR_H_
