// The catalogue storage: one SQLite file (WAL journal, full synchronisation)
// holding every database's records, its term index (compressed MFN sets and
// postings per term and chunk of MFNs, index_store.h), its full-text index
// (FTS5), the users and the settings text sent at registration.
// docs/server-storage.md describes the tables.
//
// Thread-safe: every call borrows a connection from a pool; writes are
// serialised and committed before the call returns, so a write that
// returned is on disk.

#ifndef TALOR_SERVER_STORAGE_H_
#define TALOR_SERVER_STORAGE_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/index_store.h"
#include "server/indexer.h"
#include "server/posting.h"
#include "server/sqlite.h"
#include "server/stored_record.h"
#include "server/term_index.h"
#include "text/status.h"

namespace talor::server {

struct TermCount {
  std::string term;
  int64_t count = 0;
};

struct User {
  std::string name;
  std::string passwordHash;  // made by HashPassword; never the password itself
  std::string workstations;  // the workstation codes the user may register with; empty = any
  bool canWrite = false;
};

// The result of a change to the users.
enum class UserChange {
  Done,
  Exists,  // AddUser: the name is taken
  Absent,  // ChangeUser, RemoveUser: no user of that name
  Failed,  // the storage could not be written
};

struct ReadOutcome {
  int32_t code = 0;  // 0, or RecordAbsent, RecordLocked, UnknownDatabase, StorageFailed
  StoredRecord record;
};

struct WriteOptions {
  std::string lockOwner;  // who writes; a record locked by someone else is refused
  bool keepLock = false;  // leave the record locked by the writer
  bool actualize = true;  // update the dictionary and the full-text index now
};

struct WriteOutcome {
  // 0; VersionConflict (record = the stored one); RecordLocked, RecordAbsent,
  // BadMfn, UnknownDatabase, StorageFailed.
  int32_t code = 0;
  StoredRecord record;  // the record as now stored
};

// Builds the index entries of a record of the database being written.
using IndexFunction = std::function<IndexEntries(const StoredRecord&)>;
// Gives the next record to load, or nullopt when there are no more.
using RecordSource = std::function<std::optional<StoredRecord>()>;

struct FullTextHit {
  int32_t mfn = 0;
  double rank = 0;
};

class Storage {
 public:
  // Opens or creates the storage file into `*storage`.
  // A file whose users still have plain-text passwords (made before they
  // were hashed) has them replaced by hashes first, all in one transaction,
  // with the old bytes overwritten; convertedUsers() tells how many.
  // A file with the earlier dictionary (one row per posting) loses it, and
  // its databases are listed by StaleIndexes() until Reindex rebuilds them.
  static Status Open(const std::string& file, std::unique_ptr<Storage>* storage);
  ~Storage();

  // Database names are upper-cased; a valid name is 1 to 32 letters, digits
  // or `_`.
  static bool IsValidDatabaseName(std::string_view name);
  bool CreateDatabase(std::string_view name);
  bool HasDatabase(std::string_view name);
  std::vector<std::string> Databases();

  // The MFN that the next new record gets (highest MFN + 1); nullopt for an
  // unknown database.
  std::optional<int32_t> NextMfn(std::string_view database);

  // Reads a record. With a non-empty `lockOwner` the record is locked for
  // that owner (RecordLocked when someone else holds it).
  ReadOutcome ReadRecord(std::string_view database, int32_t mfn, std::string_view lockOwner);

