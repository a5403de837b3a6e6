#include "store/ledger/postgres/PgLedgerStore.h"

#include <chrono>
#include <cstring>
#include <random>
#include <thread>

#include "core/TextFormat.h"
#include "store/ledger/LedgerSchema.h"
#include "store/ledger/LedgerUrl.h"
#include "store/ledger/postgres/PgDb.h"
#include "store/ledger/sql/SqlLedgerTx.h"

namespace ml::ledger {

namespace {

// Writers that lost a race run again this many times, after a short random
// pause that grows, before the conflict is reported.
constexpr int kAttempts = 10;

// Keys of the statements only this engine runs (SqlLedgerTx uses the low ones).
enum : int { kInsertFixArrays = 1000, kLockCar, kRoleExists, kAssign, kUnassign };

// Tables a role needs to read, and those a driver writes.
constexpr const char* kReadTables =
    "car, download, fix, trip, odometer, history, logger_memory, shared_value, car_role, schema_version";
constexpr const char* kWriteTables = "download, fix, trip, odometer, history, logger_memory, shared_value";

// One-dimensional array in PostgreSQL's binary form: header, then each
// element as its length and its big-endian bytes.
class BinaryArray {
public:
    BinaryArray(uint32_t elementType, size_t count) {
        bytes_.reserve(20 + count * 12);
        Put(1);  // dimensions
        Put(0);  // no nulls
        Put(elementType);
        Put(static_cast<uint32_t>(count));
        Put(1);  // lower bound
    }
    void AddInt(int64_t value) {
        Put(8);
        Put(static_cast<uint32_t>(static_cast<uint64_t>(value) >> 32));
        Put(static_cast<uint32_t>(value));
    }
    void AddFloat(float value) {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        Put(4);
        Put(bits);
    }
    std::span<const uint8_t> bytes() const { return bytes_; }

private:
    void Put(uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) bytes_.push_back(static_cast<uint8_t>(v >> shift));
    }
    std::vector<uint8_t> bytes_;
};

constexpr uint32_t kInt8Oid = 20;
constexpr uint32_t kFloat4Oid = 700;

class PgLedgerTx final : public SqlLedgerTx {
public:
    explicit PgLedgerTx(PgDb& db) : SqlLedgerTx(db), db_(db) {}

    // One statement per batch: the fixes travel as arrays, and those whose
    // car and time are taken already are skipped by the unique key.
    Status InsertFixes(int64_t carId, int64_t downloadId, std::span<const LedgerFix> fixes, int64_t& added) override {
        BinaryArray times(kInt8Oid, fixes.size()), lat(kFloat4Oid, fixes.size()), lon(kFloat4Oid, fixes.size()),
            speed(kFloat4Oid, fixes.size()), height(kFloat4Oid, fixes.size());
        for (const LedgerFix& f : fixes) {
            times.AddInt(f.time);
            lat.AddFloat(f.latitude);
            lon.AddFloat(f.longitude);
            speed.AddFloat(f.speed);
            height.AddFloat(f.height);
        }
        SqlStatement* s = nullptr;
        ML_LEDGER_TRY(db_.Use(kInsertFixArrays,
                              "INSERT INTO fix (car_id, time, latitude, longitude, speed, height, download_id) "
                              "SELECT ?1, u.t, u.la, u.lo, u.sp, u.h, ?2 FROM unnest(?3::bigint[], ?4::real[], "
                              "?5::real[], ?6::real[], ?7::real[]) AS u(t, la, lo, sp, h) ON CONFLICT DO NOTHING",
                              s));
        s->Bind(1, carId);
        s->Bind(2, downloadId);
        s->Bind(3, times.bytes());
        s->Bind(4, lat.bytes());
        s->Bind(5, lon.bytes());
        s->Bind(6, speed.bytes());
        s->Bind(7, height.bytes());
        ML_LEDGER_TRY(s->Run());
        added = db_.Changes();
        return Status::Ok();
    }

    Status AssignRole(std::string_view role, int64_t carId, bool assign, bool& changed) override {
        SqlStatement* s = nullptr;
        ML_LEDGER_TRY(db_.Use(kRoleExists, "SELECT 1 FROM pg_roles WHERE rolname = ?1", s));
        s->Bind(1, role);
        Status status;
        if (!s->Step(status)) {
            ML_LEDGER_TRY(status);
            return Status::Invalid("데이터베이스 역할이 없습니다: " + std::string(role));
        }
        ML_LEDGER_TRY(db_.Use(assign ? kAssign : kUnassign,
                              assign ? "INSERT INTO car_role (role_name, car_id) VALUES (?1, ?2) ON CONFLICT DO NOTHING"
                                     : "DELETE FROM car_role WHERE role_name = ?1 AND car_id = ?2",
                              s));
        s->Bind(1, role);
        s->Bind(2, carId);
        ML_LEDGER_TRY(s->Run());
        changed = db_.Changes() > 0;
        if (!assign) return Status::Ok();
        // Table rights; the rows stay behind row-level security. A reader of
        // every car gets no right to write.
        const std::string who = db_.Identifier(role);
        ML_LEDGER_TRY(db_.Exec(std::string("GRANT SELECT ON ") + kReadTables + " TO " + who));
        if (carId == 0) return Status::Ok();
        ML_LEDGER_TRY(db_.Exec(std::string("GRANT INSERT, UPDATE, DELETE ON ") + kWriteTables + " TO " + who));
        return db_.Exec("GRANT UPDATE ON car TO " + who);
    }

protected:
    Status LockCar(int64_t carId, bool& locked) override {
        SqlStatement* s = nullptr;
        ML_LEDGER_TRY(db_.Use(kLockCar, "SELECT id FROM car WHERE id = ?1 FOR UPDATE", s));
        s->Bind(1, carId);
        ML_LEDGER_TRY(s->Run());
        locked = true;
        return Status::Ok();
    }

private:
    PgDb& db_;
};

class PgLedgerStore final : public LedgerStore {
public:
    PgLedgerStore() : tx_(db_) {}

