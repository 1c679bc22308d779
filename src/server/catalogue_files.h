// The catalogue's plain files (pages, formats, menus, stop words, field
// selection tables, images) in the server's data directory, found by the
// path numbers of resource requests:
//
//   0   system/            shared system files (help pages, common menus)
//   1   pages/             shared HTML pages
//   2   pages/<DB>/        HTML pages of one database
//   3   common/            shared images and other resources
//   10  db/<DB>/           files of a database: formats, menus, stop words, FST
//   11  db/<DB>/files/     linked files and page images of a database's records
//
// Path 12 (a record's internal resource, field 953) is served from the
// record itself, not from here. File names are matched without regard to
// letter case (the navigator upper-cases names freely) and may not leave
// their folder.

#ifndef TALOR_SERVER_CATALOGUE_FILES_H_
#define TALOR_SERVER_CATALOGUE_FILES_H_

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace talor::server {

inline constexpr int kPathSystem = 0;
inline constexpr int kPathPages = 1;
inline constexpr int kPathDatabasePages = 2;
inline constexpr int kPathCommon = 3;
inline constexpr int kPathDatabase = 10;
inline constexpr int kPathRecordFiles = 11;
inline constexpr int kPathRecordResource = 12;

// Files larger than this are not served.
inline constexpr uintmax_t kMaxResourceBytes = 64u << 20;

class CatalogueFiles {
 public:
  explicit CatalogueFiles(std::filesystem::path dataDir) : dataDir_(std::move(dataDir)) {}

  // The folder of a path number (database name upper-cased); nullopt for an
  // unknown number or a database name that is not a plain name.
  std::optional<std::filesystem::path> Folder(int pathNumber, std::string_view database) const;

  // The existing file of that name in the folder; nullopt when the name is
  // not a plain file name or no such file exists.
  std::optional<std::filesystem::path> Find(int pathNumber, std::string_view database,
                                            std::string_view fileName) const;

  // The bytes of the file; nullopt when it is absent, unreadable or too big.
  std::optional<std::string> Read(int pathNumber, std::string_view database,
                                  std::string_view fileName) const;

  static bool IsPlainFileName(std::string_view name);
  const std::filesystem::path& dataDir() const { return dataDir_; }

 private:
  std::filesystem::path dataDir_;
};

// A catalogue file read whole (talor::ReadWholeFile); nullopt when it is
// missing, unreadable or larger than kMaxResourceBytes.
std::optional<std::string> ReadCatalogueFile(const std::filesystem::path& path);

}  // namespace talor::server

#endif  // TALOR_SERVER_CATALOGUE_FILES_H_