  // Writes a record: MFN 0 creates a new one; an existing record must carry
  // the stored version (VersionConflict otherwise) and becomes version + 1.
  WriteOutcome WriteRecord(std::string_view database, const StoredRecord& record,
                           const WriteOptions& options, const IndexFunction& index);
  // Writes several records in one transaction; one outcome per record.
  std::vector<WriteOutcome> WriteRecords(std::string_view database,
                                         const std::vector<StoredRecord>& records,
                                         const WriteOptions& options, const IndexFunction& index);
  // Fills a database that holds no records yet, in bulk and in one
  // transaction: the records get MFNs from 1 and version 1, and their
  // dictionary and full text are built with them, each term's chunk
  // written once. `next` and `index` run on a helper thread, one call at a
  // time, while this thread writes. Gives the number of records loaded;
  // nullopt, with nothing kept, when the database holds records already or
  // on a storage failure.
  std::optional<int64_t> LoadRecords(std::string_view database, const RecordSource& next,
                                     const IndexFunction& index);
  // Rebuilds the dictionary and full text of every record of a database,
  // in bulk and in one transaction; `index` runs on a helper thread, one
  // call at a time.
  bool Reindex(std::string_view database, const IndexFunction& index);
  // The databases whose dictionary was dropped by an upgrade of the file
  // and awaits Reindex.
  std::vector<std::string> StaleIndexes();
  // Clears every lock held by `owner`.
  void ReleaseLocks(std::string_view owner);

  // Up to `count` terms with their posting counts, in byte order, from
  // `start` on (forward, `start` included when present) or from `start`
  // back (backward, descending).
  std::vector<TermCount> Terms(std::string_view database, std::string_view start, int count,
                               bool forward);
  bool TermExists(std::string_view database, std::string_view term);
  // Postings of one term, or of every term starting with `term` when
  // `truncated`, sorted. At most `limit` postings when limit > 0. Empty
  // when the index cannot be read.
  std::vector<Posting> Postings(std::string_view database, std::string_view term, bool truncated,
                                size_t limit = 0);
  // The term index of `database` for one search, read at one snapshot
  // while the returned object lives (it holds a connection: keep it short).
  // nullptr for an unknown database or when no connection can be had.
  std::unique_ptr<TermIndex> SearchIndex(std::string_view database);

  // Records matching an FTS5 query, best first, at most `limit`.
  // nullopt when the query does not parse.
  std::optional<std::vector<FullTextHit>> FullText(std::string_view database,
                                                   std::string_view ftsQuery, int limit);

  // Users are read at every call, never cached, so a change made by another
  // process (`talor-server user`) is seen at once.
  std::optional<User> FindUser(std::string_view name);
  // Every user, by name.
  std::vector<User> Users();
  // Adds the user, or replaces the one of that name.
  bool PutUser(const User& user);
  // Adds a user whose name is not taken yet.
  UserChange AddUser(const User& user);
  // Replaces the hash, rights and workstation codes of an existing user.
  UserChange ChangeUser(const User& user);
  UserChange RemoveUser(std::string_view name);
  // The number of users whose plain-text passwords Open replaced by hashes.
  int convertedUsers() const { return convertedUsers_; }

  std::string Settings();
  bool PutSettings(std::string_view text);

 private:
  class Lease;
  class SnapshotIndex;
  explicit Storage(std::string file) : file_(std::move(file)) {}
  std::unique_ptr<SqliteConnection> Acquire();
  void Release(std::unique_ptr<SqliteConnection> connection);
  std::optional<int64_t> DatabaseId(SqliteConnection& db, std::string_view name);
  WriteOutcome WriteOne(SqliteConnection& db, IndexChanges& changes, int64_t dbId,
                        const StoredRecord& record, const WriteOptions& options,
                        const IndexFunction& index);
  Status HashPlainPasswords(SqliteConnection& db);
  Status DropPostingRows(SqliteConnection& db);
  UserChange ChangeUsers(std::string_view sql, const User& user);

  // Constant after construction.
  const std::string file_;
  // Set by Open.
  int convertedUsers_ = 0;
  // Guarded by poolMutex_.
  std::mutex poolMutex_;
  std::vector<std::unique_ptr<SqliteConnection>> pool_;
  // Held for the whole of every write transaction.
  std::mutex writeMutex_;
};

}  // namespace talor::server

#endif  // TALOR_SERVER_STORAGE_H_
