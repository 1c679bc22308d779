#include "server/sqlite.h"

#include <sqlite3.h>

namespace talor::server {

namespace {
// How long a connection waits for another writer's lock before giving up.
constexpr int kBusyTimeoutMs = 30000;
}  // namespace

SqliteConnection::~SqliteConnection() {
  cache_.clear();
  if (db_ != nullptr) sqlite3_close_v2(db_);
}

bool SqliteConnection::Open(const std::string& path) {
  if (db_ != nullptr) return true;
  sqlite3* db = nullptr;
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    if (db != nullptr) sqlite3_close_v2(db);
    return false;
  }
  db_ = db;
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  return true;
}

bool SqliteConnection::Execute(std::string_view sql) {
  if (db_ == nullptr) return false;
  std::string text(sql);
  return sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

SqliteStatement SqliteConnection::Prepare(std::string_view sql) {
  sqlite3_stmt* stmt = nullptr;
  if (db_ == nullptr || sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt,
                                           nullptr) != SQLITE_OK) {
    if (stmt != nullptr) sqlite3_finalize(stmt);
    return SqliteStatement(nullptr);
  }
  return SqliteStatement(stmt);
}

CachedStatement SqliteConnection::Cached(std::string_view sql) {
  auto it = cache_.find(sql);
  if (it == cache_.end()) {
    SqliteStatement statement = Prepare(sql);
    if (!statement.IsValid()) return CachedStatement(nullptr);
    it = cache_.emplace(std::string(sql), std::make_unique<SqliteStatement>(std::move(statement)))
             .first;
  }
  return CachedStatement(it->second.get());
}

int64_t SqliteConnection::LastInsertRowId() const {
  return db_ == nullptr ? 0 : sqlite3_last_insert_rowid(db_);
}

std::string SqliteConnection::LastError() const {
  return db_ == nullptr ? "not open" : sqlite3_errmsg(db_);
}

SqliteStatement::~SqliteStatement() {
  if (stmt_ != nullptr) sqlite3_finalize(stmt_);
}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept {
  if (this != &other) {
    if (stmt_ != nullptr) sqlite3_finalize(stmt_);
    stmt_ = other.stmt_;
    done_ = other.done_;
    other.stmt_ = nullptr;
  }
  return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, int64_t value) {
  if (stmt_ != nullptr) sqlite3_bind_int64(stmt_, index, value);
  return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view value) {
  if (stmt_ != nullptr)
    sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
  return *this;
}

SqliteStatement& SqliteStatement::BindBlob(int index, std::string_view value) {
  if (stmt_ != nullptr)
    sqlite3_bind_blob(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
  return *this;
}

bool SqliteStatement::Step() {
  done_ = false;
  if (stmt_ == nullptr) return false;
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  done_ = rc == SQLITE_DONE;
  return false;
}

bool SqliteStatement::Run() {
  while (Step()) {
  }
  return done_;
}

void SqliteStatement::Reset() {
  if (stmt_ == nullptr) return;
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
  done_ = false;
}

int64_t SqliteStatement::Int(int column) const {
  return stmt_ == nullptr ? 0 : sqlite3_column_int64(stmt_, column);
}

std::string SqliteStatement::Text(int column) const { return std::string(Blob(column)); }

std::string_view SqliteStatement::Blob(int column) const {
  if (stmt_ == nullptr) return {};
  const void* data = sqlite3_column_blob(stmt_, column);
  int size = sqlite3_column_bytes(stmt_, column);
  if (data == nullptr || size <= 0) return {};
  return std::string_view(static_cast<const char*>(data), static_cast<size_t>(size));
}

CachedStatement::~CachedStatement() {
  if (statement_ != nullptr) statement_->Reset();
}

}  // namespace talor::server
