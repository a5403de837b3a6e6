#pragma once
// The storage primitives written once in SQL, on an engine's session (see
// SqlSession.h). An engine subclasses it where its dialect or its way of
// taking turns differs: a bulk path for fixes, a lock per car.
//
// Writers of one car take turns: a write transaction locks a car before it
// reads the car's rows (FindCar, GetTrip), so what it reads stays true until
// it commits. An engine whose transactions lock the whole database already
// (SQLite) needs no lock per car.
#include <string>
#include <vector>

#include "store/ledger/LedgerStore.h"
#include "store/ledger/sql/SqlSession.h"

namespace ml::ledger {

class SqlLedgerTx : public LedgerTx {
public:
    explicit SqlLedgerTx(SqlSession& session);

    // A transaction starts: forget the locks of the last one.
    void Begin(bool writing);

    Status FindCar(std::string_view regNo, std::optional<Car>& car) override;
    Status ListCars(std::vector<Car>& cars) override;
    Status UpsertCar(Car& car) override;

    Status AddDownload(Download& download) override;
    Status ListDownloads(int64_t carId, std::vector<Download>& downloads) override;
    Status GetDownload(int64_t id, std::optional<Download>& download) override;
    Status SetDownloadAdded(int64_t id, int64_t addedCount) override;
    Status LastDownloadOf(int64_t carId, std::string_view loggerId, std::optional<Download>& download) override;
    Status GetLoggerMemory(int64_t carId, std::string_view loggerId, std::optional<LoggerMemory>& memory) override;
    Status PutLoggerMemory(const LoggerMemory& memory) override;

    Status InsertFixes(int64_t carId, int64_t downloadId, std::span<const LedgerFix> fixes, int64_t& added) override;
    Status FixTimes(int64_t carId, int64_t from, int64_t to, std::vector<int64_t>& times) override;
    Status FixSources(int64_t carId, int64_t from, int64_t to, std::vector<int64_t>& downloadIds) override;
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

    Status AssignRole(std::string_view role, int64_t carId, bool assign, bool& changed) override;

    Status GetShared(std::string_view key, std::optional<SharedValue>& value) override;
    Status PutShared(std::string_view key, const SharedValue& value) override;

protected:
    // Locks the car for the rest of the transaction; `locked` says that the
    // engine took a lock (and may have waited for another writer).
    virtual Status LockCar(int64_t carId, bool& locked);

    SqlSession& session() { return session_; }

private:
    // The statement number `sql` (see the .cpp), ready for new bindings;
    // `values` bound to ?1, ?2, ... in order.
    Status Use(int sql, SqlStatement*& statement);
    template <typename... Values>
    Status Use(int sql, SqlStatement*& statement, const Values&... values) {
        ML_LEDGER_TRY(Use(sql, statement));
        int index = 0;
        (statement->Bind(++index, values), ...);
        return Status::Ok();
    }
    // In a write transaction, once per car.
    Status Lock(int64_t carId, bool& fresh);
    // One integer per fix of the car in [from, to], time order.
    Status FixColumn(int sql, int64_t carId, int64_t from, int64_t to, std::vector<int64_t>& values);
    Status ReadCarByRegNo(std::string_view regNo, std::optional<Car>& car);
    Status ReadTripById(int64_t id, std::optional<Trip>& trip);
    Status ReadTrips(SqlStatement& s, std::vector<Trip>& trips);
    Status ReadDownloads(SqlStatement& s, bool withRaw, std::vector<Download>& downloads);

    SqlSession& session_;
    bool writing_ = false;
    std::vector<int64_t> locked_;
};

}  // namespace ml::ledger
