#include "shell/config_paths.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "shell/ini_value.h"

namespace talor {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kWorkDirName = "talorwrk/";
constexpr std::string_view kCacheDir = ".cache/";
constexpr std::string_view kOldDefaultWorkdir = "/talorwrk";

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

std::string WithTrailingSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

bool IsAbsolute(std::string_view path) { return !path.empty() && path.front() == '/'; }

// `path` with "." and ".." steps and repeated separators folded away.
std::string Normalized(const std::string& path) {
  std::string normal = fs::path(path).lexically_normal().string();
  // A POSIX path may keep two leading slashes; one is enough here.
  while (normal.starts_with("//")) normal.erase(0, 1);
  return normal;
}

}  // namespace

PathContext PathContext::FromEnvironment(std::string programDir) {
  PathContext context;
  context.programDir = std::move(programDir);
  context.homeDir = EnvironmentValue("HOME");
  context.runtimeDir = EnvironmentValue("XDG_RUNTIME_DIR");
  return context;
}

PathContext PathContext::ForThisProcess() {
  std::error_code error;
  fs::path current = fs::current_path(error);
  PathContext context =
      FromEnvironment(ProgramDirectory(error ? std::string(".") : current.string()));
  context.dataDir = InstalledDataDir();
  return context;
}

// TALOR_DATA_FROM_BIN is the way from the installed bin directory to the
// installed share/talor ("../share/talor"), so that a staged or relocated
// installation finds its files as well as the one in /usr.
std::string PathContext::InstalledDataDir() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  if (error) return {};
  const fs::path data = program.parent_path() / TALOR_DATA_FROM_BIN;
  if (!fs::is_directory(data, error)) return {};
  return WithTrailingSlash(fs::weakly_canonical(data, error).string());
}

std::string ProgramDirectory(std::string_view currentDir) {
  return WithTrailingSlash(std::string(currentDir));
}

std::string PathFromConfig(std::string_view value) {
  std::string path(TrimBlanks(value));
  std::replace(path.begin(), path.end(), '\\', '/');
  if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') path.erase(0, 2);
  return path;
}

bool IsOldDefaultWorkdir(std::string_view value) {
  std::string path = PathFromConfig(value);
  if (path.size() > kOldDefaultWorkdir.size() && path.back() == '/') path.pop_back();
  return SameIgnoringAsciiCase(path, kOldDefaultWorkdir);
}

std::string DefaultWorkDirectory(const PathContext& context) {
  if (IsAbsolute(context.runtimeDir)) {
    return Normalized(WithTrailingSlash(context.runtimeDir) + std::string(kWorkDirName));
  }
  if (IsAbsolute(context.homeDir)) {
    return Normalized(WithTrailingSlash(context.homeDir) + std::string(kCacheDir) +
                      std::string(kWorkDirName));
  }
  return Normalized(WithTrailingSlash(context.programDir) + std::string(kWorkDirName));
}

std::string ProgramRelativePath(std::string_view value, const PathContext& context) {
  std::string path = PathFromConfig(value);
  if (path.starts_with("~/") && IsAbsolute(context.homeDir)) {
    path = WithTrailingSlash(context.homeDir) + path.substr(2);
  }
  if (IsAbsolute(path)) return Normalized(path);
  return Normalized(WithTrailingSlash(context.programDir) + path);
}

std::string ResolvePath(std::string_view path, const PathContext& context) {
  if (IsOldDefaultWorkdir(path)) return DefaultWorkDirectory(context);
  return WithTrailingSlash(ProgramRelativePath(path, context));
}

bool CreateDirectories(const std::string& path) {
  std::error_code error;
  fs::create_directories(path, error);
  return fs::is_directory(path, error);
}

std::string FindFileIgnoringCase(const std::string& path) {
  std::error_code error;
  if (fs::exists(fs::symlink_status(path, error))) return path;
  fs::path wanted(path);
  fs::path directory = wanted.parent_path();
  std::string name = wanted.filename().string();
  if (name.empty()) return path;
  std::vector<std::string> matches;
  fs::directory_iterator entries(directory.empty() ? fs::path(".") : directory, error);
  for (auto end = fs::directory_iterator(); !error && entries != end; entries.increment(error)) {
    std::string candidate = entries->path().filename().string();
    if (SameIgnoringAsciiCase(candidate, name)) matches.push_back(candidate);
  }
  if (matches.empty()) return path;
  return (directory / *std::min_element(matches.begin(), matches.end())).string();
}

}  // namespace talor
