#include "format/safety_policy.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace talor {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kRulesPlace = "(раздел [Safety] файла настройки навигатора)";

// `path` made absolute, with `.`, `..` and the symbolic links of its existing
// part resolved; empty when that fails.
fs::path Resolved(const fs::path& path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  if (error) return {};
  fs::path resolved = fs::weakly_canonical(absolute, error);
  if (error) return {};
  return resolved.lexically_normal();
}

// True when `path` is `directory` or lies below it.
bool IsWithin(const fs::path& path, const fs::path& directory) {
  if (path.empty() || directory.empty()) return false;
  auto dirIt = directory.begin();
  auto pathIt = path.begin();
  for (; dirIt != directory.end(); ++dirIt, ++pathIt) {
    if (dirIt->empty()) continue;  // the final separator of "dir/"
    if (pathIt == path.end() || *pathIt != *dirIt) return false;
  }
  return true;
}

bool IsRegularFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

}  // namespace

SafetyPolicy::SafetyPolicy(SafetyRules rules) : rules_(std::move(rules)) {
  auto resolveAll = [](std::vector<std::string>& directories) {
    std::vector<std::string> resolved;
    for (const std::string& directory : directories) {
      if (directory.empty()) continue;
      const fs::path path = Resolved(directory);
      if (!path.empty()) resolved.push_back(path.string());
    }
    directories = std::move(resolved);
  };
  resolveAll(rules_.libraryDirectories);
  resolveAll(rules_.writeDirectories);
}

LibraryLookup SafetyPolicy::FindLibrary(std::string_view name) const {
  if (name.empty()) return {LibraryLookup::Status::NotFound, {}};
  if (name.find('/') != std::string_view::npos) {
    const fs::path path = Resolved(fs::path(std::string(name)));
    const bool allowed =
        std::any_of(rules_.libraryDirectories.begin(), rules_.libraryDirectories.end(),
                    [&](const std::string& directory) { return IsWithin(path, directory); });
    if (!allowed) return {LibraryLookup::Status::Refused, {}};
    if (!IsRegularFile(path)) return {LibraryLookup::Status::NotFound, {}};
    return {LibraryLookup::Status::Found, path.string()};
  }
  if (name == "." || name == "..") return {LibraryLookup::Status::NotFound, {}};
  std::vector<std::string> candidates{std::string(name)};
  if (!fs::path(std::string(name)).has_extension()) candidates.push_back(std::string(name) + ".so");
  for (const std::string& directory : rules_.libraryDirectories) {
    for (const std::string& candidate : candidates) {
      const fs::path path = Resolved(fs::path(directory) / candidate);
      // A symbolic link in the directory must not lead elsewhere.
      if (IsWithin(path, directory) && IsRegularFile(path)) {
        return {LibraryLookup::Status::Found, path.string()};
      }
    }
  }
  return {LibraryLookup::Status::NotFound, {}};
}

bool SafetyPolicy::MayWrite(std::string_view path) const {
  if (path.empty()) return false;
  const fs::path resolved = Resolved(fs::path(std::string(path)));
  return std::any_of(rules_.writeDirectories.begin(), rules_.writeDirectories.end(),
                     [&](const std::string& directory) { return IsWithin(resolved, directory); });
}

std::string LibraryRefusedText(std::string_view library) {
  return "Библиотека «" + std::string(library) +
         "» не загружена: библиотеки загружаются только из разрешённых папок " +
         std::string(kRulesPlace);
}

std::string ProgramRefusedText(std::string_view commandLine) {
  return "Программа «" + std::string(commandLine) +
         "» не запущена: запуск программ со страниц не разрешён " + std::string(kRulesPlace);
}

std::string WriteRefusedText(std::string_view path) {
  return "Файл «" + std::string(path) +
         "» не записан и не удалён: это разрешено только в разрешённых папках " +
         std::string(kRulesPlace);
}

}  // namespace talor
