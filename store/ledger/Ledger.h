#pragma once
// The year ledger as its callers (the command-line tool, the desktop
// program) use it: every operation is one transaction on the store it was
// opened with, and the rules come from core/ledger. Callers never see the
// storage engine.
//
//   std::unique_ptr<Ledger> ledger;
//   Status s = OpenLedger(LedgerPath(option), UserName(), ledger);
//   ImportRequest request{DownloadKind::MtkImage, "/dev/ttyUSB0", bytes};
//   ImportResult result;
//   s = ledger->Import("12가3456", SeedCar(settings, "12가3456"), request, result);
//
// A failed operation changes nothing and says why in one line.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/FixRecord.h"
#include "core/ledger/ClassifyRules.h"
#include "core/ledger/LedgerExport.h"
#include "core/ledger/LedgerTypes.h"
#include "core/ledger/OfficialLog.h"
#include "store/ledger/LedgerStore.h"

namespace ml::ledger {

// Details to change on a car; unset members stay as they are.
struct CarEdit {
    std::optional<std::string> kind, company, bizNo, dept, name;
    std::optional<FormVariant> form;
    std::optional<MonthDay> yearStart;
};

struct ImportRequest {
    DownloadKind kind = DownloadKind::MtkImage;
    std::string source;        // port or file as the user named it
    std::vector<uint8_t> raw;  // the bytes as received; the ledger decodes them
    std::string detail;        // PHLX: "timebase=SECONDS" (PhlxDetail)
    std::string loggerId;
    bool partial = false;
    // The car's cut time from now on; a change cuts all its trips again.
    std::optional<int32_t> cutSeconds;
    // Called while the new fixes are stored: (stored so far, to store).
    std::function<void(int64_t done, int64_t total)> progress;
};

struct ImportResult {
    int64_t downloadId = 0;
    int64_t fixCount = 0;        // fixes the download held (one per second)
    int64_t added = 0;           // of those, new to the ledger
    int64_t tripsRebuilt = 0;    // trips cut anew (inserted or changed)
    int64_t ruleClassified = 0;  // of the new unclassified trips, classified by a rule
    bool carAdded = false;
    std::vector<std::string> warnings;  // fixes or tracks that could not be taken
};

// Changes to trips; unset members stay as they are.
struct TripEdit {
    std::optional<Use> use;
    std::optional<std::string> purpose, note;
    std::optional<std::string> driverDept, driverName;  // both set together
};

// One trip's own edit, for changes that differ from trip to trip (rules,
// undo). With `expect` set, the trip's fields named there must still hold
// those values, or the whole change is refused (someone changed the trip
// since).
struct TripChange {
    int64_t tripId = 0;
    TripEdit edit;
    std::optional<TripEdit> expect;
};

struct ClassifyResult {
    int changedTrips = 0;
    // Per trip changed: the edit that puts back what it held, expecting
    // what it holds now; ClassifyEach with it is the undo.
    std::vector<TripChange> undo;
};

struct CarTotals {
    Car car;
    Period period;
    LogTotals totals;
};

// What a push copied for one car.
struct PushResult {
    std::string regNo;
    int64_t downloads = 0, fixes = 0, tripsRebuilt = 0, classified = 0, readings = 0, history = 0;
};

// "timebase=SECONDS": how the PHLX records of a download read back.
std::string PhlxDetail(int32_t timeBase);

// The value of `key` in a download's detail ("key=value;key=value").
std::optional<std::string_view> DetailValue(std::string_view detail, std::string_view key);

class Ledger {
public:
    // `by` names who makes the changes in the history (user or role).
    Ledger(std::unique_ptr<LedgerStore> store, std::string by);

    const std::string& location() const { return store_->location(); }

    Status Cars(std::vector<Car>& cars);
    // Invalid with "등록되지 않은 차량입니다: REGNO" when the ledger has no such car.
    Status FindCar(std::string_view regNo, Car& car);
    // Adds the car (from `seed`, then `edit`) or changes its details.
    Status SaveCar(std::string_view regNo, const Car& seed, const CarEdit& edit, Car& saved, bool& added);

    // Decodes the download, stores it with its raw bytes and the fixes the
    // ledger does not have yet, and cuts the trips near the new fixes again.
    // A car the ledger does not know is added from `seed`.
    Status Import(std::string_view regNo, const Car& seed, const ImportRequest& request, ImportResult& result);

    // Trips whose start lies in the period (all when none), time order.
    Status Trips(std::string_view regNo, const std::optional<Period>& period, std::vector<Trip>& trips);
    // The business years (by the year they start in) that hold trips, in order.
    Status TripYears(std::string_view regNo, std::vector<int>& years);
    // All trips or none: an unknown id changes nothing.
    Status Classify(std::span<const int64_t> tripIds, const TripEdit& edit);
    Status Classify(std::span<const int64_t> tripIds, const TripEdit& edit, ClassifyResult& result);
    // Per-trip edits in one transaction, each change in the history; `why`
    // (for instance "되돌리기") is added to the author there.
    Status ClassifyEach(std::span<const TripChange> changes, std::string_view why, ClassifyResult& result);

