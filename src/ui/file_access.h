// The local file system as the window's server shows it: files below a
// directory the owner allows, and directory listings for the file dialogs.
// Plain functions of their arguments; safe from any thread.

#ifndef TALOR_UI_FILE_ACCESS_H_
#define TALOR_UI_FILE_ACCESS_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace talor {

enum class FileLookup {
  kFound,
  kNotFound,  // missing, unreadable, not a regular file, or a malformed name
  kOutside,   // exists, but resolves (through ".." or a symbolic link) outside the root
};

struct ServedFile {
  FileLookup lookup = FileLookup::kNotFound;
  std::filesystem::path path;  // canonical; set when kFound
  std::uintmax_t size = 0;     // set when kFound
};

// Finds `relative` (a '/'-separated path, already percent-decoded; leading
// slashes ignored) below `canonicalRoot`. The file's canonical path, with
// every link followed, must lie inside the root, so neither ".." nor a
// symbolic link reaches anything else. REQUIRES: `canonicalRoot` is canonical.
ServedFile FindServedFile(const std::filesystem::path& canonicalRoot, std::string_view relative);

enum class ListingResult {
  kListed,
  kNotAbsolute,   // the path must be absolute
  kNotDirectory,  // missing, or not a directory
  kUnreadable,    // the directory exists but cannot be read
};

// Lists the directory `absolutePath` as JSON for the file dialogs:
//   {"path":"/canonical/dir","parent":"/canonical" | null,
//    "entries":[{"name":"a.txt","directory":false,"size":12,"modified":1700000000},...]}
// Entries are sorted by name (bytewise); "size" is 0 for directories;
// "modified" is in seconds since 1970 (UTC). Names starting with '.' are left
// out unless `includeHidden`. An entry whose status cannot be read (a broken
// link) is listed as a file of size 0. `json` is untouched unless kListed.
ListingResult ListDirectory(std::string_view absolutePath, bool includeHidden, std::string& json);

}  // namespace talor

#endif  // TALOR_UI_FILE_ACCESS_H_
