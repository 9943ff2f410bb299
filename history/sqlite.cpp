#include "history/sqlite.h"

#include <sqlite3.h>

namespace lantervo::history {

namespace {

SqliteError::Kind KindOf(int code) {
  switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return SqliteError::Kind::Busy;
    case SQLITE_FULL:
      return SqliteError::Kind::Full;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
    case SQLITE_AUTH:
      return SqliteError::Kind::ReadOnly;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return SqliteError::Kind::Corrupt;
    case SQLITE_IOERR:
      // A write that found no room comes back as an I/O error on some systems.
      if (code == SQLITE_IOERR_WRITE || code == SQLITE_IOERR_FSYNC) return SqliteError::Kind::Full;
      return SqliteError::Kind::Other;
    default:
      return SqliteError::Kind::Other;
  }
}

}  // namespace

SqliteError::SqliteError(int code, const std::string& message)
    : Error(message), code_(code), kind_(KindOf(code)) {}

Database::Database(const std::string& path) {
  const int code =
      sqlite3_open_v2(path.c_str(), &db_,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (code != SQLITE_OK) {
    const std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    const int extended = db_ ? sqlite3_extended_errcode(db_) : code;
    sqlite3_close(db_);
    db_ = nullptr;
    throw SqliteError(extended, message);
  }
  sqlite3_extended_result_codes(db_, 1);
}

Database::~Database() {
  sqlite3_close_v2(db_);
}

void Database::Fail(int code) const {
  const int extended = sqlite3_extended_errcode(db_);
  throw SqliteError(extended != SQLITE_OK ? extended : code, sqlite3_errmsg(db_));
}

void Database::Execute(std::string_view sql) {
  const std::string text(sql);
  const int code = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr);
  if (code != SQLITE_OK) Fail(code);
}

std::int64_t Database::QueryInt(std::string_view sql, std::int64_t otherwise) {
  Statement query(*this, sql);
  if (!query.Step() || query.IsNull(0)) return otherwise;
  return query.Int(0);
}

std::int64_t Database::LastInsertRowId() const {
  return sqlite3_last_insert_rowid(db_);
}

int Database::Changes() const {
  return sqlite3_changes(db_);
}

void Database::SetBusyTimeout(int milliseconds) {
  sqlite3_busy_timeout(db_, milliseconds);
}

Statement::Statement(Database& db, std::string_view sql) : db_(db) {
  const int code = sqlite3_prepare_v2(db.Handle(), sql.data(), static_cast<int>(sql.size()),
                                      &statement_, nullptr);
  if (code != SQLITE_OK) db.Fail(code);
}

Statement::~Statement() {
  sqlite3_finalize(statement_);
}

Statement& Statement::Bind(int index, std::int64_t value) {
  const int code = sqlite3_bind_int64(statement_, index, value);
  if (code != SQLITE_OK) db_.Fail(code);
  return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
  const int code = sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                                     SQLITE_TRANSIENT);
  if (code != SQLITE_OK) db_.Fail(code);
  return *this;
}

Statement& Statement::BindBlob(int index, std::string_view bytes) {
  const int code = sqlite3_bind_blob(statement_, index, bytes.data(),
                                     static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
  if (code != SQLITE_OK) db_.Fail(code);
  return *this;
}

Statement& Statement::BindNull(int index) {
  const int code = sqlite3_bind_null(statement_, index);
  if (code != SQLITE_OK) db_.Fail(code);
  return *this;
}

bool Statement::Step() {
  const int code = sqlite3_step(statement_);
  if (code == SQLITE_ROW) return true;
  if (code == SQLITE_DONE) return false;
  sqlite3_reset(statement_);
  db_.Fail(code);
}

void Statement::Run() {
  while (Step()) {
  }
  Reset();
}

void Statement::Reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

bool Statement::IsNull(int column) const {
  return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

std::int64_t Statement::Int(int column) const {
  return sqlite3_column_int64(statement_, column);
}

std::string Statement::Text(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
  return text
             ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
             : std::string();
}

std::string_view Statement::Blob(int column) const {
  const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, column));
  return bytes ? std::string_view(
                     bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
               : std::string_view();
}

Transaction::Transaction(Database& db) : db_(db) {
  db_.Execute("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
  if (!open_) return;
  // A failed statement may have ended the transaction already; nothing is left to undo then.
  sqlite3_exec(db_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::Commit() {
  db_.Execute("COMMIT");
  open_ = false;
}

}  // namespace lantervo::history
