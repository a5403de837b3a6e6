#pragma once
// Thin RAII over the SQLite C API: a connection and its prepared
// statements, each failure turned into a Status naming the file.
#include <sqlite3.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/ledger/LedgerStatus.h"

namespace ml::ledger {

class SqliteDb {
public:
    SqliteDb() = default;
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    // SQLITE_OPEN_* flags; the handle is closed again on failure.
    Status Open(const std::string& path, int flags);
    void Close();
    sqlite3* handle() const { return db_; }
    const std::string& path() const { return path_; }

    // Runs statements that return no rows.
    Status Exec(const char* sql);
    // The Status for a result code, with the connection's message.
    Status Error(int rc, std::string_view what) const;

private:
    sqlite3* db_ = nullptr;
    std::string path_;
};

// A prepared statement; Reset() makes it ready for new bindings. Bind
// indexes start at 1, column indexes at 0.
class SqliteStatement {
public:
    SqliteStatement() = default;
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    Status Prepare(SqliteDb& db, const char* sql);
    bool prepared() const { return stmt_ != nullptr; }
    void Reset();

    void Bind(int index, int64_t value);
    void Bind(int index, double value);
    void Bind(int index, std::string_view text);
    void Bind(int index, std::span<const uint8_t> blob);

    // True with a row, false at the end; `status` holds any failure.
    bool Step(Status& status);
    // Runs a statement that returns no rows.
    Status Run();

    int64_t Int(int column) const;
    double Real(int column) const;
    std::string Text(int column) const;
    std::vector<uint8_t> Blob(int column) const;

private:
    sqlite3_stmt* stmt_ = nullptr;
    SqliteDb* db_ = nullptr;
    const char* sql_ = nullptr;
};

}  // namespace ml::ledger
