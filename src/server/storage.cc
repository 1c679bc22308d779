#include "server/storage.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>

#include "server/password_hash.h"
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

constexpr std::string_view kSchema = R"(
CREATE TABLE IF NOT EXISTS databases(
  id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE);
CREATE TABLE IF NOT EXISTS records(
  db INTEGER NOT NULL, mfn INTEGER NOT NULL, status INTEGER NOT NULL,
  version INTEGER NOT NULL, fields BLOB NOT NULL, lock_owner TEXT NOT NULL DEFAULT '',
  actualized INTEGER NOT NULL DEFAULT 1, terms BLOB NOT NULL DEFAULT '',
  PRIMARY KEY(db, mfn)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS postings(
  db INTEGER NOT NULL, term BLOB NOT NULL, mfn INTEGER NOT NULL, tag INTEGER NOT NULL,
  occ INTEGER NOT NULL, pos INTEGER NOT NULL,
  PRIMARY KEY(db, term, mfn, tag, occ, pos)) WITHOUT ROWID;
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

}  // namespace

std::unique_ptr<Storage> Storage::Open(const std::string& file, std::string& error) {
  std::unique_ptr<Storage> storage(new Storage(file));
  std::unique_ptr<SqliteConnection> db = storage->Acquire();
  if (!db) {
    error = "cannot open " + file;
    return nullptr;
  }
  if (!db->Execute("PRAGMA journal_mode=WAL") || !db->Execute(kSchema)) {
    error = db->LastError();
    return nullptr;
  }
  if (!storage->HashPlainPasswords(*db, error)) return nullptr;
  storage->Release(std::move(db));
  return storage;
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
  SqliteStatement query = db.Prepare("SELECT id FROM databases WHERE name = ?");
  query.Bind(1, UpperName(name));
  if (!query.Step()) return std::nullopt;
  return query.Int(0);
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
  SqliteStatement query = db->Prepare("SELECT name FROM databases ORDER BY name");
  while (query.Step()) names.push_back(query.Text(0));
  return names;
}

std::optional<int32_t> Storage::NextMfn(std::string_view database) {
  Lease db(*this);
  if (!db) return std::nullopt;
  std::optional<int64_t> id = DatabaseId(*db, database);
  if (!id) return std::nullopt;
  SqliteStatement query = db->Prepare("SELECT COALESCE(MAX(mfn), 0) FROM records WHERE db = ?");
  query.Bind(1, *id);
  if (!query.Step()) return std::nullopt;
  return static_cast<int32_t>(query.Int(0) + 1);
}

