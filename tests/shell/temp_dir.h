// A fresh directory for one test, removed with everything in it afterwards.

#ifndef TALOR_TESTS_SHELL_TEMP_DIR_H_
#define TALOR_TESTS_SHELL_TEMP_DIR_H_

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace talor {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "talor_shell_XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern + "/";
  }
  ~TempDir() {
    std::error_code error;
    if (!path_.empty()) std::filesystem::remove_all(path_, error);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The directory, ending in `/`; empty when it could not be made.
  const std::string& path() const { return path_; }
  std::string File(std::string_view name) const { return path_ + std::string(name); }

  void Write(std::string_view name, std::string_view bytes) const {
    std::ofstream out(File(name), std::ios::binary);
    out << bytes;
  }
  std::string Read(std::string_view name) const {
    std::ifstream in(File(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::string path_;
};

}  // namespace talor

#endif  // TALOR_TESTS_SHELL_TEMP_DIR_H_
