// A fresh directory under the system's temporary folder, removed with its
// contents at the end of the test.

#ifndef TALOR_TESTS_SERVER_TEMP_DIR_H_
#define TALOR_TESTS_SERVER_TEMP_DIR_H_

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace talor::server {

class TempDir {
 public:
  TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "talor-server-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Writes `bytes` to the file `relative` (folders created).
  void Write(const std::filesystem::path& relative, std::string_view bytes) const {
    std::filesystem::create_directories((path_ / relative).parent_path());
    std::ofstream out(path_ / relative, std::ios::binary);
    out << bytes;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace talor::server

#endif  // TALOR_TESTS_SERVER_TEMP_DIR_H_
