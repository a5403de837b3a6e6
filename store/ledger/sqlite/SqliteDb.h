#pragma once
// Thin RAII over the SQLite C API: a connection and its prepared
// statements, each failure turned into a Status naming the file.
#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/ledger/LedgerStatus.h"
#include "store/ledger/sql/SqlSession.h"

namespace ml::ledger {

class SqliteStatement;

class SqliteDb final : public SqlSession {
public:
    SqliteDb();
    ~SqliteDb() override;
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

    Status Use(int key, const char* sql, SqlStatement*& statement) override;
    int64_t Changes() const override;
    const std::string& location() const override { return path_; }

private:
    sqlite3* db_ = nullptr;
    std::string path_;
    std::map<int, std::unique_ptr<SqliteStatement>> statements_;
};

// A prepared statement; Reset() makes it ready for new bindings. Bind
// indexes start at 1, column indexes at 0.
class SqliteStatement final : public SqlStatement {
public:
    SqliteStatement() = default;
    ~SqliteStatement() override;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    Status Prepare(SqliteDb& db, const char* sql);
    bool prepared() const { return stmt_ != nullptr; }
    void Reset() override;

    void Bind(int index, int64_t value) override;
    void Bind(int index, double value) override;
    void Bind(int index, std::string_view text) override;
    void Bind(int index, std::span<const uint8_t> blob) override;
    bool Step(Status& status) override;

    int64_t Int(int column) const override;
    double Real(int column) const override;
    std::string Text(int column) const override;
    std::vector<uint8_t> Blob(int column) const override;

private:
    sqlite3_stmt* stmt_ = nullptr;
    SqliteDb* db_ = nullptr;
    const char* sql_ = nullptr;
};

}  // namespace ml::ledger
