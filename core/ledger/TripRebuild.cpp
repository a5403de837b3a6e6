#include "core/ledger/TripRebuild.h"

#include <algorithm>
#include <limits>

#include "core/FixRecord.h"
#include "core/TrackBuilder.h"
#include "core/ledger/LedgerCalendar.h"

namespace ml::ledger {

namespace {

FixRecord AsFixRecord(const LedgerFix& fix) {
    FixRecord r;
    r.latitude = fix.latitude;
    r.longitude = fix.longitude;
    r.height = fix.height;
    return r;
}

Trip StartTrip(const LedgerFix& fix, int64_t carId) {
    Trip t;
    t.carId = carId;
    t.startTime = t.endTime = fix.time;
    t.fixCount = 1;
    t.startLatitude = t.endLatitude = fix.latitude;
    t.startLongitude = t.endLongitude = fix.longitude;
    return t;
}

int64_t SaturatingAdd(int64_t a, int64_t b) {
    if (b > 0 && a > std::numeric_limits<int64_t>::max() - b) return std::numeric_limits<int64_t>::max();
    if (b < 0 && a < std::numeric_limits<int64_t>::min() - b) return std::numeric_limits<int64_t>::min();
    return a + b;
}

std::string Describe(const Trip& trip) {
    std::string out;
    auto add = [&out](std::string_view part) {
        if (part.empty()) return;
        if (!out.empty()) out += " · ";
        out += part;
    };
    add(UseText(trip.use));
    add(trip.purpose);
    add(trip.note);
    if (!trip.driverDept.empty() || !trip.driverName.empty()) add(trip.driverDept + "/" + trip.driverName);
    return out;
}

// Copies what the user gave the old trip; addresses only where the end they
// describe is still the same fix.
void Inherit(Trip& fresh, const Trip& old) {
    fresh.id = old.id;
    fresh.use = old.use;
    fresh.purpose = old.purpose;
    fresh.note = old.note;
    fresh.driverDept = old.driverDept;
    fresh.driverName = old.driverName;
    if (fresh.startTime == old.startTime) fresh.startAddress = old.startAddress;
    if (fresh.endTime == old.endTime) fresh.endAddress = old.endAddress;
}

}  // namespace

std::vector<Trip> CutTrips(std::span<const LedgerFix> fixes, int32_t cutSeconds, int64_t carId) {
    std::vector<Trip> trips;
    if (fixes.empty()) return trips;
    const int64_t cut = cutSeconds;
    Trip current = StartTrip(fixes[0], carId);
    FixRecord previous = AsFixRecord(fixes[0]);
    for (size_t i = 1; i < fixes.size(); ++i) {
        const LedgerFix& fix = fixes[i];
        const FixRecord record = AsFixRecord(fix);
        const int64_t gap = fix.time - current.endTime;
        if (gap >= cut || gap <= 0) {
            trips.push_back(current);
            current = StartTrip(fix, carId);
        } else {
            current.distanceM += StepLength(previous, record);
            current.endTime = fix.time;
            current.endLatitude = fix.latitude;
            current.endLongitude = fix.longitude;
            ++current.fixCount;
        }
        previous = record;
    }
    trips.push_back(current);
    return trips;
}

TimeRange NeighbourRange(TimeRange changed, int32_t cutSeconds) {
    return {SaturatingAdd(changed.from, -static_cast<int64_t>(cutSeconds)), SaturatingAdd(changed.to, cutSeconds)};
}

TimeRange AffectedWindow(TimeRange changed, std::span<const Trip> neighbours) {
    TimeRange window = changed;
    for (const Trip& trip : neighbours) {
        window.from = std::min(window.from, trip.startTime);
        window.to = std::max(window.to, trip.endTime);
    }
    return window;
}

bool IsClassified(const Trip& trip) {
    return trip.use != Use::Unclassified || !trip.purpose.empty() || !trip.note.empty() || !trip.driverDept.empty() ||
           !trip.driverName.empty();
}

RebuildPlan PlanRebuild(std::span<const Trip> oldTrips, std::vector<Trip> cut, int64_t now, std::string_view by) {
    RebuildPlan plan;
    std::vector<bool> taken(oldTrips.size(), false);
    // Pass 1: the old trip that starts at the same fix.
    std::vector<int> heir(cut.size(), -1);
    size_t o = 0;
    for (size_t n = 0; n < cut.size(); ++n) {
        while (o < oldTrips.size() && oldTrips[o].startTime < cut[n].startTime) ++o;
        if (o < oldTrips.size() && oldTrips[o].startTime == cut[n].startTime) {
            heir[n] = static_cast<int>(o);
            taken[o] = true;
        }
    }
    // Pass 2: failing that, the first old trip starting inside the new one.
    o = 0;
    for (size_t n = 0; n < cut.size(); ++n) {
        if (heir[n] >= 0) continue;
        while (o < oldTrips.size() && oldTrips[o].startTime < cut[n].startTime) ++o;
        for (size_t k = o; k < oldTrips.size() && oldTrips[k].startTime <= cut[n].endTime; ++k) {
            if (!taken[k]) {
                heir[n] = static_cast<int>(k);
                taken[k] = true;
                break;
            }
        }
    }
    // Classified old trips that nobody inherits: say where they went first,
    // while the new trips are still in `cut`.
    for (size_t k = 0; k < oldTrips.size(); ++k) {
        if (taken[k]) continue;
        const Trip& old = oldTrips[k];
        plan.deletes.push_back(old.id);
        if (!IsClassified(old)) continue;
        HistoryEntry entry;
        entry.carId = old.carId;
        entry.at = now;
        entry.tripId = old.id;
        entry.tripStart = old.startTime;
        entry.field = "trip";
        entry.oldValue = Describe(old);
        entry.newValue = "주행 없음";
        for (const Trip& t : cut) {
            if (t.startTime <= old.startTime && old.startTime <= t.endTime) {
                entry.newValue = SecondText(t.startTime) + " 시작 주행에 합쳐짐";
                break;
            }
        }
        entry.by = std::string(by);
        plan.history.push_back(std::move(entry));
    }
    for (size_t n = 0; n < cut.size(); ++n) {
        Trip& fresh = cut[n];
        if (heir[n] < 0) {
            plan.inserts.push_back(std::move(fresh));
            continue;
        }
        const Trip& old = oldTrips[static_cast<size_t>(heir[n])];
        Inherit(fresh, old);
        if (fresh == old) {
            ++plan.unchanged;
        } else {
            plan.updates.push_back(std::move(fresh));
        }
    }
    return plan;
}

}  // namespace ml::ledger
