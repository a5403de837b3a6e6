#pragma once
// The ledger's storage interface: a small set of primitives that an engine
// runs inside one transaction. Everything the ledger does (import, edit,
// report) is written once above it (Ledger.h); an engine only stores and
// fetches records.
//
//   store.Run([&](LedgerTx& tx) {
//       ML_LEDGER_TRY(tx.FindCar("12가3456", car));
//       ...
//       return Status::Ok();
//   });
//
// Run is one transaction: the work's changes are committed when it returns
// Ok and rolled back otherwise, also when the engine fails half-way or the
// process dies; a crash or a full disk leaves the ledger as it was before.
// Run may call the work more than once (an engine retries a transaction that
// lost a race with another writer), so the work must start from what it
// reads and keep its results only once Run has returned Ok.
//
// Times are UTC seconds; ranges are inclusive at both ends.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/ledger/LedgerTypes.h"
#include "store/ledger/LedgerStatus.h"

namespace ml::ledger {

// A value the whole ledger shares (the classification rules), kept under a
// key. Every write raises the revision, so a writer can tell that another
// one got in first.
struct SharedValue {
    int64_t revision = 0;
    std::string text;
};

class LedgerTx {
public:
    virtual ~LedgerTx() = default;

    // Cars. UpsertCar inserts a car with id 0 (and sets its id) or rewrites
    // the stored car with its id.
    virtual Status FindCar(std::string_view regNo, std::optional<Car>& car) = 0;
    virtual Status ListCars(std::vector<Car>& cars) = 0;  // by regNo
    virtual Status UpsertCar(Car& car) = 0;

    // Downloads, with their raw bytes. ListDownloads leaves `raw` empty.
    virtual Status AddDownload(Download& download) = 0;                                 // sets id
    virtual Status ListDownloads(int64_t carId, std::vector<Download>& downloads) = 0;  // time order
    virtual Status GetDownload(int64_t id, std::optional<Download>& download) = 0;
    virtual Status SetDownloadAdded(int64_t id, int64_t addedCount) = 0;
    // The most recent download of a logger ("" = unknown logger) of the car.
    virtual Status LastDownloadOf(int64_t carId, std::string_view loggerId, std::optional<Download>& download) = 0;

    // What the ledger knows of a logger's memory; Put inserts or replaces it.
    virtual Status GetLoggerMemory(int64_t carId, std::string_view loggerId, std::optional<LoggerMemory>& memory) = 0;
    virtual Status PutLoggerMemory(const LoggerMemory& memory) = 0;

    // Fixes, unique per car and time. InsertFixes skips times already
    // stored and says how many were new; `downloadId` records where each
    // new fix came from.
    virtual Status InsertFixes(int64_t carId, int64_t downloadId, std::span<const LedgerFix> fixes, int64_t& added) = 0;
    virtual Status FixTimes(int64_t carId, int64_t from, int64_t to, std::vector<int64_t>& times) = 0;
    // The download each fix in [from, to] came from, in time order.
    virtual Status FixSources(int64_t carId, int64_t from, int64_t to, std::vector<int64_t>& downloadIds) = 0;
    virtual Status Fixes(int64_t carId, int64_t from, int64_t to, std::vector<LedgerFix>& fixes) = 0;
    // Removes the fixes in [from, to] that came from downloads of `kind`.
    virtual Status DeleteFixesOfKind(int64_t carId, int64_t from, int64_t to, DownloadKind kind, int64_t& removed) = 0;
    virtual Status HasDownloadsOfKind(int64_t carId, DownloadKind kind, bool& any) = 0;

    // Trips. TripsOverlapping gives those with end >= from and start <= to,
    // in time order.
    virtual Status TripsOverlapping(int64_t carId, int64_t from, int64_t to, std::vector<Trip>& trips) = 0;
    virtual Status GetTrip(int64_t id, std::optional<Trip>& trip) = 0;
    virtual Status InsertTrip(Trip& trip) = 0;  // sets id
    virtual Status UpdateTrip(const Trip& trip) = 0;
    virtual Status DeleteTrip(int64_t id) = 0;

    // Odometer readings, time order.
    virtual Status AddReading(OdometerReading& reading) = 0;  // sets id
    virtual Status RemoveReading(int64_t id) = 0;
    virtual Status Readings(int64_t carId, std::vector<OdometerReading>& readings) = 0;

    // The edit history, in the order it was written.
    virtual Status AddHistory(HistoryEntry& entry) = 0;  // sets id
    virtual Status History(int64_t carId, std::vector<HistoryEntry>& entries) = 0;

    // Lets a database role (and its members) see and edit a car (carId 0:
    // read every car), or takes that away; `changed` says whether it was
    // not so already. Invalid on an engine without roles.
    virtual Status AssignRole(std::string_view role, int64_t carId, bool assign, bool& changed) = 0;

    // Values shared by every car; GetShared leaves `value` unset for a key
    // never written. PutShared stores only a higher revision than the one
    // stored: Conflict when another writer stored this one (or a later) first.
    virtual Status GetShared(std::string_view key, std::optional<SharedValue>& value) = 0;
    virtual Status PutShared(std::string_view key, const SharedValue& value) = 0;
};

enum class Access { Read, Write };

class LedgerStore {
public:
    virtual ~LedgerStore() = default;
    // One transaction around `work` (see above). A Read transaction sees one
    // consistent state and must not write.
    virtual Status Run(const std::function<Status(LedgerTx&)>& work, Access access = Access::Write) = 0;
    // Where the ledger lives, as the messages name it.
    virtual const std::string& location() const = 0;
    // The database role this store works as; empty on an engine without
    // roles. The history names it as the author of changes.
    virtual std::string role() const { return {}; }
};

}  // namespace ml::ledger
