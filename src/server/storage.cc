#include "server/storage.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>

#include "server/password_hash.h"
#include "server/read_ahead.h"
#include "server/return_codes.h"
#include "text/encoding.h"

namespace talor::server {

namespace {

constexpr size_t kMaxDatabaseName = 32;
// Idle connections kept for reuse.
constexpr size_t kMaxPooledConnections = 64;
// The full-text row of record `mfn` of database `id` is id * kRowSpan + mfn.
constexpr int64_t kRowSpan = int64_t{1} << 32;
constexpr char kTermFieldSeparator = 31;
// The page cache of a connection during a bulk load or rebuild, in KiB, and
// the one it goes back to (SQLite's default).
constexpr int kBulkCacheKib = 262144;
constexpr int kDefaultCacheKib = 2000;
// Records made ready ahead of a bulk write: batches of kBulkBatch, at most
// kBulkBatches of them waiting.
constexpr size_t kBulkBatch = 256;
constexpr size_t kBulkBatches = 8;

constexpr std::string_view kSchema = R"(
CREATE TABLE IF NOT EXISTS databases(
  id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE);
CREATE TABLE IF NOT EXISTS records(
  db INTEGER NOT NULL, mfn INTEGER NOT NULL, status INTEGER NOT NULL,
  version INTEGER NOT NULL, fields BLOB NOT NULL, lock_owner TEXT NOT NULL DEFAULT '',
  actualized INTEGER NOT NULL DEFAULT 1, terms BLOB NOT NULL DEFAULT '',
  PRIMARY KEY(db, mfn)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS term_chunks(
  db INTEGER NOT NULL, term BLOB NOT NULL, chunk INTEGER NOT NULL, mfns BLOB NOT NULL,
  PRIMARY KEY(db, term, chunk)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS term_positions(
  db INTEGER NOT NULL, term BLOB NOT NULL, chunk INTEGER NOT NULL, postings BLOB NOT NULL,
  PRIMARY KEY(db, term, chunk)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS stale_indexes(db INTEGER PRIMARY KEY);
CREATE TABLE IF NOT EXISTS term_counts(
  db INTEGER NOT NULL, term BLOB NOT NULL, n INTEGER NOT NULL,
  PRIMARY KEY(db, term)) WITHOUT ROWID;
CREATE VIRTUAL TABLE IF NOT EXISTS fulltext USING fts5(
  body, tokenize = 'unicode61 remove_diacritics 2');
CREATE TABLE IF NOT EXISTS users(
  name TEXT PRIMARY KEY, password_hash TEXT NOT NULL, workstations TEXT NOT NULL,
  can_write INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS settings(
  id INTEGER PRIMARY KEY CHECK (id = 1), text BLOB NOT NULL);
)";

std::string UpperName(std::string_view name) { return Utf8UpperCase(name); }

// Runs `body` inside BEGIN IMMEDIATE ... COMMIT; rolls back when it fails.
template <typename Body>
bool InTransaction(SqliteConnection& db, Body&& body) {
  if (!db.Execute("BEGIN IMMEDIATE")) return false;
  if (!body()) {
    db.Execute("ROLLBACK");
    return false;
  }
  if (db.Execute("COMMIT")) return true;
  db.Execute("ROLLBACK");
  return false;
}

std::string EncodeTerms(std::vector<IndexTerm>& terms) {
  std::string text;
  for (const IndexTerm& t : terms) {
    text += t.term;
    for (int32_t n : {t.tag, t.occurrence, t.position}) {
      text += kTermFieldSeparator;
      text += std::to_string(n);
    }
    text += '\n';
  }
  return text;
}

std::vector<IndexTerm> DecodeTerms(std::string_view text) {
  std::vector<IndexTerm> terms;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    IndexTerm term;
    size_t sep = line.find(kTermFieldSeparator);
    term.term = std::string(line.substr(0, sep));
    int32_t* numbers[] = {&term.tag, &term.occurrence, &term.position};
    for (int32_t* number : numbers) {
      if (sep == std::string_view::npos) break;
      line.remove_prefix(sep + 1);
      sep = line.find(kTermFieldSeparator);
      *number = ParseInt(line.substr(0, sep)).value_or(0);
    }
    terms.push_back(std::move(term));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return terms;
}

void SortUnique(std::vector<IndexTerm>& terms) {
  auto key = [](const IndexTerm& t) { return std::tie(t.term, t.tag, t.occurrence, t.position); };
  std::sort(terms.begin(), terms.end(),
            [&](const IndexTerm& a, const IndexTerm& b) { return key(a) < key(b); });
  terms.erase(std::unique(terms.begin(), terms.end()), terms.end());
}

// A users table made before passwords were hashed keeps them, in plain
// text, in the column `password`.
bool HasPlainPasswords(SqliteConnection& db) {
  SqliteStatement query =
      db.Prepare("SELECT 1 FROM pragma_table_info('users') WHERE name = 'password'");
  return query.Step();
}

User UserFromRow(const SqliteStatement& row) {
  return User{row.Text(0), row.Text(1), row.Text(2), row.Int(3) != 0};
}

StoredRecord RecordFromRow(const SqliteStatement& row, int32_t mfn) {
  StoredRecord record;
  record.mfn = mfn;
  record.status = static_cast<int32_t>(row.Int(0));
  record.version = static_cast<int32_t>(row.Int(1));
  record.fields = DecodeFields(row.Text(2));
  return record;
}

bool HasTable(SqliteConnection& db, std::string_view name) {
  SqliteStatement query =
      db.Prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
  return query.Bind(1, name).Step();
}

int64_t FullTextRow(int64_t dbId, int32_t mfn) { return dbId * kRowSpan + mfn; }

// Replaces the full-text row of a record; `replace` false when the record
// has none yet.
bool PutFullText(SqliteConnection& db, int64_t dbId, int32_t mfn, std::string_view text,
                 bool replace) {
  if (replace) {
    CachedStatement remove = db.Cached("DELETE FROM fulltext WHERE rowid = ?");
    if (!remove.IsValid() || !remove->Bind(1, FullTextRow(dbId, mfn)).Run()) return false;
  }
  if (text.empty()) return true;
  CachedStatement add = db.Cached("INSERT INTO fulltext(rowid, body) VALUES(?, ?)");
  return add.IsValid() && add->Bind(1, FullTextRow(dbId, mfn)).Bind(2, text).Run();
}

// Replaces the index entries of record `mfn`: `oldTerms` are the terms kept
// with the stored record; `storedTerms` gets those to keep now.
bool ReplaceIndex(SqliteConnection& db, IndexChanges& changes, int64_t dbId, int32_t mfn,
                  std::string_view oldTerms, const IndexEntries& entries,
                  std::string& storedTerms) {
  std::vector<IndexTerm> terms = entries.terms;
  SortUnique(terms);
  if (!changes.Replace(mfn, DecodeTerms(oldTerms), terms)) return false;
  storedTerms = EncodeTerms(terms);
  return PutFullText(db, dbId, mfn, entries.fullText, true);
}

// A record made ready for a bulk write on the helper thread: its terms,
// sorted and without repeats, its full text, and the texts stored with it.
struct BulkRecord {
  StoredRecord record;
  std::vector<IndexTerm> terms;
  std::string fullText;
  std::string storedTerms;
  std::string fields;
};

BulkRecord PrepareBulk(StoredRecord record, const IndexFunction& index) {
  BulkRecord bulk;
  IndexEntries entries = index ? index(record) : IndexEntries{};
  SortUnique(entries.terms);
  bulk.storedTerms = EncodeTerms(entries.terms);
  bulk.terms = std::move(entries.terms);
  bulk.fullText = std::move(entries.fullText);
  bulk.fields = EncodeFields(record.fields);
  bulk.record = std::move(record);
  return bulk;
}

// Adds a record to an index being built: its terms to `builder`, its full
// text to the full-text index (which holds no row for it yet).
bool AddBulkIndex(SqliteConnection& db, IndexBuilder& builder, int64_t dbId,
                  const BulkRecord& bulk) {
  return builder.Add(bulk.record.mfn, bulk.terms) &&
         PutFullText(db, dbId, bulk.record.mfn, bulk.fullText, false);
}

void SetCache(SqliteConnection& db, int kib) {
  db.Execute("PRAGMA cache_size = -" + std::to_string(kib));
}

}  // namespace

Status Storage::Open(const std::string& file, std::unique_ptr<Storage>* storage) {
  std::unique_ptr<Storage> opened(new Storage(file));
  std::unique_ptr<SqliteConnection> db = opened->Acquire();
  if (!db) return Status::Error("не удалось открыть файл " + file);
  if (!db->Execute("PRAGMA journal_mode=WAL") || !db->Execute(kSchema))
    return Status::Error(db->LastError());
  if (Status status = opened->HashPlainPasswords(*db); !status.ok()) return status;
  if (Status status = opened->DropPostingRows(*db); !status.ok()) return status;
  opened->Release(std::move(db));
  *storage = std::move(opened);
  return Status::Ok();
}

Storage::~Storage() = default;

std::unique_ptr<SqliteConnection> Storage::Acquire() {
  {
    std::lock_guard lock(poolMutex_);
    if (!pool_.empty()) {
      std::unique_ptr<SqliteConnection> db = std::move(pool_.back());
      pool_.pop_back();
      return db;
    }
  }
  auto db = std::make_unique<SqliteConnection>();
  if (!db->Open(file_) || !db->Execute("PRAGMA synchronous=FULL; PRAGMA foreign_keys=OFF"))
    return nullptr;
  return db;
}

void Storage::Release(std::unique_ptr<SqliteConnection> connection) {
  if (!connection) return;
  std::lock_guard lock(poolMutex_);
  if (pool_.size() < kMaxPooledConnections) pool_.push_back(std::move(connection));
}

// Borrows a connection for one call and gives it back.
class Storage::Lease {
 public:
  explicit Lease(Storage& storage) : storage_(storage), db_(storage.Acquire()) {}
  ~Lease() { storage_.Release(std::move(db_)); }
  Lease(const Lease&) = delete;
  Lease& operator=(const Lease&) = delete;
  explicit operator bool() const { return db_ != nullptr; }
  SqliteConnection& operator*() { return *db_; }
  SqliteConnection* operator->() { return db_.get(); }

 private:
  Storage& storage_;
  std::unique_ptr<SqliteConnection> db_;
};

bool Storage::IsValidDatabaseName(std::string_view name) {
  if (name.empty() || name.size() > kMaxDatabaseName) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
  });
}

std::optional<int64_t> Storage::DatabaseId(SqliteConnection& db, std::string_view name) {
  if (!IsValidDatabaseName(name)) return std::nullopt;
  CachedStatement query = db.Cached("SELECT id FROM databases WHERE name = ?");
  if (!query.IsValid() || !query->Bind(1, UpperName(name)).Step()) return std::nullopt;
  return query->Int(0);
}

bool Storage::CreateDatabase(std::string_view name) {
  if (!IsValidDatabaseName(name)) return false;
  Lease db(*this);
  if (!db) return false;
  std::lock_guard lock(writeMutex_);
  SqliteStatement insert = db->Prepare("INSERT OR IGNORE INTO databases(name) VALUES(?)");
  return insert.Bind(1, UpperName(name)).Run();
}

bool Storage::HasDatabase(std::string_view name) {
  Lease db(*this);
  return db && DatabaseId(*db, name).has_value();
}

std::vector<std::string> Storage::Databases() {
  std::vector<std::string> names;
  Lease db(*this);
  if (!db) return names;
  CachedStatement query = db->Cached("SELECT name FROM databases ORDER BY name");
  while (query->Step()) names.push_back(query->Text(0));
  return names;
}

std::optional<int32_t> Storage::NextMfn(std::string_view database) {
  Lease db(*this);
  if (!db) return std::nullopt;
  std::optional<int64_t> id = DatabaseId(*db, database);
  if (!id) return std::nullopt;
  CachedStatement query = db->Cached("SELECT COALESCE(MAX(mfn), 0) FROM records WHERE db = ?");
  query->Bind(1, *id);
  if (!query->Step()) return std::nullopt;
  return static_cast<int32_t>(query->Int(0) + 1);
}

ReadOutcome Storage::ReadRecord(std::string_view database, int32_t mfn,
                                std::string_view lockOwner) {
  Lease db(*this);
  if (!db) return {Code(ReturnCode::StorageFailed), {}};
  std::optional<int64_t> id = DatabaseId(*db, database);
  if (!id) return {Code(ReturnCode::UnknownDatabase), {}};
  if (mfn <= 0) return {Code(ReturnCode::RecordAbsent), {}};
  auto read = [&](SqliteConnection& c, std::string* owner) -> std::optional<StoredRecord> {
    CachedStatement query = c.Cached(
        "SELECT status, version, fields, lock_owner FROM records WHERE db = ? AND mfn = ?");
    query->Bind(1, *id).Bind(2, mfn);
    if (!query->Step()) return std::nullopt;
    if (owner != nullptr) *owner = query->Text(3);
    return RecordFromRow(*query, mfn);
  };
  if (lockOwner.empty()) {
    std::optional<StoredRecord> record = read(*db, nullptr);
    if (!record) return {Code(ReturnCode::RecordAbsent), {}};
    return {0, std::move(*record)};
  }
  std::lock_guard lock(writeMutex_);
  ReadOutcome outcome;
  bool ok = InTransaction(*db, [&] {
    std::string owner;
    std::optional<StoredRecord> record = read(*db, &owner);
    if (!record) {
      outcome.code = Code(ReturnCode::RecordAbsent);
      return true;
    }
    if ((record->status & kStatusLocked) != 0 && owner != lockOwner) {
      outcome.code = Code(ReturnCode::RecordLocked);
      outcome.record = std::move(*record);
      return true;
    }
    record->status |= kStatusLocked;
    SqliteStatement update =
        db->Prepare("UPDATE records SET status = ?, lock_owner = ? WHERE db = ? AND mfn = ?");
    update.Bind(1, record->status).Bind(2, lockOwner).Bind(3, *id).Bind(4, mfn);
    outcome.record = std::move(*record);
    return update.Run();
  });
  if (!ok) return {Code(ReturnCode::StorageFailed), {}};
  return outcome;
}

WriteOutcome Storage::WriteOne(SqliteConnection& db, IndexChanges& changes, int64_t dbId,
                               const StoredRecord& incoming, const WriteOptions& options,
                               const IndexFunction& index) {
  WriteOutcome outcome;
  StoredRecord record = incoming;
  std::string oldTerms;
  if (record.mfn < 0) return {Code(ReturnCode::BadMfn), {}};
  if (record.mfn == 0) {
    CachedStatement next = db.Cached("SELECT COALESCE(MAX(mfn), 0) FROM records WHERE db = ?");
    if (!next.IsValid() || !next->Bind(1, dbId).Step())
      return {Code(ReturnCode::StorageFailed), {}};
    if (next->Int(0) >= INT32_MAX) return {Code(ReturnCode::BadMfn), {}};
    record.mfn = static_cast<int32_t>(next->Int(0) + 1);
    record.version = 1;
  } else {
    CachedStatement query = db.Cached(
        "SELECT status, version, fields, lock_owner, terms FROM records WHERE db = ? AND mfn = ?");
    if (!query.IsValid()) return {Code(ReturnCode::StorageFailed), {}};
    query->Bind(1, dbId).Bind(2, record.mfn);
    if (!query->Step()) return {Code(ReturnCode::RecordAbsent), {}};
    StoredRecord stored = RecordFromRow(*query, record.mfn);
    std::string owner = query->Text(3);
    if ((stored.status & kStatusLocked) != 0 && owner != options.lockOwner)
      return {Code(ReturnCode::RecordLocked), std::move(stored)};
    if (stored.version != record.version)
      return {Code(ReturnCode::VersionConflict), std::move(stored)};
    oldTerms = query->Text(4);
    record.version = stored.version + 1;
  }
  record.status &= ~kStatusLocked;
  if (options.keepLock) record.status |= kStatusLocked;
  for (Field& field : record.fields) field.value = CleanValue(field.value);

  std::string storedTerms(oldTerms);
  if (options.actualize) {
    IndexEntries entries = index ? index(record) : IndexEntries{};
    if (!ReplaceIndex(db, changes, dbId, record.mfn, oldTerms, entries, storedTerms))
      return {Code(ReturnCode::StorageFailed), {}};
  }
  CachedStatement put = db.Cached(
      "INSERT OR REPLACE INTO records(db, mfn, status, version, fields, lock_owner, actualized, "
      "terms) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
  if (!put.IsValid()) return {Code(ReturnCode::StorageFailed), {}};
  put->Bind(1, dbId).Bind(2, record.mfn).Bind(3, record.status).Bind(4, record.version);
  put->BindBlob(5, EncodeFields(record.fields));
  put->Bind(6, options.keepLock ? std::string_view(options.lockOwner) : std::string_view());
  put->Bind(7, options.actualize ? 1 : 0).BindBlob(8, storedTerms);
  if (!put->Run()) return {Code(ReturnCode::StorageFailed), {}};
  outcome.record = std::move(record);
  return outcome;
}

WriteOutcome Storage::WriteRecord(std::string_view database, const StoredRecord& record,
                                  const WriteOptions& options, const IndexFunction& index) {
  std::vector<WriteOutcome> outcomes = WriteRecords(database, {record}, options, index);
  return outcomes.empty() ? WriteOutcome{Code(ReturnCode::StorageFailed), {}}
                          : std::move(outcomes.front());
}

std::vector<WriteOutcome> Storage::WriteRecords(std::string_view database,
                                                const std::vector<StoredRecord>& records,
                                                const WriteOptions& options,
                                                const IndexFunction& index) {
  Lease db(*this);
  auto failAll = [&](ReturnCode code) {
    return std::vector<WriteOutcome>(records.size(), WriteOutcome{Code(code), {}});
  };
  if (!db) return failAll(ReturnCode::StorageFailed);
  std::optional<int64_t> id = DatabaseId(*db, database);
  if (!id) return failAll(ReturnCode::UnknownDatabase);
  std::lock_guard lock(writeMutex_);
  std::vector<WriteOutcome> outcomes;
  // The index changes of the whole batch are written once, before the
  // commit; a failed record fails the batch, so none of them is kept then.
  IndexChanges changes(*db, *id);
  bool ok = InTransaction(*db, [&] {
    for (const StoredRecord& record : records) {
      outcomes.push_back(WriteOne(*db, changes, *id, record, options, index));
      if (outcomes.back().code == Code(ReturnCode::StorageFailed)) return false;
    }
    return changes.Flush();
  });
  if (!ok) return failAll(ReturnCode::StorageFailed);
  return outcomes;
}

bool Storage::Reindex(std::string_view database, const IndexFunction& index) {
  Lease db(*this);
  Lease reader(*this);
  if (!db || !reader) return false;
  std::optional<int64_t> id = DatabaseId(*db, database);
  if (!id) return false;
  std::lock_guard lock(writeMutex_);
  SetCache(*db, kBulkCacheKib);
  bool ok = InTransaction(*db, [&] {
    SqliteStatement clearText = db->Prepare("DELETE FROM fulltext WHERE rowid BETWEEN ? AND ?");
    SqliteStatement fresh = db->Prepare("DELETE FROM stale_indexes WHERE db = ?");
    if (!ClearIndex(*db, *id) || !fresh.Bind(1, *id).Run() ||
        !clearText.Bind(1, FullTextRow(*id, 0)).Bind(2, FullTextRow(*id, 0) + kRowSpan - 1).Run())
      return false;
    // The records are read and indexed on the helper thread, on a
    // connection of their own that sees them as committed.
    SqliteStatement all = reader->Prepare(
        "SELECT status, version, fields, mfn FROM records WHERE db = ? ORDER BY mfn");
    all.Bind(1, *id);
    SqliteStatement put =
        db->Prepare("UPDATE records SET terms = ?, actualized = 1 WHERE db = ? AND mfn = ?");
    IndexBuilder builder(*db, *id);
    ReadAhead<BulkRecord> ahead(
        [&]() -> std::optional<BulkRecord> {
          if (!all.Step()) return std::nullopt;
          return PrepareBulk(RecordFromRow(all, static_cast<int32_t>(all.Int(3))), index);
        },
        kBulkBatch, kBulkBatches);
    while (std::optional<BulkRecord> bulk = ahead.Next()) {
      if (!AddBulkIndex(*db, builder, *id, *bulk)) return false;
      put.Reset();
      put.BindBlob(1, bulk->storedTerms).Bind(2, *id).Bind(3, bulk->record.mfn);
      if (!put.Run()) return false;
    }
    return all.Done() && builder.Finish();
  });
  SetCache(*db, kDefaultCacheKib);
  return ok;
}

std::optional<int64_t> Storage::LoadRecords(std::string_view database, const RecordSource& next,
                                            const IndexFunction& index) {
  Lease db(*this);
  if (!db) return std::nullopt;
  std::optional<int64_t> id = DatabaseId(*db, database);
  if (!id) return std::nullopt;
  std::lock_guard lock(writeMutex_);
  SetCache(*db, kBulkCacheKib);
  int32_t made = 0;
  int64_t loaded = 0;
  bool full = false;
  bool ok = InTransaction(*db, [&] {
    SqliteStatement any = db->Prepare("SELECT 1 FROM records WHERE db = ? LIMIT 1");
    if (any.Bind(1, *id).Step() || !any.Done()) return false;
    SqliteStatement put = db->Prepare(
        "INSERT INTO records(db, mfn, status, version, fields, lock_owner, actualized, terms) "
        "VALUES(?, ?, ?, 1, ?, '', 1, ?)");
    IndexBuilder builder(*db, *id);
    ReadAhead<BulkRecord> ahead(
        [&]() -> std::optional<BulkRecord> {
          std::optional<StoredRecord> record = next();
          if (!record) return std::nullopt;
          if (made == INT32_MAX - 1) {
            full = true;
            return std::nullopt;
          }
          record->mfn = ++made;
          record->version = 1;
          record->status &= ~kStatusLocked;
          for (Field& field : record->fields) field.value = CleanValue(field.value);
          return PrepareBulk(std::move(*record), index);
        },
        kBulkBatch, kBulkBatches);
    while (std::optional<BulkRecord> bulk = ahead.Next()) {
      if (!AddBulkIndex(*db, builder, *id, *bulk)) return false;
      put.Reset();
      put.Bind(1, *id).Bind(2, bulk->record.mfn).Bind(3, bulk->record.status);
      if (!put.BindBlob(4, bulk->fields).BindBlob(5, bulk->storedTerms).Run()) return false;
      ++loaded;
    }
    return !full && builder.Finish();
  });
  SetCache(*db, kDefaultCacheKib);
  if (!ok) return std::nullopt;
  return loaded;
}

std::vector<std::string> Storage::StaleIndexes() {
  std::vector<std::string> names;
  Lease db(*this);
  if (!db) return names;
  SqliteStatement query = db->Prepare(
      "SELECT name FROM databases WHERE id IN (SELECT db FROM stale_indexes) ORDER BY name");
  while (query.Step()) names.push_back(query.Text(0));
  return names;
}

void Storage::ReleaseLocks(std::string_view owner) {
  if (owner.empty()) return;
  Lease db(*this);
  if (!db) return;
  std::lock_guard lock(writeMutex_);
  SqliteStatement update =
      db->Prepare("UPDATE records SET status = status & ~" + std::to_string(kStatusLocked) +
                  ", lock_owner = '' WHERE lock_owner = ?");
  update.Bind(1, owner).Run();
}

std::vector<TermCount> Storage::Terms(std::string_view database, std::string_view start, int count,
                                      bool forward) {
  std::vector<TermCount> terms;
  Lease db(*this);
  if (!db || count <= 0) return terms;
  std::optional<int64_t> id = DatabaseId(*db, database);
  if (!id) return terms;
  CachedStatement query = db->Cached(
      forward ? "SELECT term, n FROM term_counts WHERE db = ? AND term >= ? ORDER BY term LIMIT ?"
              : "SELECT term, n FROM term_counts WHERE db = ? AND term <= ? ORDER BY term DESC "
                "LIMIT ?");
  query->Bind(1, *id).BindBlob(2, start).Bind(3, count);
  while (query->Step()) terms.push_back({query->Text(0), query->Int(1)});
  return terms;
}

bool Storage::TermExists(std::string_view database, std::string_view term) {
  Lease db(*this);
  if (!db) return false;
  std::optional<int64_t> id = DatabaseId(*db, database);
  if (!id) return false;
  CachedStatement query = db->Cached("SELECT 1 FROM term_counts WHERE db = ? AND term = ?");
  query->Bind(1, *id).BindBlob(2, term);
  return query->Step();
}

std::vector<Posting> Storage::Postings(std::string_view database, std::string_view term,
                                       bool truncated, size_t limit) {
  Lease db(*this);
  if (!db) return {};
  std::optional<int64_t> id = DatabaseId(*db, database);
  if (!id) return {};
  return SqliteTermIndex(*db, *id)
      .AllPostings(term, truncated, limit)
      .value_or(std::vector<Posting>{});
}

// A term index read inside one read transaction on a borrowed connection.
class Storage::SnapshotIndex : public TermIndex {
 public:
  // Opens the read transaction; the database id is looked up inside it.
  explicit SnapshotIndex(std::unique_ptr<Lease> lease) : lease_(std::move(lease)) { Run("BEGIN"); }
  ~SnapshotIndex() override { Run("COMMIT"); }
  SqliteConnection& db() { return **lease_; }
  void Read(int64_t dbId) { index_.emplace(db(), dbId); }

  std::optional<MfnSet> Records(std::string_view term, bool truncated) override {
    return index_->Records(term, truncated);
  }
  std::optional<std::vector<Posting>> Postings(std::string_view term, bool truncated,
                                               const MfnSet& within) override {
    return index_->Postings(term, truncated, within);
  }

 private:
  void Run(std::string_view sql) {
    CachedStatement statement = db().Cached(sql);
    if (statement.IsValid()) statement->Run();
  }

  std::unique_ptr<Lease> lease_;
  std::optional<SqliteTermIndex> index_;
};

std::unique_ptr<TermIndex> Storage::SearchIndex(std::string_view database) {
  auto lease = std::make_unique<Lease>(*this);
  if (!*lease) return nullptr;
  auto index = std::make_unique<SnapshotIndex>(std::move(lease));
  std::optional<int64_t> id = DatabaseId(index->db(), database);
  if (!id) return nullptr;
  index->Read(*id);
  return index;
}

std::optional<std::vector<FullTextHit>> Storage::FullText(std::string_view database,
                                                          std::string_view ftsQuery, int limit) {
  Lease db(*this);
  if (!db) return std::nullopt;
  std::optional<int64_t> id = DatabaseId(*db, database);
  if (!id) return std::vector<FullTextHit>{};
  SqliteStatement query = db->Prepare(
      "SELECT rowid, rank FROM fulltext WHERE fulltext MATCH ? AND rowid BETWEEN ? AND ? "
      "ORDER BY rank LIMIT ?");
  query.Bind(1, ftsQuery).Bind(2, *id * kRowSpan).Bind(3, *id * kRowSpan + kRowSpan - 1);
  query.Bind(4, limit);
  std::vector<FullTextHit> hits;
  while (query.Step())
    hits.push_back(
        {static_cast<int32_t>(query.Int(0) - *id * kRowSpan), static_cast<double>(query.Int(1))});
  if (!query.Done()) return std::nullopt;
  return hits;
}

Status Storage::HashPlainPasswords(SqliteConnection& db) {
  if (!HasPlainPasswords(db)) return Status::Ok();
  // Space freed by the rewrite is zeroed, so the old passwords leave no
  // bytes behind in the file.
  db.Execute("PRAGMA secure_delete=ON");
  std::lock_guard lock(writeMutex_);
  int converted = 0;
  bool ok = InTransaction(db, [&] {
    std::vector<std::pair<std::string, std::string>> plain;  // name, password
    SqliteStatement all = db.Prepare("SELECT name, password FROM users");
    while (all.Step()) plain.emplace_back(all.Text(0), all.Text(1));
    if (!all.Done()) return false;
    SqliteStatement put = db.Prepare("UPDATE users SET password = ? WHERE name = ?");
    for (const auto& [name, password] : plain) {
      std::optional<std::string> hash = HashPassword(password);
      put.Reset();
      if (!hash || !put.Bind(1, *hash).Bind(2, name).Run()) return false;
      ++converted;
    }
    return db.Execute("ALTER TABLE users RENAME COLUMN password TO password_hash");
  });
  if (!ok)
    return Status::Error("не удалось заменить пароли пользователей хэшами: " + db.LastError());
  db.Execute("PRAGMA secure_delete=OFF");
  // Copies the rewritten pages over the old ones in the main file and
  // empties the log, which may still hold pages from before.
  db.Execute("PRAGMA wal_checkpoint(TRUNCATE)");
  convertedUsers_ = converted;
  return Status::Ok();
}

// A file made before the term index kept one row per posting in the table
// `postings`, which nothing reads any more. It is dropped with the term
// counts that went with it, and every database is marked for a rebuild
// from its records.
Status Storage::DropPostingRows(SqliteConnection& db) {
  if (!HasTable(db, "postings")) return Status::Ok();
  std::lock_guard lock(writeMutex_);
  bool ok = InTransaction(db, [&] {
    return db.Execute("DROP TABLE postings") && db.Execute("DELETE FROM term_counts") &&
           db.Execute("INSERT OR IGNORE INTO stale_indexes SELECT id FROM databases");
  });
  if (!ok)
    return Status::Error("не удалось перевести словарь на новое устройство: " + db.LastError());
  return Status::Ok();
}

std::optional<User> Storage::FindUser(std::string_view name) {
  Lease db(*this);
  if (!db) return std::nullopt;
  CachedStatement query =
      db->Cached("SELECT name, password_hash, workstations, can_write FROM users WHERE name = ?");
  query->Bind(1, name);
  if (!query->Step()) return std::nullopt;
  return UserFromRow(*query);
}

std::vector<User> Storage::Users() {
  std::vector<User> users;
  Lease db(*this);
  if (!db) return users;
  SqliteStatement query =
      db->Prepare("SELECT name, password_hash, workstations, can_write FROM users ORDER BY name");
  while (query.Step()) users.push_back(UserFromRow(query));
  return users;
}

bool Storage::PutUser(const User& user) {
  return ChangeUsers("INSERT OR REPLACE INTO users VALUES(?1, ?2, ?3, ?4)", user) ==
         UserChange::Done;
}

UserChange Storage::AddUser(const User& user) {
  UserChange change =
      ChangeUsers("INSERT INTO users VALUES(?1, ?2, ?3, ?4) ON CONFLICT(name) DO NOTHING", user);
  return change == UserChange::Absent ? UserChange::Exists : change;
}

UserChange Storage::ChangeUser(const User& user) {
  return ChangeUsers(
      "UPDATE users SET password_hash = ?2, workstations = ?3, can_write = ?4 WHERE name = ?1",
      user);
}

UserChange Storage::RemoveUser(std::string_view name) {
  return ChangeUsers("DELETE FROM users WHERE name = ?1", User{std::string(name), {}, {}, false});
}

// Runs one statement over the users with the user's name, hash, workstation
// codes and rights bound to ?1 to ?4 (a statement need not use them all);
// Absent when it changed no row.
UserChange Storage::ChangeUsers(std::string_view sql, const User& user) {
  Lease db(*this);
  if (!db) return UserChange::Failed;
  std::lock_guard lock(writeMutex_);
  SqliteStatement change = db->Prepare(sql);
  change.Bind(1, user.name).Bind(2, user.passwordHash).Bind(3, user.workstations);
  if (!change.Bind(4, user.canWrite ? 1 : 0).Run()) return UserChange::Failed;
  return sqlite3_changes(db->handle()) > 0 ? UserChange::Done : UserChange::Absent;
}

std::string Storage::Settings() {
  Lease db(*this);
  if (!db) return {};
  CachedStatement query = db->Cached("SELECT text FROM settings WHERE id = 1");
  return query->Step() ? query->Text(0) : std::string();
}

bool Storage::PutSettings(std::string_view text) {
  Lease db(*this);
  if (!db) return false;
  std::lock_guard lock(writeMutex_);
  SqliteStatement put = db->Prepare("INSERT OR REPLACE INTO settings VALUES(1, ?)");
  return put.BindBlob(1, text).Run();
}

}  // namespace talor::server
