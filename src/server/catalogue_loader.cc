#include "server/catalogue_loader.h"

#include <system_error>

#include "client/text_exchange.h"
#include "server/catalogue_files.h"
#include "server/password_hash.h"
#include "server/service.h"
#include "server/storage.h"
#include "server/user_words.h"
#include "text/encoding.h"
#include "text/string_list.h"

namespace talor::server {

namespace fs = std::filesystem;

namespace {

constexpr size_t kLoadBatch = 500;
constexpr int kFirstFieldLine = 3;

Status CopyTree(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (!fs::exists(from, ec)) return Status::Ok();
  fs::create_directories(to, ec);
  fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
  if (ec) return Status::Error("Не удалось скопировать " + from.string() + ": " + ec.message());
  return Status::Ok();
}

// Opens the storage of `dataDir` into `*storage` and binds `formatter` to it.
Status OpenStorage(const fs::path& dataDir, Formatter& formatter,
                   std::unique_ptr<Storage>* storage) {
  Status status = Storage::Open((dataDir / kStorageFileName).string(), storage);
  if (!status.ok()) return Status::Error("Не удалось открыть хранилище: " + status.message());
  formatter.Bind(storage->get());
  return Status::Ok();
}

// The user of one users.txt line: name, password, workstation codes,
// rights; nullopt when the line is malformed or the hash cannot be made.
std::optional<User> UserFromLine(std::string_view line) {
  std::vector<std::string_view> words;
  while (!line.empty()) {
    size_t blank = line.find_first_of(" \t");
    if (blank != 0) words.push_back(line.substr(0, blank));
    if (blank == std::string_view::npos) break;
    line.remove_prefix(blank + 1);
  }
  if (words.size() != 4 || !IsValidUserName(words[0]) || !IsValidPassword(words[1]))
    return std::nullopt;
  std::optional<std::string> workstations = ParseWorkstations(words[2]);
  std::optional<bool> canWrite = ParseRights(words[3]);
  std::optional<std::string> hash = HashPassword(words[1]);
  if (!workstations || !canWrite || !hash) return std::nullopt;
  return User{std::string(words[0]), std::move(*hash), std::move(*workstations), *canWrite};
}

Status LoadUsers(Storage& storage, const fs::path& file) {
  std::optional<std::string> text = ReadCatalogueFile(file);
  if (!text) return Status::Ok();
  for (std::string_view line : SplitLines(*text)) {
    if (line.empty() || line.front() == '#') continue;
    std::optional<User> user = UserFromLine(line);
    // The line is not repeated: it holds a password.
    if (!user)
      return Status::Error(
          "Неверная строка в users.txt (нужно: имя пароль коды_АРМ|- write|read): " +
          std::string(line.substr(0, line.find_first_of(" \t"))));
    if (!storage.PutUser(*user))
      return Status::Error("Не удалось записать пользователя " + user->name);
  }
  return Status::Ok();
}

LoadReport Failed(LoadReport& report, const Status& status) {
  report.message = status.message();
  return report;
}

StoredRecord RecordOf(const StringList& record) {
  StoredRecord stored;
  for (size_t i = kFirstFieldLine; i < record.size(); ++i)
    stored.fields.push_back({record[i].object, record[i].text});
  return stored;
}

// Loads the records of `reader` into a database: in bulk into a new one,
// else (a second folder of the same name) added in batches after those it
// holds.
bool LoadDatabase(Storage& storage, const std::string& name, TextExchangeReader& reader,
                  const IndexFunction& index, LoadReport& report) {
  StringList record;
  if (storage.NextMfn(name) == 1) {
    std::optional<int64_t> loaded = storage.LoadRecords(
        name,
        [&]() -> std::optional<StoredRecord> {
          if (!reader.Next(record)) return std::nullopt;
          return RecordOf(record);
        },
        index);
    if (loaded) report.records += static_cast<int>(*loaded);
    return loaded.has_value();
  }
  std::vector<StoredRecord> batch;
  auto flush = [&] {
    for (const WriteOutcome& outcome : storage.WriteRecords(name, batch, {}, index)) {
      if (outcome.code != 0) return false;
      ++report.records;
    }
    batch.clear();
    return true;
  };
  while (reader.Next(record)) {
    batch.push_back(RecordOf(record));
    if (batch.size() >= kLoadBatch && !flush()) return false;
  }
  return flush();
}

}  // namespace

LoadReport InitDataDirectory(const fs::path& dataDir, const fs::path& source,
                             Formatter& formatter) {
  LoadReport report;
  std::error_code ec;
  if (!fs::is_directory(source, ec)) {
    report.message = "Нет папки каталога: " + source.string();
    return report;
  }
  if (fs::exists(dataDir / kStorageFileName, ec)) {
    report.message = "Папка данных уже заполнена: " + dataDir.string();
    return report;
  }
  fs::create_directories(dataDir, ec);
  Status status;
  for (std::string_view folder : {"system", "pages", "common", "db"}) {
    status = CopyTree(source / folder, dataDir / folder);
    if (!status.ok()) return Failed(report, status);
  }

  std::unique_ptr<Storage> storage;
  status = OpenStorage(dataDir, formatter, &storage);
  if (!status.ok()) return Failed(report, status);
  if (std::optional<std::string> settings = ReadCatalogueFile(source / "settings.ini"))
    storage->PutSettings(*settings);
  status = LoadUsers(*storage, source / "users.txt");
  if (!status.ok()) return Failed(report, status);

  Service service(*storage, CatalogueFiles(dataDir), formatter, ServiceOptions{});
  for (fs::directory_iterator it(dataDir / "db", ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_directory()) continue;
    std::string name = Utf8UpperCase(it->path().filename().string());
    if (!Storage::IsValidDatabaseName(name) || !storage->CreateDatabase(name)) continue;
    ++report.databases;
    std::optional<fs::path> file = CatalogueFiles(dataDir).Find(kPathDatabase, name, name + ".txt");
    if (!file) continue;
    std::optional<std::string> text = ReadCatalogueFile(*file);
    if (!text) continue;
    TextExchangeReader reader(*text);
    if (!LoadDatabase(*storage, name, reader, service.IndexFor(name), report)) {
      report.message = "Не удалось записать записи базы " + name;
      return report;
    }
  }
  report.ok = true;
  report.message = "Баз данных: " + std::to_string(report.databases) +
                   ", записей: " + std::to_string(report.records);
  return report;
}

namespace {

// Rebuilds the dictionaries of `names` from their records.
LoadReport ReindexDatabases(Storage& storage, Service& service,
                            const std::vector<std::string>& names) {
  LoadReport report;
  for (const std::string& name : names) {
    if (!storage.Reindex(name, service.IndexFor(name))) {
      report.message = "Не удалось перестроить словарь базы " + name;
      return report;
    }
    ++report.databases;
  }
  report.ok = true;
  report.message = "Перестроено баз данных: " + std::to_string(report.databases);
  return report;
}

}  // namespace

LoadReport RebuildStaleIndexes(Storage& storage, Service& service) {
  return ReindexDatabases(storage, service, storage.StaleIndexes());
}

LoadReport ReindexDataDirectory(const fs::path& dataDir, Formatter& formatter) {
  LoadReport report;
  std::unique_ptr<Storage> storage;
  if (Status status = OpenStorage(dataDir, formatter, &storage); !status.ok())
    return Failed(report, status);
  Service service(*storage, CatalogueFiles(dataDir), formatter, ServiceOptions{});
  return ReindexDatabases(*storage, service, storage->Databases());
}

}  // namespace talor::server
