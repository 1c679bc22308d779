#include "navigator/work_files.h"

#include <filesystem>
#include <set>
#include <system_error>

#include "text/file_names.h"

namespace talor {

std::string ResourceFileName(int pathNumber, std::string_view database, std::string_view fileName) {
  return std::string(kWorkFilePrefix) + std::to_string(pathNumber) + "_" + SafeFileName(database) +
         "_" + SafeFileName(fileName);
}

std::string BarcodeFileName(std::string_view text) {
  return std::string(kWorkFilePrefix) + "barcode_" + SafeFileName(text) + ".bmp";
}

std::string RecordImageStem(std::string_view database, int32_t mfn, int occurrence) {
  return std::string(kWorkFilePrefix) + "12_" + SafeFileName(database) + "_" + std::to_string(mfn) +
         "_" + std::to_string(occurrence) + "_";
}

std::string MarkedImageFileName(std::string_view database, int number,
                                std::string_view sourcePath) {
  std::string extension = std::filesystem::path(sourcePath).extension().string();
  return std::string(kWorkFilePrefix) + "11_" + SafeFileName(database) + "_" +
         std::to_string(number) + extension;
}

std::string FileUrl(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (unsigned char c : path) {
    if (c <= ' ' || c == '%' || c == '#' || c == '?' || c == 0x7F) {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 15];
    } else {
      url += static_cast<char>(c);
    }
  }
  return url;
}

std::optional<std::string> FindWorkFile(const std::string& directory, std::string_view stem) {
  std::error_code error;
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
    std::string name = entry.path().filename().string();
    if (name.starts_with(stem) && name.find('.', stem.size()) != std::string::npos &&
        entry.is_regular_file(error)) {
      names.insert(std::move(name));
    }
  }
  if (names.empty()) return std::nullopt;
  return directory + *names.begin();
}

int DeleteWorkFiles(const std::string& directory) {
  return DeleteFilesByMask(directory + std::string(kWorkFilePrefix) + "*.*");
}

}  // namespace talor
