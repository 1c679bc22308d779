// A thin RAII layer over the SQLite C interface: a connection and a prepared
// statement. Nothing here throws; every call reports through its result.

#ifndef TALOR_SERVER_SQLITE_H_
#define TALOR_SERVER_SQLITE_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace talor::server {

class SqliteStatement;
class CachedStatement;

class SqliteConnection {
 public:
  SqliteConnection() = default;
  ~SqliteConnection();
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  // Opens (creating when absent) the database file. False on failure; the
  // connection stays closed.
  bool Open(const std::string& path);
  bool IsOpen() const { return db_ != nullptr; }

  // Runs one or more statements without results. False on failure.
  bool Execute(std::string_view sql);
  // A prepared statement; its IsValid() is false when preparing failed.
  SqliteStatement Prepare(std::string_view sql);
  // A statement prepared once for the connection's life and reset when the
  // returned handle goes out of scope (a statement left mid-step would hold
  // its read snapshot). Its IsValid() is false when preparing failed.
  // REQUIRES: the same text is not borrowed twice at once.
  CachedStatement Cached(std::string_view sql);

  int64_t LastInsertRowId() const;
  std::string LastError() const;
  sqlite3* handle() { return db_; }

 private:
  sqlite3* db_ = nullptr;
  // Emptied by the destructor before the connection closes.
  std::map<std::string, std::unique_ptr<SqliteStatement>, std::less<>> cache_;
};

class SqliteStatement {
 public:
  explicit SqliteStatement(sqlite3_stmt* stmt) : stmt_(stmt) {}
  ~SqliteStatement();
  SqliteStatement(SqliteStatement&& other) noexcept : stmt_(other.stmt_) { other.stmt_ = nullptr; }
  SqliteStatement& operator=(SqliteStatement&& other) noexcept;
  SqliteStatement(const SqliteStatement&) = delete;

  bool IsValid() const { return stmt_ != nullptr; }

  // Parameters are numbered from 1.
  SqliteStatement& Bind(int index, int64_t value);
  SqliteStatement& Bind(int index, std::string_view value);
  SqliteStatement& BindBlob(int index, std::string_view value);

  // One step: true when a row is available. Done() tells whether the last
  // step ended the statement without error.
  bool Step();
  bool Done() const { return done_; }
  // Steps to the end; true when the statement completed without error.
  bool Run();
  void Reset();

  int64_t Int(int column) const;
  std::string Text(int column) const;
  // The bytes of a column without a copy; valid until the next Step or Reset.
  std::string_view Blob(int column) const;

 private:
  sqlite3_stmt* stmt_ = nullptr;
  bool done_ = false;
};

// A borrowed cached statement: reset, with its bindings cleared, when the
// handle is dropped.
class CachedStatement {
 public:
  explicit CachedStatement(SqliteStatement* statement) : statement_(statement) {}
  ~CachedStatement();
  CachedStatement(const CachedStatement&) = delete;
  CachedStatement& operator=(const CachedStatement&) = delete;

  bool IsValid() const { return statement_ != nullptr && statement_->IsValid(); }
  SqliteStatement& operator*() { return *statement_; }
  SqliteStatement* operator->() { return statement_; }

 private:
  SqliteStatement* statement_;
};

}  // namespace talor::server

#endif  // TALOR_SERVER_SQLITE_H_
