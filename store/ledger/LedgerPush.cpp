// Ledger::Push: a PC's ledger into the company's, record by record, so that
// a laptop that was offline catches up and pushing again changes nothing.
#include <algorithm>
#include <ctime>
#include <map>
#include <tuple>

#include "store/ledger/Ledger.h"
#include "store/ledger/LedgerTxSteps.h"

namespace ml::ledger {

namespace {

// Everything of one car, as read from the source in one transaction.
struct CarRecords {
    Car car;
    std::vector<Download> downloads;  // with their bytes
    std::vector<LedgerFix> fixes;
    std::vector<int64_t> fixSources;  // download of each fix
    std::vector<Trip> trips;
    std::vector<OdometerReading> readings;
    std::vector<HistoryEntry> history;
};

Status ReadRecords(LedgerTx& tx, const Car& car, CarRecords& out) {
    out.car = car;
    ML_LEDGER_TRY(tx.ListDownloads(car.id, out.downloads));
    for (Download& d : out.downloads) {
        std::optional<Download> whole;
        ML_LEDGER_TRY(tx.GetDownload(d.id, whole));
        if (whole) d = std::move(*whole);
    }
    ML_LEDGER_TRY(tx.Fixes(car.id, -kAllTime, kAllTime, out.fixes));
    ML_LEDGER_TRY(tx.FixSources(car.id, -kAllTime, kAllTime, out.fixSources));
    if (out.fixSources.size() != out.fixes.size()) return Status::Conflict("고정점을 읽는 사이에 원장이 바뀌었습니다");
    ML_LEDGER_TRY(AllTrips(tx, car.id, out.trips));
    ML_LEDGER_TRY(tx.Readings(car.id, out.readings));
    return tx.History(car.id, out.history);
}

bool SameDownload(const Download& a, const Download& b) {
    return a.at == b.at && a.source == b.source && a.kind == b.kind && a.loggerId == b.loggerId &&
           a.fixCount == b.fixCount && a.firstTime == b.firstTime && a.lastTime == b.lastTime;
}

using HistoryKey = std::tuple<int64_t, int64_t, std::string, std::string, std::string, std::string>;
HistoryKey KeyOf(const HistoryEntry& e) { return {e.at, e.tripStart, e.field, e.oldValue, e.newValue, e.by}; }

// When each trip's (by its start) field was last changed.
std::map<std::pair<int64_t, std::string>, int64_t> LastChanges(const std::vector<HistoryEntry>& history) {
    std::map<std::pair<int64_t, std::string>, int64_t> last;
    for (const HistoryEntry& e : history) {
        if (e.tripStart == 0) continue;
        int64_t& at = last[{e.tripStart, e.field}];
        at = std::max(at, e.at);
    }
    return last;
}

Status TripStartingAt(LedgerTx& tx, int64_t carId, int64_t start, std::optional<Trip>& trip) {
    std::vector<Trip> found;
    ML_LEDGER_TRY(tx.TripsOverlapping(carId, start, start, found));
    trip.reset();
    for (Trip& t : found) {
        if (t.startTime == start) trip = std::move(t);
    }
    return Status::Ok();
}

Status PushFixes(LedgerTx& tx, const Car& car, const CarRecords& from, const std::map<int64_t, int64_t>& downloadIds,
                 int64_t now, const std::string& by, PushResult& result) {
    if (from.fixes.empty()) return Status::Ok();
    std::vector<int64_t> known;
    ML_LEDGER_TRY(tx.FixTimes(car.id, from.fixes.front().time, from.fixes.back().time, known));
    std::map<int64_t, std::vector<LedgerFix>> fresh;  // by the download they came from
    std::optional<TimeRange> changed;
    size_t k = 0;
    for (size_t i = 0; i < from.fixes.size(); ++i) {
        const LedgerFix& f = from.fixes[i];
        while (k < known.size() && known[k] < f.time) ++k;
        if (k < known.size() && known[k] == f.time) continue;
        const auto source = downloadIds.find(from.fixSources[i]);
        if (source == downloadIds.end()) return Status::Refused("원장이 손상되었습니다 (다운로드가 없는 고정점)");
        fresh[source->second].push_back(f);
        changed = changed ? TimeRange{std::min(changed->from, f.time), std::max(changed->to, f.time)}
                          : TimeRange{f.time, f.time};
    }
    for (const auto& [downloadId, fixes] : fresh) {
        for (size_t at = 0; at < fixes.size(); at += kFixBatch) {
            int64_t added = 0;
            const size_t n = std::min(kFixBatch, fixes.size() - at);
            ML_LEDGER_TRY(tx.InsertFixes(car.id, downloadId, std::span<const LedgerFix>(fixes).subspan(at, n), added));
            result.fixes += added;
        }
    }
    return changed ? RebuildTrips(tx, car, changed, now, by, result.tripsRebuilt) : Status::Ok();
}

// A trip's classification goes over where the source changed it later.
Status PushClassification(LedgerTx& tx, const Car& car, const CarRecords& from, PushResult& result) {
    std::vector<HistoryEntry> history;
    ML_LEDGER_TRY(tx.History(car.id, history));
    auto theirs = LastChanges(history), ours = LastChanges(from.history);
    for (const Trip& trip : from.trips) {
        std::optional<Trip> there;
        ML_LEDGER_TRY(TripStartingAt(tx, car.id, trip.startTime, there));
        if (!there) continue;
        Trip updated = *there;
        auto later = [&](const char* field) { return ours[{trip.startTime, field}] > theirs[{trip.startTime, field}]; };
        if (later("use")) updated.use = trip.use;
        if (later("purpose")) updated.purpose = trip.purpose;
        if (later("note")) updated.note = trip.note;
        if (later("driver")) {
            updated.driverDept = trip.driverDept;
            updated.driverName = trip.driverName;
        }
        if (updated.startAddress.empty()) updated.startAddress = trip.startAddress;
        if (updated.endAddress.empty() && updated.endTime == trip.endTime) updated.endAddress = trip.endAddress;
        if (updated == *there) continue;
        ML_LEDGER_TRY(tx.UpdateTrip(updated));
        ++result.classified;
    }
    return Status::Ok();
}

Status PushReadingsAndHistory(LedgerTx& tx, const Car& car, const CarRecords& from, PushResult& result) {
    std::vector<OdometerReading> readings;
    ML_LEDGER_TRY(tx.Readings(car.id, readings));
    for (OdometerReading r : from.readings) {
        const bool known = std::any_of(readings.begin(), readings.end(), [&](const OdometerReading& o) {
            return o.time == r.time && o.km == r.km && o.note == r.note;
        });
        if (known) continue;
        r.id = 0;
        r.carId = car.id;
        ML_LEDGER_TRY(tx.AddReading(r));
        ++result.readings;
    }
    std::vector<HistoryEntry> history;
    ML_LEDGER_TRY(tx.History(car.id, history));
    std::map<HistoryKey, int> there;
    for (const HistoryEntry& e : history) ++there[KeyOf(e)];
    for (HistoryEntry e : from.history) {
        if (int& count = there[KeyOf(e)]; count > 0) {
            --count;
            continue;
        }
        std::optional<Trip> trip;
        if (e.tripId != 0) ML_LEDGER_TRY(TripStartingAt(tx, car.id, e.tripStart, trip));
        e.id = 0;
        e.carId = car.id;
        e.tripId = trip ? trip->id : 0;
        ML_LEDGER_TRY(tx.AddHistory(e));
        ++result.history;
    }
    return Status::Ok();
}

Status PushCar(LedgerTx& tx, const CarRecords& from, const std::string& by, PushResult& result) {
    result = PushResult{from.car.regNo};
    std::optional<Car> found;
    ML_LEDGER_TRY(tx.FindCar(from.car.regNo, found));
    Car car = found ? *found : from.car;
    if (!found) {
        car.id = 0;
        ML_LEDGER_TRY(tx.UpsertCar(car));
    }
    std::vector<Download> there;
    ML_LEDGER_TRY(tx.ListDownloads(car.id, there));
    std::map<int64_t, int64_t> downloadIds;  // source's id -> this ledger's
    for (const Download& d : from.downloads) {
        const auto match =
            std::find_if(there.begin(), there.end(), [&](const Download& t) { return SameDownload(d, t); });
        if (match != there.end()) {
            downloadIds[d.id] = match->id;
            continue;
        }
        Download copy = d;
        copy.id = 0;
        copy.carId = car.id;
        ML_LEDGER_TRY(tx.AddDownload(copy));
        downloadIds[d.id] = copy.id;
        ++result.downloads;
    }
    ML_LEDGER_TRY(PushFixes(tx, car, from, downloadIds, std::time(nullptr), by, result));
    ML_LEDGER_TRY(PushClassification(tx, car, from, result));
    return PushReadingsAndHistory(tx, car, from, result);
}

}  // namespace

Status Ledger::Push(Ledger& to, const std::optional<std::string>& regNo, std::vector<PushResult>& results) {
    std::vector<Car> cars;
    if (regNo) {
        Car car;
        ML_LEDGER_TRY(FindCar(*regNo, car));
        cars.push_back(car);
    } else {
        ML_LEDGER_TRY(Cars(cars));
    }
    // The company's rules stay as they are; a ledger without any gets ours.
    std::optional<SharedValue> rules;
    ML_LEDGER_TRY(store().Run([&](LedgerTx& tx) { return tx.GetShared(kRulesKey, rules); }, Access::Read));
    if (rules) {
        ML_LEDGER_TRY(to.store().Run([&](LedgerTx& tx) {
            std::optional<SharedValue> there;
            ML_LEDGER_TRY(tx.GetShared(kRulesKey, there));
            return there ? Status::Ok() : tx.PutShared(kRulesKey, SharedValue{1, rules->text});
        }));
    }
    results.clear();
    for (const Car& car : cars) {
        CarRecords records;
        ML_LEDGER_TRY(store().Run([&](LedgerTx& tx) { return ReadRecords(tx, car, records); }, Access::Read));
        PushResult result;
        ML_LEDGER_TRY(to.store().Run([&](LedgerTx& tx) { return PushCar(tx, records, to.by_, result); }));
        results.push_back(result);
    }
    return Status::Ok();
}

}  // namespace ml::ledger