    Status Connect(const std::string& url, bool migrate) {
        ML_LEDGER_TRY(db_.Open(url));
        int64_t version = 0;
        ML_LEDGER_TRY(ReadVersion(version));
        if (migrate) {
            ML_LEDGER_TRY(Migrate());
        } else if (version < LatestSchemaVersion()) {
            return Status::Refused(
                Format("%s: 원장 형식이 오래되었거나 아직 없습니다 (형식 %lld, 이 프로그램은 %d): "
                       "관리자가 mileledger-cli ledger migrate를 실행해야 합니다",
                       db_.location().c_str(), static_cast<long long>(version), LatestSchemaVersion()));
        }
        bool found = false;
        return db_.QueryText("SELECT current_user", role_, found);
    }

    Status Run(const std::function<Status(LedgerTx&)>& work, Access access) override {
        std::minstd_rand random(std::random_device{}());
        Status status;
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            if (attempt > 0) {
                const int ms = std::uniform_int_distribution<int>(5, 20 + 40 * attempt)(random);
                std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            }
            status = RunOnce(work, access);
            if (status.code() != Status::Code::Conflict) break;
        }
        return status;
    }

    const std::string& location() const override { return db_.location(); }
    std::string role() const override { return role_; }

private:
    Status RunOnce(const std::function<Status(LedgerTx&)>& work, Access access) {
        if (PQstatus(db_.handle()) != CONNECTION_OK) db_.Reconnect();
        ML_LEDGER_TRY(db_.Exec(access == Access::Write ? "BEGIN ISOLATION LEVEL READ COMMITTED"
                                                       : "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
        tx_.Begin(access == Access::Write);
        Status status = work(tx_);
        if (status.ok()) status = db_.Exec("COMMIT");
        if (!status.ok() && PQtransactionStatus(db_.handle()) != PQTRANS_IDLE) db_.Exec("ROLLBACK");
        return status;
    }

    // 0 for a database without the ledger's tables; refused when it holds
    // tables of their names without being a ledger, or is newer.
    Status ReadVersion(int64_t& version) {
        std::string text;
        bool found = false;
        ML_LEDGER_TRY(db_.QueryText("SELECT to_regclass('schema_version') IS NOT NULL", text, found));
        if (text == "t") {
            ML_LEDGER_TRY(db_.QueryText("SELECT max(version) FROM schema_version", text, found));
            version = found ? std::strtoll(text.c_str(), nullptr, 10) : 0;
        } else {
            version = 0;
            for (const char* table : LedgerTables()) {
                ML_LEDGER_TRY(db_.QueryText(Format("SELECT to_regclass('%s') IS NOT NULL", table), text, found));
                if (text == "t")
                    return Status::Refused(db_.location() + ": MileLedger 원장 데이터베이스가 아닙니다 (표 " + table +
                                           ")");
            }
        }
        if (version > LatestSchemaVersion()) {
            return Status::Refused(
                Format("%s: 더 새로운 프로그램이 만든 원장입니다 (형식 %lld, 이 프로그램은 %d까지 읽습니다)",
                       db_.location().c_str(), static_cast<long long>(version), LatestSchemaVersion()));
        }
        return Status::Ok();
    }

    // All steps in one transaction, one migration at a time (an advisory
    // lock), the version read again under it.
    Status Migrate() {
        ML_LEDGER_TRY(db_.Exec("BEGIN"));
        auto steps = [this]() -> Status {
            ML_LEDGER_TRY(db_.Exec(Format("SELECT pg_advisory_xact_lock(%d)", kLedgerApplicationId)));
            ML_LEDGER_TRY(db_.Exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"));
            ML_LEDGER_TRY(db_.Exec("GRANT SELECT ON schema_version TO PUBLIC"));
            int64_t version = 0;
            ML_LEDGER_TRY(ReadVersion(version));
            if (version == 0)
                ML_LEDGER_TRY(db_.Exec("DELETE FROM schema_version; INSERT INTO schema_version VALUES (0)"));
            for (int step = static_cast<int>(version) + 1; step <= LatestSchemaVersion(); ++step) {
                for (const std::string& sql : SchemaStatements(step, SqlDialect::Postgres))
                    ML_LEDGER_TRY(db_.Exec(sql));
                ML_LEDGER_TRY(db_.Exec(Format("UPDATE schema_version SET version = %d", step)));
            }
            return Status::Ok();
        };
        Status status = steps();
        if (status.ok()) return db_.Exec("COMMIT");
        db_.Exec("ROLLBACK");
        return status;
    }

    PgDb db_;
    PgLedgerTx tx_;
    std::string role_;
};

}  // namespace

Status OpenPgLedgerStore(const std::string& url, bool migrate, std::unique_ptr<LedgerStore>& store) {
    if (LedgerUrlHasPassword(url)) {
        return Status::Refused(
            "원장 주소에 암호를 적을 수 없습니다 (--ledger, MILELEDGER_LEDGER, Setting.ini의 LEDGER_URL): "
            "암호는 PGPASSWORD 환경 변수나 ~/.pgpass에 두십시오");
    }
    auto opened = std::make_unique<PgLedgerStore>();
    ML_LEDGER_TRY(opened->Connect(url, migrate));
    store = std::move(opened);
    return Status::Ok();
}

}  // namespace ml::ledger
