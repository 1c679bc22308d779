#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/file_descriptor.h"

namespace talor {
namespace {

constexpr mode_t kNewFileMode = 0600;
constexpr size_t kReadChunk = 64 * 1024;

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

// Writes `bytes` over the existing file at `path`, for when no file can be
// made beside it.
bool OverwriteInPlace(const std::string& path, std::string_view bytes) {
  FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
  if (fd.get() < 0) return false;
  bool ok = WriteAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
  return fd.Close() && ok;
}

// The file that writing to `path` should replace: the target of a symbolic
// link, else `path` itself.
std::string ReplacementTarget(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_symlink(path, error)) return path;
  std::filesystem::path target = std::filesystem::read_symlink(path, error);
  if (error) return path;
  if (target.is_relative()) target = std::filesystem::path(path).parent_path() / target;
  return target.string();
}

}  // namespace

FileContents ReadWholeFile(const std::string& path, size_t maxBytes) {
  FileContents result;
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    result.status =
        (errno == ENOENT || errno == ENOTDIR) ? FileReadStatus::Missing : FileReadStatus::Failed;
    return result;
  }
  result.status = FileReadStatus::Failed;
  std::string bytes;
  std::vector<char> chunk(kReadChunk);
  for (;;) {
    ssize_t got = ::read(fd.get(), chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return result;
    if (got == 0) break;
    if (bytes.size() + static_cast<size_t>(got) > maxBytes) return result;
    bytes.append(chunk.data(), static_cast<size_t>(got));
  }
  result.status = FileReadStatus::Read;
  result.bytes = std::move(bytes);
  return result;
}

bool ReplaceFileContents(const std::string& path, std::string_view bytes) {
  if (path.empty()) return false;
  FileReplacement file(path, kNewFileMode);
  if (!file.Open()) {
    // A directory that takes no new files may still hold a writable file.
    return file.replacesFile() && OverwriteInPlace(file.target(), bytes);
  }
  return std::fwrite(bytes.data(), 1, bytes.size(), file.file()) == bytes.size() && file.Commit();
}

FileReplacement::FileReplacement(std::string path, unsigned newFileMode)
    : target_(ReplacementTarget(path)), newFileMode_(newFileMode) {}

FileReplacement::~FileReplacement() {
  if (file_ != nullptr) std::fclose(file_);
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

bool FileReplacement::Open() {
  mode_t mode = newFileMode_;
  struct stat existing {};
  if (::stat(target_.c_str(), &existing) == 0) {
    if (!S_ISREG(existing.st_mode)) {
      errno = S_ISDIR(existing.st_mode) ? EISDIR : EINVAL;
      return false;
    }
    replacesFile_ = true;
    mode = existing.st_mode & 07777;
  }
  std::string temporary = target_ + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  temporary_ = std::move(temporary);
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    ::close(fd);
    return false;
  }
  return ::fchmod(fd, mode) == 0;
}

bool FileReplacement::Commit() {
  if (file_ == nullptr) return false;
  const bool flushed = std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
  int error = errno;
  const bool closed = std::fclose(file_) == 0;
  if (flushed && !closed) error = errno;
  file_ = nullptr;
  if (!flushed || !closed) {
    errno = error;
    return false;
  }
  committed_ = ::rename(temporary_.c_str(), target_.c_str()) == 0;
  return committed_;
}

}  // namespace talor
