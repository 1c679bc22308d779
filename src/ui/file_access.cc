#include "ui/file_access.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <vector>

#include "ui/json_text.h"

namespace talor {
namespace {

namespace fs = std::filesystem;

bool IsInside(const fs::path& root, const fs::path& candidate) {
  return std::mismatch(root.begin(), root.end(), candidate.begin(), candidate.end()).first ==
         root.end();
}

struct ListedEntry {
  std::string name;
  bool directory = false;
  std::uintmax_t size = 0;
  long long modified = 0;
};

ListedEntry ReadEntry(const fs::directory_entry& entry) {
  ListedEntry listed;
  listed.name = entry.path().filename().string();
  std::error_code error;
  listed.directory = entry.is_directory(error);
  if (!listed.directory) {
    std::uintmax_t size = entry.file_size(error);
    listed.size = error ? 0 : size;
  }
  fs::file_time_type time = entry.last_write_time(error);
  if (!error) {
    auto seconds = std::chrono::floor<std::chrono::seconds>(std::chrono::file_clock::to_sys(time));
    listed.modified = seconds.time_since_epoch().count();
  }
  return listed;
}

void AppendEntry(std::string& json, const ListedEntry& entry) {
  json += "{\"name\":";
  AppendJsonString(json, entry.name);
  json += ",\"directory\":";
  json += entry.directory ? "true" : "false";
  json += ",\"size\":" + std::to_string(entry.size);
  json += ",\"modified\":" + std::to_string(entry.modified) + "}";
}

}  // namespace

ServedFile FindServedFile(const fs::path& canonicalRoot, std::string_view relative) {
  ServedFile result;
  if (relative.find('\0') != std::string_view::npos) return result;
  while (!relative.empty() && relative.front() == '/') relative.remove_prefix(1);
  std::error_code error;
  fs::path found = fs::canonical(canonicalRoot / fs::path(relative), error);
  if (error) return result;
  if (!IsInside(canonicalRoot, found)) {
    result.lookup = FileLookup::kOutside;
    return result;
  }
  if (!fs::is_regular_file(found, error)) return result;
  std::uintmax_t size = fs::file_size(found, error);
  if (error) return result;
  result = {FileLookup::kFound, std::move(found), size};
  return result;
}

ListingResult ListDirectory(std::string_view absolutePath, bool includeHidden, std::string& json) {
  if (absolutePath.find('\0') != std::string_view::npos || absolutePath.empty() ||
      absolutePath.front() != '/') {
    return ListingResult::kNotAbsolute;
  }
  std::error_code error;
  fs::path directory = fs::canonical(fs::path(absolutePath), error);
  if (error || !fs::is_directory(directory, error)) return ListingResult::kNotDirectory;
  fs::directory_iterator it(directory, error);
  if (error) return ListingResult::kUnreadable;
  std::vector<ListedEntry> entries;
  for (; it != fs::directory_iterator(); it.increment(error)) {
    std::string name = it->path().filename().string();
    if (!includeHidden && name.starts_with('.')) continue;
    entries.push_back(ReadEntry(*it));
  }
  if (error) return ListingResult::kUnreadable;
  std::sort(entries.begin(), entries.end(),
            [](const ListedEntry& a, const ListedEntry& b) { return a.name < b.name; });

  json = "{\"path\":";
  AppendJsonString(json, directory.string());
  json += ",\"parent\":";
  if (directory.has_relative_path()) {
    AppendJsonString(json, directory.parent_path().string());
  } else {
    json += "null";
  }
  json += ",\"entries\":[";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) json += ',';
    AppendEntry(json, entries[i]);
  }
  json += "]}";
  return ListingResult::kListed;
}

}  // namespace talor
