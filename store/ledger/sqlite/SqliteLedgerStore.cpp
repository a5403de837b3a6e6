#include "store/ledger/sqlite/SqliteLedgerStore.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/TextFormat.h"
#include "store/ledger/LedgerSchema.h"

namespace ml::ledger {

namespace {

// A transaction that lost a race with another writer is run again this
// many times before the conflict is reported.
constexpr int kAttempts = 3;
// How long a statement waits for another connection's lock.
constexpr int kBusyTimeoutMs = 5000;

Status QueryInt(SqliteDb& db, const char* sql, int64_t& value) {
    SqliteStatement s;
    ML_LEDGER_TRY(s.Prepare(db, sql));
    Status status;
    value = s.Step(status) ? s.Int(0) : 0;
    return status;
}

// What an existing file holds, read without writing a byte.
struct Probe {
    int64_t applicationId = 0;
    int64_t version = 0;
    std::vector<std::string> tables;
};

Status ProbeFile(const std::string& path, Probe& probe) {
    SqliteDb db;
    ML_LEDGER_TRY(db.Open(path, SQLITE_OPEN_READONLY));
    Status status = QueryInt(db, "PRAGMA application_id", probe.applicationId);
    if (!status.ok()) {
        // The first read is where SQLite finds out that a file is no database.
        return Status::Refused(path + ": SQLite 데이터베이스가 아닙니다");
    }
    ML_LEDGER_TRY(QueryInt(db, "PRAGMA user_version", probe.version));
    SqliteStatement s;
    ML_LEDGER_TRY(s.Prepare(db, "SELECT name FROM sqlite_master WHERE type = 'table'"));
    while (s.Step(status)) probe.tables.push_back(s.Text(0));
    return status;
}

Status CheckProbe(const std::string& path, const Probe& probe) {
    if (probe.applicationId == 0 && probe.tables.empty()) return Status::Ok();  // empty: made ours now
    if (probe.applicationId != kLedgerApplicationId) {
        return Status::Refused(path + ": MileLedger 원장 파일이 아닙니다");
    }
    if (probe.version > LatestSchemaVersion()) {
        return Status::Refused(
            Format("%s: 더 새로운 프로그램이 만든 원장입니다 (형식 %lld, 이 프로그램은 %d까지 읽습니다)", path.c_str(),
                   static_cast<long long>(probe.version), LatestSchemaVersion()));
    }
    if (probe.version > 0) {
        for (const char* table : LedgerTables()) {
            if (std::find(probe.tables.begin(), probe.tables.end(), table) == probe.tables.end()) {
                return Status::Refused(path + ": 원장이 손상되었습니다 (표 " + table + "이(가) 없습니다)");
            }
        }
    }
    return Status::Ok();
}

// Brings the schema to the latest version in one transaction; the version
// is read again inside it, in case another program migrated meanwhile.
Status Migrate(SqliteDb& db) {
    ML_LEDGER_TRY(db.Exec("BEGIN IMMEDIATE"));
    auto work = [&db]() -> Status {
        int64_t version = 0;
        ML_LEDGER_TRY(QueryInt(db, "PRAGMA user_version", version));
        if (version > LatestSchemaVersion()) {
            return Status::Refused(db.path() + ": 더 새로운 프로그램이 만든 원장입니다");
        }
        for (int step = static_cast<int>(version) + 1; step <= LatestSchemaVersion(); ++step) {
            for (const std::string& sql : SchemaStatements(step, SqlDialect::Sqlite))
                ML_LEDGER_TRY(db.Exec(sql.c_str()));
            ML_LEDGER_TRY(db.Exec(Format("PRAGMA user_version = %d", step).c_str()));
        }
        return db.Exec(Format("PRAGMA application_id = %d", kLedgerApplicationId).c_str());
    };
    Status status = work();
    if (!status.ok()) {
        db.Exec("ROLLBACK");
        return status;
    }
    return db.Exec("COMMIT");
}

}  // namespace

SqliteLedgerStore::SqliteLedgerStore() : tx_(db_) {}

SqliteLedgerStore::~SqliteLedgerStore() = default;

const std::string& SqliteLedgerStore::location() const { return db_.path(); }

Status SqliteLedgerStore::Open(const std::string& path, std::unique_ptr<LedgerStore>& out) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) return Status::Refused(path + ": 파일이 아닙니다");
        Probe probe;
        ML_LEDGER_TRY(ProbeFile(path, probe));
        ML_LEDGER_TRY(CheckProbe(path, probe));
    } else {
        // A new ledger: its folder may not exist yet (the data folder).
        std::error_code error;
        const std::filesystem::path parent = std::filesystem::path(path).parent_path();
        if (!parent.empty()) std::filesystem::create_directories(parent, error);
        if (error) return Status::Failed(path + ": 폴더를 만들 수 없습니다: " + error.message());
    }

    std::unique_ptr<SqliteLedgerStore> store(new SqliteLedgerStore());
    SqliteDb& db = store->db_;
    ML_LEDGER_TRY(db.Open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
    sqlite3_busy_timeout(db.handle(), kBusyTimeoutMs);
    ML_LEDGER_TRY(db.Exec("PRAGMA foreign_keys = ON"));
    // Every commit reaches the disk before it counts: an import that was
    // reported done stays done after a power cut.
    ML_LEDGER_TRY(db.Exec("PRAGMA journal_mode = WAL"));
    ML_LEDGER_TRY(db.Exec("PRAGMA synchronous = FULL"));
    ML_LEDGER_TRY(Migrate(db));
    out = std::move(store);
    return Status::Ok();
}

Status SqliteLedgerStore::RunOnce(const std::function<Status(LedgerTx&)>& work, Access access) {
    SqliteDb& db = db_;
    ML_LEDGER_TRY(db.Exec(access == Access::Write ? "BEGIN IMMEDIATE" : "BEGIN"));
    tx_.Begin(access == Access::Write);
    Status status = work(tx_);
    // A kept statement that stopped at a row (a lookup of one record) would
    // hold its read snapshot past the COMMIT, and every later transaction of
    // this connection would read the ledger as it was then: a long-lived
    // connection beside another writer (the program's list beside its
    // importer) would never see the other's changes.
    for (sqlite3_stmt* stmt = sqlite3_next_stmt(db.handle(), nullptr); stmt != nullptr;
         stmt = sqlite3_next_stmt(db.handle(), stmt)) {
        sqlite3_reset(stmt);
    }
    if (status.ok()) status = db.Exec("COMMIT");
    if (!status.ok() && sqlite3_get_autocommit(db.handle()) == 0) db.Exec("ROLLBACK");
    return status;
}

Status SqliteLedgerStore::Run(const std::function<Status(LedgerTx&)>& work, Access access) {
    Status status;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        status = RunOnce(work, access);
        if (status.code() != Status::Code::Conflict) break;
    }
    return status;
}

}  // namespace ml::ledger
