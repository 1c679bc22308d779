// A fresh directory under the system's temporary folder, removed with its
// contents at the end of the test.

#ifndef TALOR_TESTS_UI_SCRATCH_DIR_H_
#define TALOR_TESTS_UI_SCRATCH_DIR_H_

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace talor {

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "talor-ui-test-XXXXXX").string();
    path_ = std::filesystem::canonical(mkdtemp(pattern.data()));
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

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

}  // namespace talor

#endif  // TALOR_TESTS_UI_SCRATCH_DIR_H_
