// Fills a server data directory from a catalogue source folder:
//
//   settings.ini       the settings text sent at registration
//   users.txt          one user a line: name, password, workstation codes
//                      ("-" for any) and "write" or "read"; the storage
//                      keeps only a hash of each password
//   system/ pages/ common/    copied as they are (path numbers 0, 1, 3)
//   db/<NAME>/         one folder per database, copied (path numbers 10, 11);
//                      <NAME>.txt in it holds the records in the text
//                      exchange form and is loaded in file order
//
// Loading twice adds the records twice; init refuses a data directory that
// already holds a storage file.

#ifndef TALOR_SERVER_CATALOGUE_LOADER_H_
#define TALOR_SERVER_CATALOGUE_LOADER_H_

#include <filesystem>
#include <string>

#include "server/formatter.h"

namespace talor::server {

class Service;
class Storage;

// The storage file inside a data directory.
inline constexpr std::string_view kStorageFileName = "catalogue.sqlite";

struct LoadReport {
  bool ok = false;
  std::string message;  // Russian; the error, or a summary
  int databases = 0;
  int records = 0;
};

LoadReport InitDataDirectory(const std::filesystem::path& dataDir,
                             const std::filesystem::path& source, Formatter& formatter);

// Rebuilds the dictionary and full text of every database.
LoadReport ReindexDataDirectory(const std::filesystem::path& dataDir, Formatter& formatter);

// Rebuilds the dictionaries that an upgrade of the storage file dropped
// (Storage::StaleIndexes), so that no search reads a database without one;
// ok, with no databases counted, when there are none.
LoadReport RebuildStaleIndexes(Storage& storage, Service& service);

}  // namespace talor::server

#endif  // TALOR_SERVER_CATALOGUE_LOADER_H_
