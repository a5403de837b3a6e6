#pragma once
// Thin RAII over libpq: a connection to the company database and its
// prepared statements. Parameters go as text (raw bytes as binary), rows
// come back in binary, so numbers and bytes need no formatting or hex.
// Each failure becomes a Status by its SQLSTATE: a serialization failure, a
// deadlock or a key another writer took first is a Conflict (running the
// transaction again may succeed), a missing privilege or a row the role
// may not touch is Invalid, anything else Failed.
#include <libpq-fe.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/ledger/sql/SqlSession.h"

namespace ml::ledger {

class PgStatement;

class PgDb final : public SqlSession {
public:
    PgDb();
    ~PgDb() override;
    PgDb(const PgDb&) = delete;
    PgDb& operator=(const PgDb&) = delete;

    // `url` is a postgresql:// URL or a libpq connection string.
    Status Open(const std::string& url);
    PGconn* handle() const { return conn_; }
    // After the server dropped the connection: connect again (prepared
    // statements are prepared anew).
    void Reconnect();

    // Runs statements that return no rows.
    Status Exec(const std::string& sql);
    // The first column of the first row of a query without parameters, as text.
    Status QueryText(const std::string& sql, std::string& value, bool& found);
    // A Status for a failed result (or for the connection when null).
    Status Error(const PGresult* result, std::string_view what) const;
    // `name` quoted as an SQL identifier.
    std::string Identifier(std::string_view name) const;

    Status Use(int key, const char* sql, SqlStatement*& statement) override;
    int64_t Changes() const override { return changes_; }
    const std::string& location() const override { return location_; }

private:
    friend class PgStatement;
    PGconn* conn_ = nullptr;
    std::string location_;
    int64_t changes_ = 0;
    std::map<int, std::unique_ptr<PgStatement>> statements_;
};

// A statement prepared on the server as "s<key>", its ?N parameters
// renumbered to the $N that PostgreSQL reads. Step runs it on the first
// call and then walks the rows.
class PgStatement final : public SqlStatement {
public:
    PgStatement(PgDb& db, int key, const char* sql);
    ~PgStatement() override;
    Status Prepare();

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
    void Set(int index, std::string value, bool binary);
    void Clear();

    PgDb& db_;
    std::string name_;
    std::string sql_;
    std::vector<int> slotOf_;  // ?N -> $slot+1, -1 when the text does not use ?N
    std::vector<std::string> values_;
    std::vector<int> formats_;
    PGresult* result_ = nullptr;
    int row_ = -1;
};

}  // namespace ml::ledger
