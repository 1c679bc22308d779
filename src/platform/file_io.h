// Whole-file reading and replacing: the configuration and message files, and
// the cached files of the work directory.

#ifndef TALOR_PLATFORM_FILE_IO_H_
#define TALOR_PLATFORM_FILE_IO_H_

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace talor {

enum class FileReadStatus {
  Read,     // the bytes are the whole file
  Missing,  // there is no file at the path
  Failed,   // the path names something that could not be read, or a file
            // larger than the limit
};

struct FileContents {
  FileReadStatus status = FileReadStatus::Missing;
  std::string bytes;  // empty unless status is Read
};

// Reads the file at `path` whole, refusing files of more than `maxBytes`.
FileContents ReadWholeFile(const std::string& path, size_t maxBytes);

// Replaces the contents of the file at `path` by `bytes` so that the file is
// never seen half written: the bytes go to a new file beside it, which then
// takes its place. A symbolic link is followed and stays a link. An existing
// file keeps its permissions; a new file is readable by its owner only, since
// configuration files may hold passwords. When the directory takes no new
// file, an existing file is overwritten in place instead. Returns false when
// anything fails; the existing file is then unchanged unless the in-place
// write itself failed.
bool ReplaceFileContents(const std::string& path, std::string_view bytes);

// A file written from start to end, record by record, that takes the place
// of the file at `path` only once it is complete, so that a failed or
// cancelled write leaves the old file as it was. The bytes go to a new file
// beside it. A symbolic link is followed and stays a link. An existing file
// keeps its permissions; a new one gets `newFileMode` (by default readable by
// everyone and writable by its owner).
class FileReplacement {
 public:
  explicit FileReplacement(std::string path, unsigned newFileMode = 0644);
  // Removes the new file unless Commit succeeded.
  ~FileReplacement();

  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Creates the new file; false, with errno set, when it cannot.
  bool Open();
  // The new file, open for writing; null before Open.
  std::FILE* file() const { return file_; }
  // Flushes the new file to the disk and puts it in place of the old one;
  // false, with errno set, when anything fails.
  bool Commit();

  // The file replaced: the target of a symbolic link, else the path.
  const std::string& target() const { return target_; }
  // Open found an ordinary file at the target.
  bool replacesFile() const { return replacesFile_; }

 private:
  std::string target_;
  unsigned newFileMode_;
  bool replacesFile_ = false;
  std::string temporary_;
  std::FILE* file_ = nullptr;
  bool committed_ = false;
};

}  // namespace talor

#endif  // TALOR_PLATFORM_FILE_IO_H_
