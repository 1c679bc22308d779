#include "server/catalogue_files.h"

#include <system_error>

#include "platform/file_io.h"
#include "server/storage.h"
#include "text/encoding.h"

namespace talor::server {

namespace fs = std::filesystem;

namespace {
constexpr size_t kMaxFileName = 255;
}

bool CatalogueFiles::IsPlainFileName(std::string_view name) {
  if (name.empty() || name.size() > kMaxFileName || name.front() == '.') return false;
  for (char c : name)
    if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 32) return false;
  return true;
}

std::optional<fs::path> CatalogueFiles::Folder(int pathNumber, std::string_view database) const {
  std::string db = Utf8UpperCase(database);
  bool needsDb = pathNumber == kPathDatabasePages || pathNumber == kPathDatabase ||
                 pathNumber == kPathRecordFiles;
  if (needsDb && !Storage::IsValidDatabaseName(db)) return std::nullopt;
  switch (pathNumber) {
    case kPathSystem:
      return dataDir_ / "system";
    case kPathPages:
      return dataDir_ / "pages";
    case kPathDatabasePages:
      return dataDir_ / "pages" / db;
    case kPathCommon:
      return dataDir_ / "common";
    case kPathDatabase:
      return dataDir_ / "db" / db;
    case kPathRecordFiles:
      return dataDir_ / "db" / db / "files";
    default:
      return std::nullopt;
  }
}

std::optional<fs::path> CatalogueFiles::Find(int pathNumber, std::string_view database,
                                             std::string_view fileName) const {
  if (!IsPlainFileName(fileName)) return std::nullopt;
  std::optional<fs::path> folder = Folder(pathNumber, database);
  if (!folder) return std::nullopt;
  std::error_code ec;
  fs::path exact = *folder / std::string(fileName);
  if (fs::is_regular_file(exact, ec)) return exact;
  std::string wanted = Utf8UpperCase(fileName);
  for (fs::directory_iterator it(*folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (Utf8UpperCase(it->path().filename().string()) == wanted && it->is_regular_file(ec))
      return it->path();
  }
  return std::nullopt;
}

std::optional<std::string> CatalogueFiles::Read(int pathNumber, std::string_view database,
                                                std::string_view fileName) const {
  std::optional<fs::path> path = Find(pathNumber, database, fileName);
  if (!path) return std::nullopt;
  return ReadCatalogueFile(*path);
}

std::optional<std::string> ReadCatalogueFile(const fs::path& path) {
  FileContents file = talor::ReadWholeFile(path.string(), kMaxResourceBytes);
  if (file.status != FileReadStatus::Read) return std::nullopt;
  return std::move(file.bytes);
}

}  // namespace talor::server
