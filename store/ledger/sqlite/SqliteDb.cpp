#include "store/ledger/sqlite/SqliteDb.h"

namespace ml::ledger {

SqliteDb::SqliteDb() = default;
SqliteDb::~SqliteDb() { Close(); }

Status SqliteDb::Open(const std::string& path, int flags) {
    Close();
    path_ = path;
    const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        Status status = Error(rc, "열기");
        Close();
        return status;
    }
    sqlite3_extended_result_codes(db_, 1);
    return Status::Ok();
}

void SqliteDb::Close() {
    statements_.clear();  // finalized before the connection closes
    if (db_ != nullptr) sqlite3_close_v2(db_);
    db_ = nullptr;
}

Status SqliteDb::Exec(const char* sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
    if (rc == SQLITE_OK) return Status::Ok();
    std::string text = message != nullptr ? message : sqlite3_errstr(rc);
    sqlite3_free(message);
    return Error(rc, text);
}

Status SqliteDb::Use(int key, const char* sql, SqlStatement*& statement) {
    auto& slot = statements_[key];
    if (!slot) {
        auto fresh = std::make_unique<SqliteStatement>();
        ML_LEDGER_TRY(fresh->Prepare(*this, sql));
        slot = std::move(fresh);
    } else {
        slot->Reset();
    }
    statement = slot.get();
    return Status::Ok();
}

int64_t SqliteDb::Changes() const { return sqlite3_changes(db_); }

Status SqliteDb::Error(int rc, std::string_view what) const {
    std::string message = path_ + ": ";
    message += what;
    if (db_ != nullptr && sqlite3_errcode(db_) == rc) {
        message += ": ";
        message += sqlite3_errmsg(db_);
    } else {
        message += ": ";
        message += sqlite3_errstr(rc);
    }
    switch (rc & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED: return Status::Conflict(message);
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT: return Status::Refused(message);
        default: return Status::Failed(message);
    }
}

SqliteStatement::~SqliteStatement() {
    if (stmt_ != nullptr) sqlite3_finalize(stmt_);
}

Status SqliteStatement::Prepare(SqliteDb& db, const char* sql) {
    db_ = &db;
    sql_ = sql;
    const int rc = sqlite3_prepare_v3(db.handle(), sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
    return rc == SQLITE_OK ? Status::Ok() : db.Error(rc, "문장 준비");
}

void SqliteStatement::Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

void SqliteStatement::Bind(int index, int64_t value) { sqlite3_bind_int64(stmt_, index, value); }
void SqliteStatement::Bind(int index, double value) { sqlite3_bind_double(stmt_, index, value); }
void SqliteStatement::Bind(int index, std::string_view text) {
    sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}
void SqliteStatement::Bind(int index, std::span<const uint8_t> blob) {
    // A zero-length blob still binds as a blob, not as NULL.
    static const uint8_t kEmpty = 0;
    sqlite3_bind_blob64(stmt_, index, blob.empty() ? &kEmpty : blob.data(), blob.size(), SQLITE_TRANSIENT);
}

bool SqliteStatement::Step(Status& status) {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) status = db_->Error(rc, "실행");
    return false;
}

int64_t SqliteStatement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }
double SqliteStatement::Real(int column) const { return sqlite3_column_double(stmt_, column); }
std::string SqliteStatement::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    const int size = sqlite3_column_bytes(stmt_, column);
    return text != nullptr && size > 0 ? std::string(text, static_cast<size_t>(size)) : std::string();
}
std::vector<uint8_t> SqliteStatement::Blob(int column) const {
    const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, column));
    const int size = sqlite3_column_bytes(stmt_, column);
    return data != nullptr && size > 0 ? std::vector<uint8_t>(data, data + size) : std::vector<uint8_t>();
}

}  // namespace ml::ledger