    // The classification rules every car shares, and their revision (0:
    // never saved). SaveRules is refused when the stored revision is no
    // longer `revision` (another PC saved meanwhile) or the set has a
    // problem (CheckRuleSet); `revision` is the new one afterwards.
    Status Rules(RuleSet& rules, int64_t& revision);
    Status SaveRules(const RuleSet& rules, int64_t& revision);
    // Runs the rules over the trips (of the car) that are unclassified; the
    // history names the rule that decided.
    Status ApplyRules(std::string_view regNo, std::span<const int64_t> tripIds, ClassifyResult& result);
    // The trips with their fixes, in the order asked.
    Status TripFixes(std::span<const int64_t> tripIds, std::vector<TripWithFixes>& trips);
    // The car's trip that starts at `startTime` (how the track list names
    // it); Invalid when the ledger has no such trip.
    Status ClassifyTripStartingAt(std::string_view regNo, int64_t startTime, const TripEdit& edit);

    // Refused when the reading, or a later one, would be below the chain.
    Status AddReading(std::string_view regNo, int64_t time, double km, const std::string& note, OdometerReading& added);
    Status RemoveReading(std::string_view regNo, int64_t readingId);
    Status Readings(std::string_view regNo, std::vector<OdometerReading>& readings);

    // Trip ends at a named place show its name in the log and the record.
    Status Log(std::string_view regNo, const Period& period, OfficialLog& log);
    Status Refund(std::string_view regNo, const Period& period, double economyKmPerLitre, double pricePerLitre,
                  RefundRecord& refund);
    Status TripsWithFixesOf(std::string_view regNo, const Period& period, std::vector<TripWithFixes>& trips);
    // ⑪ ⑫ ⑬ of every car for its business year that starts in `year`.
    Status Summary(int year, std::vector<CarTotals>& totals);

    Status History(std::string_view regNo, std::vector<HistoryEntry>& entries);

    // What the ledger knows of a logger's memory from the car's downloads
    // of it (nullopt: nothing, also for a car the ledger does not know);
    // for a PHLX logger also the fixes of its kept logs.
    Status LoggerMemoryOf(std::string_view regNo, std::string_view loggerId, std::optional<LoggerMemory>& memory,
                          FixList* logFixes = nullptr);
    // The logger was erased: nothing of it is known from now on.
    Status LoggerErased(std::string_view regNo, std::string_view loggerId);
    // Takes the fixes of a download that was cut short (kept, never cut
    // into trips by itself) into the ledger, as its import would have.
    Status ImportKept(std::string_view regNo, int64_t downloadId, ImportResult& result);
    // The car's downloads without their bytes; one download with them.
    Status Downloads(std::string_view regNo, std::vector<Download>& downloads);
    Status GetDownload(std::string_view regNo, int64_t downloadId, Download& download);

    // Lets the database role `role` (and its members) see and edit the cars
    // (a car the ledger does not know yet is added from its details), or read
    // every car (`allCars`); `revoke` takes that away. Only where the engine
    // has roles; one transaction.
    Status Grant(std::string_view role, const std::vector<Car>& cars, bool allCars, bool revoke);

    // Copies this ledger's cars (all, or the one named) into `to`, one
    // transaction per car there, matching records by what they are rather
    // than by their ids: the car by its number, downloads by time, source
    // and span, fixes by time, trips by their first fix, readings by time,
    // value and note, history by its whole content. What `to` has already
    // stays; a trip's use, purpose, note and driver go over where this
    // ledger's history changed them later than `to`'s did. The shared
    // classification rules go over when `to` has none. Pushing again
    // changes nothing.
    Status Push(Ledger& to, const std::optional<std::string>& regNo, std::vector<PushResult>& results);

private:
    LedgerStore& store() { return *store_; }
    // One transaction with the car named `regNo` (Invalid when there is none).
    Status WithCar(std::string_view regNo, Access access, const std::function<Status(LedgerTx&, const Car&)>& work);
    std::unique_ptr<LedgerStore> store_;
    std::string by_;
};

// The store for a location: a postgresql:// URL (LedgerUrl.h) opens the
// company database, anything else is a file path opened as SQLite. Refused
// (and left unchanged) when the database is not a ledger or was written by a
// newer program. A SQLite file is brought to this program's schema on
// opening; the company database only with `migrate` (its administrator's
// step), and is refused while older.
Status OpenLedgerStore(const std::string& location, std::unique_ptr<LedgerStore>& store, bool migrate = false);
Status OpenLedger(const std::string& location, std::string by, std::unique_ptr<Ledger>& ledger, bool migrate = false);

}  // namespace ml::ledger
