#include "text/file_names.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace talor {
namespace {

bool AllBackslashesPaired(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') continue;
    if (i + 1 >= text.size() || text[i + 1] != '\\') return false;
    ++i;
  }
  return true;
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string SafeFileName(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c == ':' || c == '\\' || c == '/' || c == ' ') c = '_';
  }
  return result;
}

bool IsImageFileName(std::string_view fileName) {
  size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return false;
  std::string extension(fileName.substr(dot));
  for (char& c : extension) c = AsciiUpper(c);
  return extension == ".JPG" || extension == ".JPEG" || extension == ".GIF";
}

std::string NormalizeBackslashes(std::string_view text, BackslashMode mode) {
  bool paired = AllBackslashesPaired(text);
  std::string result;
  result.reserve(text.size() * 2);
  if (mode == BackslashMode::Undouble && paired) {
    for (size_t i = 0; i < text.size(); ++i) {
      result += text[i];
      if (text[i] == '\\') ++i;  // the second of the pair
    }
    return result;
  }
  if (mode == BackslashMode::Double && !paired) {
    for (char c : text) {
      result += c;
      if (c == '\\') result += '\\';
    }
    return result;
  }
  return std::string(text);
}

bool WildcardMatch(std::string_view mask, std::string_view name) {
  // Iterative matching with one back-track point for the last `*`.
  size_t m = 0;
  size_t n = 0;
  size_t starMask = std::string_view::npos;
  size_t starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
      ++m;
      ++n;
    } else if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::string_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

int DeleteFilesByMask(std::string_view pathMask) {
  namespace fs = std::filesystem;
  fs::path maskPath{std::string(pathMask)};
  std::string mask = maskPath.filename().string();
  if (mask.empty()) return 0;
  fs::path directory = maskPath.has_parent_path() ? maskPath.parent_path() : fs::path(".");
  std::error_code error;
  std::vector<fs::path> victims;
  for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    if (name.starts_with('.') || !WildcardMatch(mask, name)) continue;
    std::error_code statusError;
    if (!fs::is_regular_file(it->symlink_status(statusError)) || statusError) continue;
    victims.push_back(it->path());
  }
  int deleted = 0;
  for (const fs::path& victim : victims) {
    std::error_code removeError;
    if (fs::remove(victim, removeError) && !removeError) ++deleted;
  }
  return deleted;
}

}  // namespace talor
