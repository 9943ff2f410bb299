#pragma once
// A thin layer over SQLite's C interface: a connection, prepared statements with typed binds
// and reads, and a transaction that rolls back unless committed. Failures throw SqliteError
// with SQLite's own message and what kind of failure it was.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/error.h"

struct sqlite3;
struct sqlite3_stmt;

namespace lantervo::history {

class SqliteError : public Error {
 public:
  // What the caller can do about it.
  enum class Kind {
    Busy,      // locked by another connection or process: try again later
    Full,      // the disk or the quota is full
    ReadOnly,  // the file or its folder cannot be written, or cannot be opened
    Corrupt,   // not a database, or a damaged one
    Other,
  };
  SqliteError(int code, const std::string& message);
  int Code() const { return code_; }
  Kind GetKind() const { return kind_; }

 private:
  int code_;
  Kind kind_;
};

class Statement;

class Database {
 public:
  // Opens (creating) the database at a UTF-8 path.
  explicit Database(const std::string& path);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Runs one or more statements that return no rows.
  void Execute(std::string_view sql);
  // The first column of the first row of a query, or `otherwise` without a row or for NULL.
  std::int64_t QueryInt(std::string_view sql, std::int64_t otherwise = 0);
  std::int64_t LastInsertRowId() const;
  int Changes() const;
  // How long a statement waits for another connection's lock before it fails as Busy.
  void SetBusyTimeout(int milliseconds);
  sqlite3* Handle() const { return db_; }
  [[noreturn]] void Fail(int code) const;

 private:
  sqlite3* db_ = nullptr;
};

class Statement {
 public:
  Statement(Database& db, std::string_view sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Parameters count from 1, as in SQLite.
  Statement& Bind(int index, std::int64_t value);
  Statement& Bind(int index, std::string_view text);
  Statement& BindBlob(int index, std::string_view bytes);
  Statement& BindNull(int index);
  // True while there is a row to read; false once the statement is done.
  bool Step();
  // Runs a statement that returns no row, then makes it ready for new binds.
  void Run();
  void Reset();

  // Columns count from 0.
  bool IsNull(int column) const;
  std::int64_t Int(int column) const;
  std::string Text(int column) const;
  std::string_view Blob(int column) const;  // valid until the next Step or Reset

 private:
  Database& db_;
  sqlite3_stmt* statement_ = nullptr;
};

// BEGIN IMMEDIATE ... COMMIT; a transaction not committed rolls back when it goes away.
class Transaction {
 public:
  explicit Transaction(Database& db);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit();

 private:
  Database& db_;
  bool open_ = true;
};

}  // namespace lantervo::history