ReadOutcome Storage::ReadRecord(std::string_view database, int32_t mfn,
                                std::string_view lockOwner) {
  Lease db(*this);
  if (!db) return {Code(ReturnCode::StorageFailed), {}};
  std::optional<int64_t> id = DatabaseId(*db, database);
  if (!id) return {Code(ReturnCode::UnknownDatabase), {}};
  if (mfn <= 0) return {Code(ReturnCode::RecordAbsent), {}};
  auto read = [&](SqliteConnection& c, std::string* owner) -> std::optional<StoredRecord> {
    SqliteStatement query = c.Prepare(
        "SELECT status, version, fields, lock_owner FROM records WHERE db = ? AND mfn = ?");
    query.Bind(1, *id).Bind(2, mfn);
    if (!query.Step()) return std::nullopt;
    if (owner != nullptr) *owner = query.Text(3);
    return RecordFromRow(query, mfn);
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

bool Storage::ReplaceIndex(SqliteConnection& db, int64_t dbId, int32_t mfn,
                           std::string_view oldTerms, const IndexEntries& entries,
                           std::string& storedTerms) {
  SqliteStatement removePosting = db.Prepare(
      "DELETE FROM postings WHERE db = ? AND term = ? AND mfn = ? AND tag = ? AND occ = ? AND "
      "pos = ?");
  SqliteStatement addPosting =
      db.Prepare("INSERT OR IGNORE INTO postings VALUES(?, ?, ?, ?, ?, ?)");
  SqliteStatement count = db.Prepare(
      "INSERT INTO term_counts VALUES(?, ?, ?) ON CONFLICT(db, term) DO UPDATE SET n = n + "
      "excluded.n");
  SqliteStatement dropEmpty =
      db.Prepare("DELETE FROM term_counts WHERE db = ? AND term = ? AND n <= 0");
  if (!removePosting.IsValid() || !addPosting.IsValid() || !count.IsValid() || !dropEmpty.IsValid())
    return false;
  auto change = [&](SqliteStatement& statement, const IndexTerm& t, int delta) {
    statement.Reset();
    statement.BindBlob(2, t.term);
    statement.Bind(1, dbId).Bind(3, mfn).Bind(4, t.tag).Bind(5, t.occurrence).Bind(6, t.position);
    if (!statement.Run()) return false;
    if (sqlite3_changes(db.handle()) == 0) return true;
    count.Reset();
    count.Bind(1, dbId).BindBlob(2, t.term).Bind(3, delta);
    if (!count.Run()) return false;
    if (delta > 0) return true;
    dropEmpty.Reset();
    dropEmpty.Bind(1, dbId).BindBlob(2, t.term);
    return dropEmpty.Run();
  };
  for (const IndexTerm& t : DecodeTerms(oldTerms))
    if (!change(removePosting, t, -1)) return false;
  std::vector<IndexTerm> terms = entries.terms;
  SortUnique(terms);
  for (const IndexTerm& t : terms)
    if (!change(addPosting, t, 1)) return false;
  storedTerms = EncodeTerms(terms);

  int64_t row = dbId * kRowSpan + mfn;
  SqliteStatement removeText = db.Prepare("DELETE FROM fulltext WHERE rowid = ?");
  if (!removeText.Bind(1, row).Run()) return false;
  if (entries.fullText.empty()) return true;
  SqliteStatement addText = db.Prepare("INSERT INTO fulltext(rowid, body) VALUES(?, ?)");
  return addText.Bind(1, row).Bind(2, entries.fullText).Run();
}

WriteOutcome Storage::WriteOne(SqliteConnection& db, int64_t dbId, const StoredRecord& incoming,
                               const WriteOptions& options, const IndexFunction& index) {
  WriteOutcome outcome;
  StoredRecord record = incoming;
  std::string oldTerms;
  if (record.mfn < 0) return {Code(ReturnCode::BadMfn), {}};
  if (record.mfn == 0) {
    SqliteStatement next = db.Prepare("SELECT COALESCE(MAX(mfn), 0) FROM records WHERE db = ?");
    if (!next.Bind(1, dbId).Step()) return {Code(ReturnCode::StorageFailed), {}};
    if (next.Int(0) >= INT32_MAX) return {Code(ReturnCode::BadMfn), {}};
    record.mfn = static_cast<int32_t>(next.Int(0) + 1);
    record.version = 1;
  } else {
    SqliteStatement query = db.Prepare(
        "SELECT status, version, fields, lock_owner, terms FROM records WHERE db = ? AND mfn = ?");
    query.Bind(1, dbId).Bind(2, record.mfn);
    if (!query.Step()) return {Code(ReturnCode::RecordAbsent), {}};
    StoredRecord stored = RecordFromRow(query, record.mfn);
    std::string owner = query.Text(3);
    if ((stored.status & kStatusLocked) != 0 && owner != options.lockOwner)
      return {Code(ReturnCode::RecordLocked), std::move(stored)};
    if (stored.version != record.version)
      return {Code(ReturnCode::VersionConflict), std::move(stored)};
    oldTerms = query.Text(4);
    record.version = stored.version + 1;
  }
  record.status &= ~kStatusLocked;
  if (options.keepLock) record.status |= kStatusLocked;
  for (Field& field : record.fields) field.value = CleanValue(field.value);

  std::string storedTerms(oldTerms);
  if (options.actualize) {
    IndexEntries entries = index ? index(record) : IndexEntries{};
    if (!ReplaceIndex(db, dbId, record.mfn, oldTerms, entries, storedTerms))
      return {Code(ReturnCode::StorageFailed), {}};
  }
  SqliteStatement put = db.Prepare(
      "INSERT OR REPLACE INTO records(db, mfn, status, version, fields, lock_owner, actualized, "
      "terms) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
  put.Bind(1, dbId).Bind(2, record.mfn).Bind(3, record.status).Bind(4, record.version);
  put.BindBlob(5, EncodeFields(record.fields));
  put.Bind(6, options.keepLock ? std::string_view(options.lockOwner) : std::string_view());
  put.Bind(7, options.actualize ? 1 : 0).BindBlob(8, storedTerms);
  if (!put.Run()) return {Code(ReturnCode::StorageFailed), {}};
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
  bool ok = InTransaction(*db, [&] {
    for (const StoredRecord& record : records) {
      // Each record is its own savepoint, so a failed one leaves no half-written index.
      if (!db->Execute("SAVEPOINT one")) return false;
      outcomes.push_back(WriteOne(*db, *id, record, options, index));
      if (outcomes.back().code == Code(ReturnCode::StorageFailed)) {
        db->Execute("ROLLBACK TO one");
        return false;
      }
      if (!db->Execute("RELEASE one")) return false;
    }
    return true;
  });
  if (!ok) return failAll(ReturnCode::StorageFailed);
  return outcomes;
}

bool Storage::Reindex(std::string_view database, const IndexFunction& index) {
  Lease db(*this);
  if (!db) return false;
  std::optional<int64_t> id = DatabaseId(*db, database);
  if (!id) return false;
  std::lock_guard lock(writeMutex_);
  return InTransaction(*db, [&] {
    SqliteStatement clear = db->Prepare("DELETE FROM postings WHERE db = ?");
    SqliteStatement clearCounts = db->Prepare("DELETE FROM term_counts WHERE db = ?");
    SqliteStatement clearText = db->Prepare("DELETE FROM fulltext WHERE rowid BETWEEN ? AND ?");
    if (!clear.Bind(1, *id).Run() || !clearCounts.Bind(1, *id).Run() ||
        !clearText.Bind(1, *id * kRowSpan).Bind(2, *id * kRowSpan + kRowSpan - 1).Run())
      return false;
    SqliteStatement all =
        db->Prepare("SELECT status, version, fields, mfn FROM records WHERE db = ? ORDER BY mfn");
    all.Bind(1, *id);
    SqliteStatement put =
        db->Prepare("UPDATE records SET terms = ?, actualized = 1 WHERE db = ? AND mfn = ?");
    while (all.Step()) {
      StoredRecord record = RecordFromRow(all, static_cast<int32_t>(all.Int(3)));
      std::string terms;
      if (!ReplaceIndex(*db, *id, record.mfn, "", index(record), terms)) return false;
      put.Reset();
      put.BindBlob(1, terms).Bind(2, *id).Bind(3, record.mfn);
      if (!put.Run()) return false;
    }
    return all.Done();
  });
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
  SqliteStatement query = db->Prepare(
      forward ? "SELECT term, n FROM term_counts WHERE db = ? AND term >= ? ORDER BY term LIMIT ?"
              : "SELECT term, n FROM term_counts WHERE db = ? AND term <= ? ORDER BY term DESC "
                "LIMIT ?");
  query.Bind(1, *id).BindBlob(2, start).Bind(3, count);
  while (query.Step()) terms.push_back({query.Text(0), query.Int(1)});
  return terms;
}

bool Storage::TermExists(std::string_view database, std::string_view term) {
  Lease db(*this);
  if (!db) return false;
  std::optional<int64_t> id = DatabaseId(*db, database);
  if (!id) return false;
  SqliteStatement query = db->Prepare("SELECT 1 FROM term_counts WHERE db = ? AND term = ?");
  query.Bind(1, *id).BindBlob(2, term);
  return query.Step();
}

std::vector<Posting> Storage::Postings(std::string_view database, std::string_view term,
                                       bool truncated, size_t limit) {
  std::vector<Posting> postings;
  Lease db(*this);
  if (!db) return postings;
  std::optional<int64_t> id = DatabaseId(*db, database);
  if (!id) return postings;
  SqliteStatement query(nullptr);
  if (truncated) {
    // Every term with the prefix: from the prefix up to the prefix followed by byte 0xFF.
    std::string upper(term);
    upper += '\xFF';
    query = db->Prepare(
        "SELECT mfn, tag, occ, pos FROM postings WHERE db = ? AND term >= ? AND term < ?");
    query.Bind(1, *id).BindBlob(2, term).BindBlob(3, upper);
  } else {
    query = db->Prepare(
        "SELECT mfn, tag, occ, pos FROM postings WHERE db = ? AND term = ? "
        "ORDER BY mfn, tag, occ, pos");
    query.Bind(1, *id).BindBlob(2, term);
  }
  while (query.Step()) {
    postings.push_back({static_cast<int32_t>(query.Int(0)), static_cast<int32_t>(query.Int(1)),
                        static_cast<int32_t>(query.Int(2)), static_cast<int32_t>(query.Int(3))});
  }
  // One term's rows arrive in key order, which is posting order already;
  // several terms' rows need merging.
  if (truncated) std::sort(postings.begin(), postings.end());
  if (limit > 0 && postings.size() > limit) postings.resize(limit);
  return postings;
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

bool Storage::HashPlainPasswords(SqliteConnection& db, std::string& error) {
  if (!HasPlainPasswords(db)) return true;
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
  if (!ok) {
    error = "не удалось заменить пароли пользователей хэшами: " + db.LastError();
    return false;
  }
  db.Execute("PRAGMA secure_delete=OFF");
  // Copies the rewritten pages over the old ones in the main file and
  // empties the log, which may still hold pages from before.
  db.Execute("PRAGMA wal_checkpoint(TRUNCATE)");
  convertedUsers_ = converted;
  return true;
}

std::optional<User> Storage::FindUser(std::string_view name) {
  Lease db(*this);
  if (!db) return std::nullopt;
  SqliteStatement query =
      db->Prepare("SELECT name, password_hash, workstations, can_write FROM users WHERE name = ?");
  query.Bind(1, name);
  if (!query.Step()) return std::nullopt;
  return UserFromRow(query);
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
  SqliteStatement query = db->Prepare("SELECT text FROM settings WHERE id = 1");
  return query.Step() ? query.Text(0) : std::string();
}

bool Storage::PutSettings(std::string_view text) {
  Lease db(*this);
  if (!db) return false;
  std::lock_guard lock(writeMutex_);
  SqliteStatement put = db->Prepare("INSERT OR REPLACE INTO settings VALUES(1, ?)");
  return put.BindBlob(1, text).Run();
}

}  // namespace talor::server
