#include "sqlite.h"

namespace lumiqo::server {

Database::Database(const std::string &path, Mode mode) {
  const int flags =
      mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
  const int rc = sqlite3_open_v2(path.c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    sqlite3_close(db_);
    db_ = nullptr;
    throw SqliteError("cannot open " + path + ": " + message);
  }
  sqlite3_busy_timeout(db_, 5000);
}

Database::~Database() {
  sqlite3_close(db_);
}

void Database::exec(const std::string &sql) {
  char *error = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::string message = error ? error : "unknown error";
    sqlite3_free(error);
    throw SqliteError(message);
  }
}

Statement Database::prepare(std::string_view sql) const {
  return Statement(db_, sql);
}

Transaction::Transaction(Database &db) : db_(db) {
  db_.exec("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
  if (!done_)
    sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
  db_.exec("COMMIT");
  done_ = true;
}

Statement::Statement(sqlite3 *db, std::string_view sql) : db_(db) {
  check(sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr));
}

Statement::~Statement() {
  sqlite3_finalize(stmt_);
}

void Statement::check(int rc) const {
  if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE)
    throw SqliteError(sqlite3_errmsg(db_));
}

Statement &Statement::bind(int index, std::int64_t value) {
  check(sqlite3_bind_int64(stmt_, index, value));
  return *this;
}

Statement &Statement::bind(int index, std::string_view text) {
  check(sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
  return *this;
}

Statement &Statement::bindNull(int index) {
  check(sqlite3_bind_null(stmt_, index));
  return *this;
}

bool Statement::step() {
  const int rc = sqlite3_step(stmt_);
  check(rc);
  return rc == SQLITE_ROW;
}

void Statement::run() {
  while (step()) {
  }
}

void Statement::reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

std::string Statement::text(int column) const {
  const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt_, column));
  return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, column))) : std::string();
}

} // namespace lumiqo::server
