#pragma once
// Thin RAII wrappers over the sqlite3 C API: a connection and a prepared statement.
// Errors throw SqliteError carrying SQLite's message.

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lumiqo::server {

class SqliteError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class Statement;

class Database {
public:
  enum class Mode { ReadOnly, ReadWrite };

  Database(const std::string &path, Mode mode);
  ~Database();
  Database(const Database &) = delete;
  Database &operator=(const Database &) = delete;
  Database(Database &&other) noexcept : db_(other.db_) { other.db_ = nullptr; }

  sqlite3 *handle() const { return db_; }

  // Runs one or more statements without results.
  void exec(const std::string &sql);
  Statement prepare(std::string_view sql) const;
  std::int64_t lastInsertId() const { return sqlite3_last_insert_rowid(db_); }
  int changes() const { return sqlite3_changes(db_); }

private:
  sqlite3 *db_ = nullptr;
};

// A transaction that rolls back unless commit() was called.
class Transaction {
public:
  explicit Transaction(Database &db);
  ~Transaction();
  Transaction(const Transaction &) = delete;
  Transaction &operator=(const Transaction &) = delete;
  void commit();

private:
  Database &db_;
  bool done_ = false;
};

class Statement {
public:
  Statement(sqlite3 *db, std::string_view sql);
  ~Statement();
  Statement(const Statement &) = delete;
  Statement &operator=(const Statement &) = delete;
  Statement(Statement &&other) noexcept : db_(other.db_), stmt_(other.stmt_) { other.stmt_ = nullptr; }

  // Parameters are numbered from 1, as in SQL.
  Statement &bind(int index, std::int64_t value);
  Statement &bind(int index, std::string_view text);
  Statement &bind(int index, const std::string &text) { return bind(index, std::string_view(text)); }
  Statement &bind(int index, const char *text) { return bind(index, std::string_view(text)); }
  Statement &bindNull(int index);
  Statement &bind(int index, const std::optional<std::string> &text) {
    return text ? bind(index, std::string_view(*text)) : bindNull(index);
  }

  // Advances to the next row: true while there is one.
  bool step();
  // step() for statements without results.
  void run();
  // Clears the bindings and rewinds, so the statement can run again.
  void reset();

  std::int64_t integer(int column) const { return sqlite3_column_int64(stmt_, column); }
  std::string text(int column) const;
  bool isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
  std::optional<std::string> optionalText(int column) const {
    return isNull(column) ? std::nullopt : std::optional<std::string>(text(column));
  }

private:
  void check(int rc) const;
  sqlite3 *db_;
  sqlite3_stmt *stmt_ = nullptr;
};

} // namespace lumiqo::server
