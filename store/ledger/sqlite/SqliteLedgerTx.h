#pragma once
// The storage primitives on one SQLite connection, with every statement
// prepared once and kept for the connection's life.
#include <array>
#include <memory>

#include "store/ledger/LedgerStore.h"
#include "store/ledger/sqlite/SqliteDb.h"

namespace ml::ledger {

class SqliteLedgerTx final : public LedgerTx {
public:
    SqliteDb& db() { return db_; }

    Status FindCar(std::string_view regNo, std::optional<Car>& car) override;
    Status ListCars(std::vector<Car>& cars) override;
    Status UpsertCar(Car& car) override;

    Status AddDownload(Download& download) override;
    Status ListDownloads(int64_t carId, std::vector<Download>& downloads) override;
    Status GetDownload(int64_t id, std::optional<Download>& download) override;
    Status SetDownloadAdded(int64_t id, int64_t addedCount) override;
    Status LastDownloadOf(int64_t carId, std::string_view loggerId, std::optional<Download>& download) override;

    Status InsertFixes(int64_t carId, int64_t downloadId, std::span<const LedgerFix> fixes, int64_t& added) override;
    Status FixTimes(int64_t carId, int64_t from, int64_t to, std::vector<int64_t>& times) override;
    Status Fixes(int64_t carId, int64_t from, int64_t to, std::vector<LedgerFix>& fixes) override;
    Status DeleteFixesOfKind(int64_t carId, int64_t from, int64_t to, DownloadKind kind, int64_t& removed) override;
    Status HasDownloadsOfKind(int64_t carId, DownloadKind kind, bool& any) override;

    Status TripsOverlapping(int64_t carId, int64_t from, int64_t to, std::vector<Trip>& trips) override;
    Status GetTrip(int64_t id, std::optional<Trip>& trip) override;
    Status InsertTrip(Trip& trip) override;
    Status UpdateTrip(const Trip& trip) override;
    Status DeleteTrip(int64_t id) override;

    Status AddReading(OdometerReading& reading) override;
    Status RemoveReading(int64_t id) override;
    Status Readings(int64_t carId, std::vector<OdometerReading>& readings) override;

    Status AddHistory(HistoryEntry& entry) override;
    Status History(int64_t carId, std::vector<HistoryEntry>& entries) override;

    Status GetShared(std::string_view key, std::optional<SharedValue>& value) override;
    Status PutShared(std::string_view key, const SharedValue& value) override;

    // Finalizes the statements (before the connection closes).
    void Release();

private:
    // The statement number `sql` (see the .cpp), prepared on first use and
    // reset; `values` bound to ?1, ?2, ... in order.
    Status Use(int sql, SqliteStatement*& statement);
    template <typename... Values>
    Status Use(int sql, SqliteStatement*& statement, const Values&... values) {
        ML_LEDGER_TRY(Use(sql, statement));
        int index = 0;
        (statement->Bind(++index, values), ...);
        return Status::Ok();
    }
    Status ReadTrips(SqliteStatement& s, std::vector<Trip>& trips);
    Status ReadDownloads(SqliteStatement& s, bool withRaw, std::vector<Download>& downloads);

    SqliteDb db_;
    std::array<std::unique_ptr<SqliteStatement>, 32> statements_{};
};

}  // namespace ml::ledger
